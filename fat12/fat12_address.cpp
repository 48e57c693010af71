#include <cstdint>

#include "fat12_internal.h"

namespace {

const int32_t first_chs_sector = 1;  // the sectors of a track are numbered from 1

// A number worked out in 64 bits, or -1 when it does not fit 32 (a record
// whose fields were set beyond any layout).
int32_t narrow(int64_t value)
{
    return value >= INT32_MIN && value <= INT32_MAX ? static_cast<int32_t>(value) : -1;
}

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
    int64_t d = static_cast<int64_t>(sector) - image->data_start;
    if (index != nullptr)
        *index = narrow(d % image->sectors_per_cluster);
    return narrow(d / image->sectors_per_cluster + fat12_first_cluster);
}

void cluster_to_chs(const fat12_image* image, int32_t cluster, int32_t* cylinder, int32_t* head,
                    int32_t* sector)
{
    int64_t s = cluster_to_sector(image, cluster);
    int64_t track_sectors = static_cast<int64_t>(image->sectors_per_track) * image->heads;
    if (track_sectors <= 0 || image->sectors_per_track <= 0) {
        *cylinder = *head = *sector = 0;
        return;
    }
    int64_t c = s / track_sectors;
    int64_t r = s - c * track_sectors;
    int64_t h = r / image->sectors_per_track;
    *cylinder = narrow(c);
    *head = narrow(h);
    *sector = narrow(r - h * image->sectors_per_track + first_chs_sector);
}

int32_t chs_to_cluster(const fat12_image* image, int32_t cylinder, int32_t head, int32_t sector,
                       int32_t* index)
{
    int64_t s = (static_cast<int64_t>(cylinder) * image->heads + head) * image->sectors_per_track +
                sector - first_chs_sector;
    if (narrow(s) != s) {
        if (index != nullptr)
            *index = 0;
        return -1;
    }
    return sector_to_cluster(image, static_cast<int32_t>(s), index);
}

int32_t get_sector_offset(const fat12_image* image, int32_t sector)
{
    return narrow(image->offset + static_cast<int64_t>(sector) * image->bytes_per_sector);
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
