// Lookups of disks by position and of tracks and sectors by address.
#include "d88_find.h"

#include <cstddef>
#include <cstring>

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
    // Cylinder and head are bytes: a value outside 0-255 matches no sector.
    if (disk == nullptr || cylinder < 0 || cylinder > 0xFF || head < 0 || head > 0xFF)
        return nullptr;
    // C and H are the first two bytes of a sector record: both are compared
    // at once, as one 16-bit value in the host's order.
    static_assert(offsetof(d88_sector, cylinder) == 0 && offsetof(d88_sector, head) == 1,
                  "C and H lead the sector record");
    const uint8_t wanted_bytes[2] = {static_cast<uint8_t>(cylinder), static_cast<uint8_t>(head)};
    uint16_t wanted;
    memcpy(&wanted, wanted_bytes, sizeof wanted);
    const d88_track* end = disk->tracks + d88_max_tracks;
    for (const d88_track* track = disk->tracks; track < end; track++) {
        if (track->sector_count < 1 || track->sectors == nullptr)
            continue;
        uint16_t first;
        memcpy(&first, track->sectors, sizeof first);
        if (first == wanted)
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
    if (record < 0 || record > 0xFF)
        return nullptr;
    const d88_sector* end = track->sectors + track->sector_count;
    for (const d88_sector* sector = track->sectors; sector < end; sector++) {
        if (sector->record == record)
            return sector;
    }
    return nullptr;
}
