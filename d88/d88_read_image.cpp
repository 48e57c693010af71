// Splits a buffer into the disks stored back to back in it.
#include <cstdlib>

#include "d88_free.h"
#include "d88_read.h"
#include "message_lines.h"

int read_d88_image_from_buffer(d88_image* image, const uint8_t* buffer, int32_t length)
{
    if (image == nullptr || buffer == nullptr || length < 1) {
        print_message("read_d88_image_from_buffer: illegal parameter\n");
        return -1;
    }
    // The record is expected empty; nothing it held is released here.
    image->disk_count = 0;
    image->first_disk = nullptr;

    d88_disk* last = nullptr;
    const uint8_t* cursor = buffer;
    int32_t remainder = length;
    for (;;) {
        if (remainder == 0)
            return image->disk_count;
        if (remainder < d88_header_size && remainder != d88_short_header_size) {
            print_message("data size too short ... garbage? ... ignored\n");
            return image->disk_count;
        }
        d88_disk* disk = static_cast<d88_disk*>(calloc(1, sizeof(d88_disk)));
        if (disk == nullptr) {
            print_message("memory exhaust!\n");
            free_d88_image(image, 0);
            return -1;
        }
        if (read_d88_disk_from_buffer(disk, cursor, remainder) < 0) {
            print_message("read disk %d error\n", image->disk_count + 1);
            free_d88_disk(disk, 1);
            free_d88_image(image, 0);
            return -1;
        }
        // The disk reader accepts only 672 <= disk_size <= remainder, so the
        // cursor always moves on and the remainder never goes below 0.
        cursor += disk->disk_size;
        remainder -= disk->disk_size;
        if (last == nullptr)
            image->first_disk = disk;
        else
            last->next = disk;
        last = disk;
        image->disk_count++;
    }
}

bool looks_like_d88_image(const uint8_t* bytes, size_t size)
{
    if (bytes == nullptr || size < d88_short_header_size)
        return false;
    uint32_t disk_size = d88::read_le32(bytes + d88_disk_size_offset);
    if (disk_size < d88_short_header_size || disk_size > size ||
        !is_d88_write_protect_flag(bytes[d88_write_protect_offset]) ||
        !is_d88_media_type(bytes[d88_media_type_offset]))
        return false;
    // Every track offset of the shorter table is 0 or lies behind a header
    // and inside the disk, as the reader wants them.
    for (int slot = 0; slot < d88_short_track_count; slot++) {
        uint32_t offset =
            d88::read_le32(bytes + d88_track_table_offset + d88_track_entry_size * slot);
        if (offset != 0 && (offset < d88_short_header_size || offset >= disk_size))
            return false;
    }
    return true;
}
