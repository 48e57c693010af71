#include <cstring>

#include "fat12_image.h"
#include "message_lines.h"

const unsigned char* find_fat12_root_file(const fat12_image* image, const char* name,
                                          bool ignore_case)
{
    char key[fat12_name_size + 1];
    if (make_fat_name(key, name) < 0) {
        print_message("illegal filename '%s'\n", name);
        return nullptr;
    }
    const unsigned char* entry = find_dir_entry(image, -1, image->root_entries, key, ignore_case);
    if (entry == nullptr)
        print_message("can't find '%s'\n", name);
    return entry;
}

namespace {

int no_sector(int cluster)
{
    print_message("can't get sector from cluster 0x%X\n", static_cast<unsigned>(cluster));
    return -1;
}

}  // namespace

int copy_fat12_chain(const fat12_image* image, int cluster, int size, unsigned char* into_file,
                     const unsigned char* from_file)
{
    // The chain is followed only as far as size reaches, so a chain that
    // loops is never walked further. A sector that does not lie inside
    // buffer (a record changed after opening) counts as no sector.
    int done = 0;
    while (done < size) {
        if (cluster < fat12_first_cluster || cluster > fat12_last_chain_cluster) {
            print_message("illegal cluster 0x%X\n", static_cast<unsigned>(cluster));
            return -1;
        }
        int sector = cluster_to_sector(image, cluster);
        if (sector < 0)
            return no_sector(cluster);
        for (int i = 0; i < image->sectors_per_cluster && done < size; i++) {
            unsigned char* in_image = get_sector_bytes(image, static_cast<int64_t>(sector) + i);
            if (in_image == nullptr)
                return no_sector(cluster);
            int count =
                size - done < image->bytes_per_sector ? size - done : image->bytes_per_sector;
            if (into_file != nullptr)
                memcpy(into_file + done, in_image, static_cast<size_t>(count));
            else
                memcpy(in_image, from_file + done, static_cast<size_t>(count));
            done += count;
        }
        cluster = get_fat_entry(image, cluster);
    }
    return 0;
}
