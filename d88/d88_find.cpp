// Lookups of disks by position and of tracks and sectors by address.
#include "d88_find.h"

d88_disk* get_d88_disk(d88_image* image, int32_t index)
{
    if (image == nullptr || index < 0)
        return nullptr;
    // The chain decides, not disk_count.
    d88_disk* disk = image->first_disk;
    for (int32_t i = 0; disk != nullptr && i < index; i++)
        disk = disk->next;
    return disk;
}

const d88_track* find_d88_track(const d88_disk* disk, int32_t cylinder, int32_t head)
{
    if (disk == nullptr)
        return nullptr;
    for (int slot = 0; slot < d88_max_tracks; slot++) {
        const d88_track* track = &disk->tracks[slot];
        if (track->sectors == nullptr || track->sector_count < 1)
            continue;
        if (track->sectors[0].cylinder == cylinder && track->sectors[0].head == head)
            return track;
    }
    return nullptr;
}

const d88_sector* find_d88_sector(const d88_disk* disk, int32_t cylinder, int32_t head,
                                  int32_t record)
{
    const d88_track* track = find_d88_track(disk, cylinder, head);
    if (track == nullptr)
        return nullptr;
    for (int32_t i = 0; i < track->sector_count; i++) {
        if (track->sectors[i].record == record)
            return &track->sectors[i];
    }
    return nullptr;
}
