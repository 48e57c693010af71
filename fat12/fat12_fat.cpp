#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "fat12_internal.h"
#include "message_lines.h"

namespace {

// 12-bit entries: three bytes hold two of them.
enum { entry_pair_bytes = 3, entries_per_pair = 2 };

// The layout fields must describe sectors that all lie inside buffer. Each
// later access checks its sector again, as a record may be changed after.
bool fat12_layout_fits(const fat12_image* image)
{
    if (image->offset < 0 || image->bytes_per_sector <= 0 || image->sectors_per_cluster <= 0 ||
        image->fat_start < 0 || image->fat_sectors <= 0 || image->data_start < 0 ||
        image->data_start > image->total_sectors ||
        static_cast<int64_t>(image->fat_start) + image->fat_sectors > image->total_sectors)
        return false;
    int64_t end = image->offset + static_cast<int64_t>(image->total_sectors) *
                                      static_cast<int64_t>(image->bytes_per_sector);
    return end <= image->file_size;
}

}  // namespace

int load_fat(fat12_image* image)
{
    if (image == nullptr || image->buffer == nullptr || !fat12_layout_fits(image))
        return -1;
    image->cluster_count = (image->total_sectors - image->data_start) / image->sectors_per_cluster;

    // Entries 0 and 1 come first, so the data clusters 2 to cluster_count + 1
    // need cluster_count + 2 entries.
    int32_t entry_count = image->cluster_count + fat12_first_cluster;
    int32_t fat_bytes = image->bytes_per_sector * image->fat_sectors;
    if (static_cast<int64_t>(fat_bytes) * entries_per_pair / entry_pair_bytes < entry_count) {
        print_message("can't calculate FAT size\n");
        return -1;
    }
    uint8_t* scratch = static_cast<uint8_t*>(malloc(static_cast<size_t>(fat_bytes)));
    if (scratch == nullptr)
        return -1;
    size_t sector_bytes = static_cast<size_t>(image->bytes_per_sector);
    for (int32_t i = 0; i < image->fat_sectors; i++) {
        const uint8_t* from = get_sector_bytes(image, image->fat_start + i);
        if (from == nullptr) {
            free(scratch);
            return -1;
        }
        memcpy(scratch + static_cast<size_t>(i) * sector_bytes, from, sector_bytes);
    }
    image->fat = static_cast<int32_t*>(malloc(static_cast<size_t>(entry_count) * sizeof(int32_t)));
    if (image->fat == nullptr) {
        print_message("memory exhausted!\n");
        free(scratch);
        return -1;
    }
    image->fat_entries = entry_count;
    // The even entry of a pair lies in the low 12 bits. The third byte is
    // taken only when the odd entry is wanted, so a FAT whose size is not a
    // multiple of three is never read past its end.
    const uint8_t* bytes = scratch;
    for (int32_t i = 0; i < entry_count; i += entries_per_pair, bytes += entry_pair_bytes) {
        image->fat[i] = bytes[0] | (bytes[1] & 0x0F) << 8;
        if (i + 1 < entry_count)
            image->fat[i + 1] = bytes[1] >> 4 | bytes[2] << 4;
    }
    free(scratch);
    return 0;
}

int32_t get_fat_entry(const fat12_image* image, int32_t cluster)
{
    if (image->fat == nullptr || cluster < 0 || cluster - 1 > image->cluster_count ||
        cluster >= image->fat_entries)
        return -1;
    return image->fat[cluster];
}
