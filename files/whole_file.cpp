#include "whole_file.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>

namespace {

// Records the failed step and the errno of the call that failed; 0 when
// the call did not set it. Always -1.
int fail(file_status* status, file_step step, int error_number)
{
    status->failed = step;
    status->error_number = error_number;
    return -1;
}

}  // namespace

int read_whole_file(const char* path, size_t size_limit, uint8_t** bytes, size_t* size,
                    file_status* status)
{
    *bytes = nullptr;
    *size = 0;
    *status = {file_step_none, 0};
    errno = 0;
    FILE* file = fopen(path, "rb");
    if (file == nullptr)
        return fail(status, file_step_open, errno);
    int result = 0;
    long length = -1;
    errno = 0;
    if (fseek(file, 0, SEEK_END) != 0 || (length = ftell(file)) < 0)
        result = fail(status, file_step_seek_end, errno);
    else if (fseek(file, 0, SEEK_SET) != 0)
        result = fail(status, file_step_seek_set, errno);
    else if (static_cast<unsigned long>(length) > size_limit)
        result = fail(status, file_step_too_large, 0);
    // An empty file has nothing to read: a short read, found before any
    // allocation of 0 bytes.
    else if (length == 0)
        result = fail(status, file_step_read, 0);
    if (result < 0) {
        fclose(file);
        return result;
    }
    size_t file_size = static_cast<size_t>(length);
    uint8_t* buffer = static_cast<uint8_t*>(malloc(file_size));
    if (buffer == nullptr) {
        fclose(file);
        return fail(status, file_step_memory, ENOMEM);
    }
    errno = 0;
    size_t items = fread(buffer, file_size, 1, file);
    int read_error = errno;
    fclose(file);
    if (items != 1) {
        free(buffer);
        return fail(status, file_step_read, read_error);
    }
    *bytes = buffer;
    *size = file_size;
    return 0;
}

int read_file_start(const char* path, uint8_t* buffer, size_t size, file_status* status)
{
    *status = {file_step_none, 0};
    errno = 0;
    FILE* file = fopen(path, "rb");
    if (file == nullptr)
        return fail(status, file_step_open, errno);
    errno = 0;
    size_t items = fread(buffer, size, 1, file);
    int read_error = errno;
    fclose(file);
    return items == 1 ? 0 : fail(status, file_step_read, read_error);
}
