// Writes an image or one disk to a file without ever destroying the file
// being replaced (see file_replacement.h).
#include <cstdlib>

#include "d88_write.h"
#include "d88_write_layout.h"
#include "file_replacement.h"
#include "message_lines.h"

namespace {

// Writes the first count disks of the chain from first to path. 0, or -1.
int write_disks_file(const d88_disk* first, int32_t count, const char* path)
{
    uint8_t* buffer = nullptr;
    uint32_t size = 0;
    if (write_d88_disks_to_buffer(first, count, &buffer, &size) < 0) {
        print_message("write image data error '%s'\n", path);
        return -1;
    }
    // An image without disks (size 0) counts as a short write and leaves
    // the target as it was.
    file_status status;
    int result = replace_file(path, buffer, size, &status);
    if (result < 0) {
        if (status.failed == file_step_memory)
            print_message("memory exhaust!\n");
        else if (status.failed == file_step_open)
            print_message("open error '%s'\n", path);
        else
            print_message("write error '%s'\n", path);
    }
    free(buffer);
    return result;
}

}  // namespace

int write_d88_image_file(const d88_image* image, const char* path)
{
    if (image == nullptr || path == nullptr) {
        print_message("write_d88_image_file: illegal parameter\n");
        return -1;
    }
    return write_disks_file(image->first_disk, image->disk_count, path);
}

int write_d88_disk_file(const d88_disk* disk, const char* path)
{
    if (disk == nullptr || path == nullptr) {
        print_message("write_d88_disk_file: illegal parameter\n");
        return -1;
    }
    // The disk alone: its own next link is not followed and not changed.
    return write_disks_file(disk, 1, path);
}
