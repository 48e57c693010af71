// Serialised sizes of disks and images, computed from the sectors alone.
#include <cstdint>

#include "d88_write.h"
#include "d88_write_layout.h"

int32_t d88_written_sector_count(const d88_track* track)
{
    if (track->sectors == nullptr || track->sector_count < 1)
        return 0;
    return track->sector_count;
}

int32_t d88_written_data_size(const d88_sector* sector)
{
    return sector->data_size < 0 ? 0 : sector->data_size;
}

int32_t get_d88_disk_size(const d88_disk* disk)
{
    if (disk == nullptr)
        return -1;
    // 164 slots of up to 0x7FFFFFFF sectors of up to 16 + 32767 bytes stay
    // far below the range of int64_t.
    int64_t size = d88_header_size;
    for (int slot = 0; slot < d88_max_tracks; slot++) {
        const d88_track* track = &disk->tracks[slot];
        int32_t count = d88_written_sector_count(track);
        for (int32_t i = 0; i < count; i++)
            size += d88_sector_header_size + d88_written_data_size(&track->sectors[i]);
    }
    return size > INT32_MAX ? -1 : static_cast<int32_t>(size);
}

int32_t get_d88_image_size(const d88_image* image)
{
    if (image == nullptr)
        return -1;
    return get_d88_disks_size(image->first_disk, image->disk_count);
}

int32_t get_d88_disks_size(const d88_disk* first, int32_t count)
{
    int64_t size = 0;
    const d88_disk* disk = first;
    for (int32_t i = 0; disk != nullptr && i < count; i++, disk = disk->next) {
        int32_t disk_size = get_d88_disk_size(disk);
        if (disk_size < 0)
            return -1;
        size += disk_size;
        if (size > INT32_MAX)
            return -1;
    }
    return static_cast<int32_t>(size);
}
