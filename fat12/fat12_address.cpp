#include <cstdint>

#include "fat12_internal.h"

namespace {

const int32_t first_chs_sector = 1;  // the sectors of a track are numbered from 1

}  // namespace

// A closed record has no geometry; the conversions then give -1 (or 0, 0, 0)
// rather than dividing by zero, and an index asked for is still written (0).

int32_t cluster_to_sector(const fat12_image* image, int32_t cluster)
{
    // Counted in 64 bits, so that no record, however its fields were set,
    // overflows; a sector number beyond 32 bits has no sector either.
    if (cluster < fat12_first_cluster || cluster - 1 > image->cluster_count ||
        image->sectors_per_cluster <= 0)
        return -1;
    int64_t sector = image->data_start + static_cast<int64_t>(cluster - fat12_first_cluster) *
                                             image->sectors_per_cluster;
    return sector >= 0 && sector <= INT32_MAX ? static_cast<int32_t>(sector) : -1;
}

int32_t sector_to_cluster(const fat12_image* image, int32_t sector, int32_t* index)
{
    if (image->sectors_per_cluster <= 0) {
        if (index != nullptr)
            *index = 0;
        return -1;
    }
    int32_t d = sector - image->data_start;
    if (index != nullptr)
        *index = d % image->sectors_per_cluster;
    return d / image->sectors_per_cluster + fat12_first_cluster;
}

void cluster_to_chs(const fat12_image* image, int32_t cluster, int32_t* cylinder, int32_t* head,
                    int32_t* sector)
{
    int32_t s = cluster_to_sector(image, cluster);
    int32_t track_sectors = image->sectors_per_track * image->heads;
    if (track_sectors <= 0) {
        *cylinder = *head = *sector = 0;
        return;
    }
    *cylinder = s / track_sectors;
    int32_t r = s - *cylinder * track_sectors;
    *head = r / image->sectors_per_track;
    *sector = r - *head * image->sectors_per_track + first_chs_sector;
}

int32_t chs_to_cluster(const fat12_image* image, int32_t cylinder, int32_t head, int32_t sector,
                       int32_t* index)
{
    int32_t s =
        (cylinder * image->heads + head) * image->sectors_per_track + sector - first_chs_sector;
    return sector_to_cluster(image, s, index);
}

int32_t get_sector_offset(const fat12_image* image, int32_t sector)
{
    int64_t position = image->offset + static_cast<int64_t>(sector) * image->bytes_per_sector;
    return position >= INT32_MIN && position <= INT32_MAX ? static_cast<int32_t>(position) : -1;
}

uint8_t* get_sector_bytes(const fat12_image* image, int64_t sector)
{
    if (image->buffer == nullptr || image->bytes_per_sector <= 0 || sector < 0 ||
        sector > INT32_MAX)
        return nullptr;
    int64_t start = image->offset + sector * image->bytes_per_sector;
    if (start < 0 || start + image->bytes_per_sector > image->file_size)
        return nullptr;
    return image->buffer + start;
}
