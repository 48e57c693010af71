#include <cstdio>
#include <cstring>

#include "fat12_image.h"

int write_fat12_file(fat12_image* image, const char* name, const unsigned char* source,
                     int source_size, bool ignore_case)
{
    const unsigned char* entry = find_fat12_root_file(image, name, ignore_case);
    if (entry == nullptr)
        return -1;
    int cluster = static_cast<int>(fat12::read_le16(entry + fat12_dir_cluster_offset));
    int file_size = static_cast<int>(fat12::read_le32(entry + fat12_dir_size_offset));
    if (file_size < source_size) {
        printf("file size error '%s' %d < %d\n", name, file_size, source_size);
        return -1;
    }
    if (source_size < file_size)
        printf("file size mismatch '%s' %d != %d ... ignored\n", name, file_size, source_size);

    // Every sector that cluster_to_sector gives lies inside buffer (the
    // layout was checked against the file size when the image was opened),
    // and the chain is followed only as far as the source reaches, so a
    // chain that loops is never walked further.
    int remaining = source_size;
    const unsigned char* from = source;
    while (remaining > 0) {
        if (cluster < fat12_first_cluster || cluster > fat12_last_chain_cluster) {
            printf("illegal cluster 0x%X\n", static_cast<unsigned>(cluster));
            return -1;
        }
        int sector = cluster_to_sector(image, cluster);
        if (sector < 0) {
            printf("can't get sector from cluster 0x%X\n", static_cast<unsigned>(cluster));
            return -1;
        }
        for (int i = 0; i < image->sectors_per_cluster && remaining > 0; i++) {
            int count = remaining < image->bytes_per_sector ? remaining : image->bytes_per_sector;
            memcpy(image->buffer + get_sector_offset(image, sector + i), from,
                   static_cast<size_t>(count));
            from += count;
            remaining -= count;
        }
        cluster = get_fat_entry(image, cluster);
    }
    return 0;
}
