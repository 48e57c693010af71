// Writing the image back without ever destroying the file it replaces
// (see file_replacement.h).
#include "fat12_image.h"
#include "file_replacement.h"
#include "message_lines.h"

int write_fat12_image_file(const fat12_image* image, const char* path)
{
    if (image == nullptr || path == nullptr)
        return -1;
    // A closed record has nothing to write, which counts as a short write.
    size_t size = image->buffer != nullptr && image->file_size > 0
                      ? static_cast<size_t>(image->file_size)
                      : 0;
    file_status status;
    if (replace_file(path, image->buffer, size, &status) == 0)
        return 0;
    if (status.failed == file_step_memory)
        print_message("memory exhausted!\n");
    else if (status.failed == file_step_open)
        print_message("open error '%s'\n", path);
    else
        print_message("write error '%s'\n", path);
    return -1;
}
