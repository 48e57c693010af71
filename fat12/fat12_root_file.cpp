#include <cstring>

#include "fat12_internal.h"
#include "message_lines.h"

const uint8_t* find_fat12_root_file(const fat12_image* image, const char* name, bool ignore_case)
{
    char key[fat12_name_size + 1];
    if (make_fat_name(key, name) < 0) {
        print_message("illegal filename '%s'\n", name);
        return nullptr;
    }
    const uint8_t* entry = find_dir_entry(image, -1, image->root_entries, key, ignore_case);
    if (entry == nullptr)
        print_message("can't find '%s'\n", name);
    return entry;
}

namespace {

int no_sector(int32_t cluster)
{
    print_message("can't get sector from cluster 0x%X\n", static_cast<unsigned>(cluster));
    return -1;
}

// The one walk of both chain copies: size bytes along the chain from
// cluster, into dest out of the image, or when dest is null from source
// into the image. The chain is followed only as far as size reaches, so a
// chain that loops is never walked further. A sector that does not lie
// inside buffer (a record changed after opening) counts as no sector.
int copy_chain(const fat12_image* image, int32_t cluster, int32_t size, uint8_t* dest,
               const uint8_t* source)
{
    int32_t done = 0;
    while (done < size) {
        if (cluster < fat12_first_cluster || cluster > fat12_last_chain_cluster) {
            print_message("illegal cluster 0x%X\n", static_cast<unsigned>(cluster));
            return -1;
        }
        int32_t sector = cluster_to_sector(image, cluster);
        if (sector < 0)
            return no_sector(cluster);
        for (int32_t i = 0; i < image->sectors_per_cluster && done < size; i++) {
            uint8_t* in_image = get_sector_bytes(image, static_cast<int64_t>(sector) + i);
            if (in_image == nullptr)
                return no_sector(cluster);
            int32_t count =
                size - done < image->bytes_per_sector ? size - done : image->bytes_per_sector;
            if (dest != nullptr)
                memcpy(dest + done, in_image, static_cast<size_t>(count));
            else
                memcpy(in_image, source + done, static_cast<size_t>(count));
            done += count;
        }
        cluster = get_fat_entry(image, cluster);
    }
    return 0;
}

}  // namespace

// Each copy has its one direction: a missing destination or source is
// refused, never taken for the other way.
int read_fat12_chain(const fat12_image* image, int32_t cluster, int32_t size, uint8_t* dest)
{
    if (dest == nullptr && size > 0)
        return -1;
    return copy_chain(image, cluster, size, dest, nullptr);
}

int write_fat12_chain(fat12_image* image, int32_t cluster, int32_t size, const uint8_t* source)
{
    if (source == nullptr && size > 0)
        return -1;
    return copy_chain(image, cluster, size, nullptr, source);
}
