#include <cstdio>
#include <cstring>

#include "fat12_image.h"

namespace {

int entry_file_size(const unsigned char* entry)
{
    return static_cast<int>(fat12::read_le32(entry + fat12_dir_size_offset));
}

}  // namespace

int get_fat12_file_size(const fat12_image* image, const char* name, bool ignore_case)
{
    const unsigned char* entry = find_fat12_root_file(image, name, ignore_case);
    if (entry == nullptr)
        return -1;
    return entry_file_size(entry);
}

int read_fat12_file(const fat12_image* image, const char* name, unsigned char* dest, int dest_size,
                    bool ignore_case)
{
    const unsigned char* entry = find_fat12_root_file(image, name, ignore_case);
    if (entry == nullptr)
        return -1;
    int cluster = static_cast<int>(fat12::read_le16(entry + fat12_dir_cluster_offset));
    int file_size = entry_file_size(entry);
    if (dest_size < file_size) {
        printf("file size error '%s' %d > %d\n", name, file_size, dest_size);
        return -1;
    }
    if (file_size < dest_size)
        printf("file size mismatch '%s' %d != %d ... ignored\n", name, file_size, dest_size);

    // Follows the chain only as far as the file's bytes reach, so a chain
    // that loops or runs on past the file is never walked further.
    int remaining = file_size;
    unsigned char* to = dest;
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
            memcpy(to, image->buffer + get_sector_offset(image, sector + i),
                   static_cast<size_t>(count));
            to += count;
            remaining -= count;
        }
        cluster = get_fat_entry(image, cluster);
    }
    return 0;
}
