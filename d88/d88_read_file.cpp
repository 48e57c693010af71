// Loads a D88 file whole with one read and parses it from memory.
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "d88_read.h"

namespace {

// The file's length, or -1 when it cannot be told or does not fit the
// signed 32-bit positions of the readers.
long tell_file_length(FILE* file)
{
    if (fseek(file, 0, SEEK_END) != 0)
        return -1;
    long length = ftell(file);
    if (length < 0 || length > INT32_MAX)
        return -1;
    return length;
}

}  // namespace

int read_d88_image_file(d88_image* image, const char* path)
{
    FILE* file = fopen(path, "rb");
    if (file == nullptr) {
        printf("open error '%s'\n", path);
        return -1;
    }
    long length = tell_file_length(file);
    if (length < 0) {
        printf("seek error(SEEK_END) '%s'\n", path);
        fclose(file);
        return -1;
    }
    if (fseek(file, 0, SEEK_SET) != 0) {
        printf("seek error(SEEK_SET) '%s'\n", path);
        fclose(file);
        return -1;
    }
    // One byte at least, so that an empty file reaches the read and fails
    // there rather than on a zero-sized allocation.
    size_t size = static_cast<size_t>(length);
    uint8_t* buffer = static_cast<uint8_t*>(malloc(size > 0 ? size : 1));
    if (buffer == nullptr) {
        puts("memory exhaust!");
        fclose(file);
        return -1;
    }
    size_t items = fread(buffer, size, 1, file);  // 0 for an empty file
    fclose(file);
    if (items != 1) {
        printf("read error '%s'\n", path);
        free(buffer);
        return -1;
    }
    int result = read_d88_image_from_buffer(image, buffer, static_cast<int32_t>(length));
    if (result < 0)
        printf("read image data error '%s'\n", path);
    free(buffer);
    return result;
}
