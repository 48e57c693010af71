// Reads one track: the sectors that stand back to back from its offset.
#include <cstdio>
#include <cstdlib>

#include "d88_read.h"

namespace {

bool all_zero(const uint8_t* bytes, int count)
{
    for (int i = 0; i < count; i++) {
        if (bytes[i] != 0)
            return false;
    }
    return true;
}

}  // namespace

int read_d88_track_from_buffer(d88_track* track, const uint8_t* disk_start, int32_t offset,
                               int32_t end)
{
    if (track == nullptr || disk_start == nullptr || offset < 1 || end < 1 || end <= offset) {
        puts("read_d88_track_from_buffer: illegal parameter");
        return -1;
    }
    track->sector_count = 0;
    track->sectors = nullptr;

    // The count field and the empty-track test need a whole sector header
    // inside the extent. A shorter extent can hold no sector: the sector
    // reader refuses the first header and says why.
    if (end - offset < d88_sector_header_size) {
        d88_sector first;
        read_d88_sector_from_buffer(&first, disk_start, offset, end);
        printf("read sector %d error\n", 0);
        return -1;
    }

    const uint8_t* first_header = disk_start + offset;
    int32_t count = d88::read_le16(first_header + d88_sector_count_offset);
    track->sector_count = count;
    if (count == 0 && all_zero(first_header, d88_sector_header_size))
        return 0;
    if (count < 1) {
        printf("illegal data: # of sectors = %d\n", count);
        return -1;
    }

    d88_sector* sectors =
        static_cast<d88_sector*>(calloc(static_cast<size_t>(count), sizeof(d88_sector)));
    if (sectors == nullptr) {
        puts("memory exhaust!");
        return -1;
    }
    track->sectors = sectors;

    int32_t position = offset;
    for (int32_t i = 0; i < count; i++) {
        if (read_d88_sector_from_buffer(&sectors[i], disk_start, position, end) < 0) {
            printf("read sector %d error\n", i);
            return -1;
        }
        position += d88_sector_header_size + sectors[i].data_size;
    }
    // Bytes between the last sector and the end of the extent are ignored.
    return 0;
}
