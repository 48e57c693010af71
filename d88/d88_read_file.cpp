// Loads a D88 file whole in one call (mapped where the system can) and
// parses it from memory.
#include <cstdint>
#include <cstdlib>

#include "d88_free.h"
#include "d88_read.h"
#include "message_lines.h"
#include "whole_file.h"

int read_d88_image_file(d88_image* image, const char* path)
{
    // A file too large for the signed 32-bit positions of the readers has
    // no length they can take.
    mapped_file file;
    file_status status;
    if (map_whole_file(path, INT32_MAX, &file, &status) < 0) {
        switch (status.failed) {
        case file_step_open:
            print_message("open error '%s'\n", path);
            break;
        case file_step_seek_end:
        case file_step_too_large:
            print_message("seek error(SEEK_END) '%s'\n", path);
            break;
        case file_step_seek_set:
            print_message("seek error(SEEK_SET) '%s'\n", path);
            break;
        case file_step_memory:
            print_message("memory exhaust!\n");
            break;
        default:
            print_message("read error '%s'\n", path);
            break;
        }
        return -1;
    }
    // A file cut while it was read holds zeros where it was cut: a short
    // read, whatever the parse made of them, so the parse's lines are held
    // until that is known.
    message_hold hold;
    hold_messages(&hold);
    int result = read_d88_image_from_buffer(image, file.bytes, static_cast<int32_t>(file.size));
    const bool cut = mapped_file_was_cut(&file);
    release_messages(&hold, !cut);
    if (cut) {
        if (result >= 0)
            free_d88_image(image, 0);
        print_message("read error '%s'\n", path);
        result = -1;
    } else if (result < 0) {
        print_message("read image data error '%s'\n", path);
    }
    unmap_whole_file(&file);
    return result;
}
