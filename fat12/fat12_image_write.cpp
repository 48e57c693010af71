// Writing the image back. The image goes to a new file beside the target
// first and replaces the target only once it was written and closed
// completely, so a failure never destroys the file that was there.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "fat12_image.h"

namespace {

const char new_file_suffix[] = ".new";

enum {
    new_file_tries = 100,  // numbers 0 to 99 after the suffix
    new_file_number_size = 2
};

// The exclusive mode "x" refuses a file that exists at the moment of the
// open. The older Windows runtime msvcrt.dll does not know it (it ignores
// or refuses unknown mode letters), so on Windows the test for existing
// names beforehand has to do.
#ifdef _WIN32
const char new_file_mode[] = "wb";
#else
const char new_file_mode[] = "wbx";
#endif

// Creates a file that did not exist before, in the target's folder: the
// target's path with the suffix and a number added; names that exist are
// skipped. Returns the open file with its path in new_path, or null.
FILE* create_file_beside(const char* path, char* new_path, size_t new_path_size)
{
    for (int n = 0; n < new_file_tries; n++) {
        snprintf(new_path, new_path_size, "%s%s%d", path, new_file_suffix, n);
        std::error_code error;
        if (std::filesystem::exists(new_path, error))
            continue;
        errno = 0;
        FILE* file = fopen(new_path, new_file_mode);
        if (file != nullptr || errno != EEXIST)
            return file;
    }
    return nullptr;
}

}  // namespace

int write_fat12_image_file(const fat12_image* image, const char* path)
{
    if (image == nullptr || path == nullptr)
        return -1;
    size_t new_path_size = strlen(path) + sizeof new_file_suffix + new_file_number_size;
    char* new_path = static_cast<char*>(malloc(new_path_size));
    if (new_path == nullptr) {
        puts("memory exhausted!");
        return -1;
    }
    FILE* file = create_file_beside(path, new_path, new_path_size);
    if (file == nullptr) {
        printf("open error '%s'\n", path);
        free(new_path);
        return -1;
    }
    // A closed record has nothing to write, which counts as a short write.
    bool written = image->buffer != nullptr && image->file_size > 0 &&
                   fwrite(image->buffer, static_cast<size_t>(image->file_size), 1, file) == 1;
    bool closed = fclose(file) == 0;
    bool replaced = false;
    if (written && closed) {
        std::error_code error;
        std::filesystem::rename(new_path, path, error);
        replaced = !error;
    }
    if (!replaced) {
        remove(new_path);
        printf("write error '%s'\n", path);
    }
    free(new_path);
    return replaced ? 0 : -1;
}
