// Writes an image or one disk to a file without ever destroying the file
// being replaced: the whole image goes into a new file beside the target,
// and only a complete, closed file is renamed over it.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "d88_write.h"

namespace {

const int new_file_attempts = 1000;  // numbered names tried beside the target

// True when no file or folder holds the name; false when one does or when
// that cannot be told.
bool name_is_free(const char* name)
{
    std::error_code error;
    std::filesystem::file_status status = std::filesystem::symlink_status(name, error);
    return status.type() == std::filesystem::file_type::not_found;
}

// Creates a new file named after the target with a number appended
// ("<target>.<n>.new"), so that it lies in the target's folder, under the
// first such name that no file holds. The name goes to *name (the caller
// frees it). The open file, or null.
FILE* open_new_file(const char* path, char** name)
{
    size_t length = strlen(path) + sizeof ".999.new";
    *name = static_cast<char*>(malloc(length));
    if (*name == nullptr) {
        puts("memory exhaust!");
        return nullptr;
    }
    for (int n = 0; n < new_file_attempts; n++) {
        snprintf(*name, length, "%s.%d.new", path, n);
        if (name_is_free(*name))
            return fopen(*name, "wb");
    }
    return nullptr;
}

// Writes size bytes as one element and closes the file: 0, or -1 when the
// write or the close fails. The file is closed in both cases.
int write_and_close(FILE* file, const uint8_t* bytes, uint32_t size)
{
    size_t items = fwrite(bytes, size, 1, file);
    int closed = fclose(file);
    return items == 1 && closed == 0 ? 0 : -1;
}

// Puts the new file in the target's place (an existing file is replaced).
int replace_target(const char* new_name, const char* path)
{
    std::error_code error;
    std::filesystem::rename(new_name, path, error);
    return error ? -1 : 0;
}

}  // namespace

int write_d88_image_file(const d88_image* image, const char* path)
{
    if (path == nullptr) {
        puts("write_d88_image_file: illegal parameter");
        return -1;
    }
    uint8_t* buffer = nullptr;
    uint32_t size = 0;
    if (write_d88_image_to_buffer(image, &buffer, &size) < 0) {
        printf("write image data error '%s'\n", path);
        return -1;
    }
    // An image without disks makes no file: writing it would only empty
    // the target.
    if (size == 0) {
        printf("write error '%s'\n", path);
        return -1;
    }
    char* new_name = nullptr;
    FILE* file = open_new_file(path, &new_name);
    if (file == nullptr) {
        printf("open error '%s'\n", path);
        free(new_name);  // nothing was created under it
        free(buffer);
        return -1;
    }
    int result = write_and_close(file, buffer, size);
    free(buffer);
    if (result == 0)
        result = replace_target(new_name, path);
    if (result < 0) {
        remove(new_name);
        printf("write error '%s'\n", path);
    }
    free(new_name);
    return result;
}

int write_d88_disk_file(const d88_disk* disk, const char* path)
{
    if (disk == nullptr || path == nullptr) {
        puts("write_d88_disk_file: illegal parameter");
        return -1;
    }
    // An image of this one disk; the disk's own next link is not followed
    // and not changed. The writer only reads the disk.
    d88_image image = {1, const_cast<d88_disk*>(disk)};
    return write_d88_image_file(&image, path);
}
