#include "apple2_storage.h"

#include "message_lines.h"
#include "whole_file.h"

int read_dsk_image(const char* path, unsigned char* buffer)
{
    file_status status;
    if (read_file_start(path, buffer, dsk_talk_bytes, &status) < 0) {
        print_message(status.failed == file_step_open ? "error: open '%s'\n" : "error: read '%s'\n",
                      path);
        return -1;
    }
    return 0;
}
