#include "storage_start.h"

#include "message_lines.h"
#include "whole_file.h"

int read_storage_start(const char* path, unsigned char* buffer, size_t size)
{
    file_status status;
    if (read_file_start(path, buffer, size, &status) == 0)
        return 0;
    print_message(status.failed == file_step_open ? "error: open '%s'\n" : "error: read '%s'\n",
                  path);
    return -1;
}
