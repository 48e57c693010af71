// Reads one sector: its 16-byte header and a copy of the data behind it.
#include <cstdlib>
#include <cstring>

#include "d88_read.h"
#include "message_lines.h"

int read_d88_sector_from_buffer(d88_sector* sector, const uint8_t* disk_start, int32_t position,
                                int32_t end)
{
    if (sector == nullptr || disk_start == nullptr || position < 1 || end < 1 || end <= position) {
        print_message("read_d88_sector_from_buffer: illegal parameter\n");
        return -1;
    }
    memset(sector, 0, sizeof *sector);

    // Differences rather than sums: end > position >= 1, so end - position
    // cannot overflow.
    int32_t room = end - position;
    if (room < d88_sector_header_size) {
        print_message("data error: data size(0x%08X) < offset(0x%08X)\n",
                      static_cast<unsigned>(end), static_cast<unsigned>(position));
        return -1;
    }
    const uint8_t* header = disk_start + position;
    sector->cylinder = header[d88_sector_cylinder_offset];
    sector->head = header[d88_sector_head_offset];
    sector->record = header[d88_sector_record_offset];
    sector->size_code = header[d88_sector_size_code_offset];
    sector->sectors_in_track = d88::read_le16(header + d88_sector_count_offset);
    sector->density = header[d88_sector_density_offset];
    sector->deleted = header[d88_sector_deleted_offset];
    sector->status = header[d88_sector_status_offset];
    memcpy(sector->reserved, header + d88_sector_reserved_offset, d88_sector_reserved_size);
    uint16_t size_field = d88::read_le16(header + d88_sector_data_size_offset);
    sector->data_size = static_cast<int16_t>(size_field);

    if (room - d88_sector_header_size < sector->data_size) {
        print_message(
            "data error: data size(0x%08X) < offset(0x%08X) + 0x10 + sector size(0x%04X)\n",
            static_cast<unsigned>(end), static_cast<unsigned>(position),
            static_cast<unsigned>(size_field));
        return -1;
    }
    if (sector->data_size == 0)
        return 0;
    // A size field of 0x8000 or more is negative as a signed 16-bit value:
    // no allocation can hold it, so it is reported as one that failed
    // without asking the allocator for an absurd block.
    if (sector->data_size < 0) {
        print_message("memory exhaust!\n");
        return -1;
    }
    size_t size = static_cast<size_t>(sector->data_size);
    sector->data = static_cast<uint8_t*>(malloc(size));
    if (sector->data == nullptr) {
        print_message("memory exhaust!\n");
        return -1;
    }
    memcpy(sector->data, header + d88_sector_header_size, size);
    return 0;
}
