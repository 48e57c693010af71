// Serialises a whole image into one heap buffer of exactly its size.
#include <cstdlib>

#include "d88_write.h"
#include "d88_write_layout.h"
#include "message_lines.h"

int write_d88_image_to_buffer(const d88_image* image, uint8_t** buffer, uint32_t* size)
{
    if (image == nullptr || buffer == nullptr || size == nullptr) {
        print_message("write_d88_image_to_buffer: illegal parameter\n");
        return -1;
    }
    return write_d88_disks_to_buffer(image->first_disk, image->disk_count, buffer, size);
}

int write_d88_disks_to_buffer(const d88_disk* first, int32_t count, uint8_t** buffer,
                              uint32_t* size)
{
    *buffer = nullptr;
    int32_t image_size = get_d88_disks_size(first, count);
    // An image too large for 32-bit positions cannot be held in one buffer.
    if (image_size < 0) {
        *size = 0;
        print_message("memory exhaust!\n");
        return -1;
    }
    *size = static_cast<uint32_t>(image_size);
    // Nothing to write, and no allocation of 0 bytes, whose result differs
    // between allocators.
    if (image_size == 0)
        return 0;

    uint8_t* bytes = static_cast<uint8_t*>(calloc(static_cast<size_t>(image_size), 1));
    if (bytes == nullptr) {
        print_message("memory exhaust!\n");
        return -1;
    }
    uint8_t* cursor = bytes;
    const d88_disk* disk = first;
    for (int32_t i = 0; disk != nullptr && i < count; i++, disk = disk->next) {
        int32_t space = static_cast<int32_t>(bytes + image_size - cursor);
        if (write_d88_disk_to_buffer(disk, cursor, &cursor, space) < 0) {
            print_message("write d88 disk[%d] error\n", i);
            free(bytes);
            return -1;
        }
    }
    *buffer = bytes;
    return 0;
}
