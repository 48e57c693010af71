// Reads one track: the sectors that stand back to back from its offset.
#include <cstdlib>

#include "d88_read.h"
#include "message_lines.h"

namespace {

bool all_zero(const uint8_t* bytes, int32_t count)
{
    for (int32_t i = 0; i < count; i++) {
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
        print_message("read_d88_track_from_buffer: illegal parameter\n");
        return -1;
    }
    track->sector_count = 0;
    track->sectors = nullptr;

    // Nothing past the extent is read: bytes beyond it count as absent.
    // The count field is 0 unless it lies wholly inside the extent, and
    // the empty-track test looks at the extent's bytes up to 16 of them.
    // end > offset >= 1, so end - offset cannot overflow.
    int32_t extent = end - offset;
    const uint8_t* first_header = disk_start + offset;
    int32_t count = 0;
    if (extent >= d88_sector_count_offset + d88_sector_count_size)
        count = d88::read_le16(first_header + d88_sector_count_offset);
    track->sector_count = count;
    int32_t tested = extent < d88_sector_header_size ? extent : d88_sector_header_size;
    if (count == 0 && all_zero(first_header, tested))
        return 0;
    if (count < 1) {
        print_message("illegal data: # of sectors = %d\n", count);
        return -1;
    }

    d88_sector* sectors =
        static_cast<d88_sector*>(calloc(static_cast<size_t>(count), sizeof(d88_sector)));
    if (sectors == nullptr) {
        print_message("memory exhaust!\n");
        return -1;
    }
    track->sectors = sectors;

    // The sector reader refuses a header that does not fit in the extent.
    int32_t position = offset;
    for (int32_t i = 0; i < count; i++) {
        if (read_d88_sector_from_buffer(&sectors[i], disk_start, position, end) < 0) {
            print_message("read sector %d error\n", i);
            return -1;
        }
        position += d88_sector_header_size + sectors[i].data_size;
    }
    // Bytes between the last sector and the end of the extent are ignored.
    return 0;
}
