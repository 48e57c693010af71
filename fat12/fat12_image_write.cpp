// Writing the image back. The image goes to a new file beside the target
// first and replaces the target only once it was written and closed
// completely, so a failure never destroys the file that was there. A
// symbolic link at the target stays; the file it names is the one replaced.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "fat12_image.h"

namespace fs = std::filesystem;

namespace {

const char new_file_suffix[] = ".new";

enum {
    new_file_tries = 100,  // numbers 0 to 99 after the suffix
    new_file_number_size = 2,
    symlink_limit = 40  // links followed before the target counts as a loop
};

// The exclusive mode "x" refuses a name that exists at the moment of the
// open, even a dangling link. The older Windows runtime msvcrt.dll does
// not know it, so there names that exist are skipped beforehand.
#ifdef _WIN32
const char new_file_mode[] = "wb";
#else
const char new_file_mode[] = "wbx";
#endif

bool is_link(const fs::path& path)
{
    std::error_code error;
    return fs::is_symlink(fs::symlink_status(path, error));
}

// A copy of path on the heap, or null.
char* copy_path(const char* path)
{
    size_t size = strlen(path) + 1;
    char* copy = static_cast<char*>(malloc(size));
    if (copy == nullptr)
        puts("memory exhausted!");
    else
        memcpy(copy, path, size);
    return copy;
}

// The file that writing to path reaches: path itself, or for a symbolic
// link the path it names, followed link by link (a dangling link gives the
// path it names). A heap copy, or null after printing why.
char* resolve_target(const char* path)
{
    if (!is_link(path))
        return copy_path(path);
    fs::path target(path);
    for (int links = 0; is_link(target); links++) {
        std::error_code error;
        fs::path named = fs::read_symlink(target, error);
        if (error || links == symlink_limit) {
            printf("open error '%s'\n", path);
            return nullptr;
        }
        // A relative link is taken from the link's own folder.
        target = target.parent_path() / named;
    }
    return copy_path(target.string().c_str());
}

// An existing target must open for update, as writing it in place would
// need; the open changes nothing and is closed at once.
bool target_exists(const char* target)
{
    std::error_code error;
    return fs::status(target, error).type() != fs::file_type::not_found;
}

bool target_opens_for_update(const char* target)
{
    FILE* file = fopen(target, "r+b");
    if (file == nullptr)
        return false;
    fclose(file);
    return true;
}

#ifdef _WIN32
// True when no file, folder or link holds the name.
bool name_is_free(const char* name)
{
    std::error_code error;
    return fs::symlink_status(name, error).type() == fs::file_type::not_found;
}
#endif

// Creates a file that did not exist before, beside the target: its path
// with the suffix and a number added, the first such name that no file
// holds. The open file with its name in new_name, or null.
FILE* create_file_beside(const char* target, char* new_name, size_t new_name_size)
{
    for (int n = 0; n < new_file_tries; n++) {
        snprintf(new_name, new_name_size, "%s%s%d", target, new_file_suffix, n);
#ifdef _WIN32
        if (!name_is_free(new_name))
            continue;
#endif
        errno = 0;
        FILE* file = fopen(new_name, new_file_mode);
        if (file != nullptr || errno != EEXIST)
            return file;
    }
    return nullptr;
}

// Gives the new file the permissions of the target it replaces.
bool copy_permissions(const char* target, const char* new_name)
{
    std::error_code error;
    fs::file_status status = fs::status(target, error);
    if (!error)
        fs::permissions(new_name, status.permissions(), error);
    return !error;
}

// Writes the buffer into a new file beside target and puts it in the
// target's place; messages name path. 0, or -1.
int replace_file(const fat12_image* image, const char* path, const char* target)
{
    bool existed = target_exists(target);
    if (existed && !target_opens_for_update(target)) {
        printf("open error '%s'\n", path);
        return -1;
    }
    size_t new_name_size = strlen(target) + sizeof new_file_suffix + new_file_number_size;
    char* new_name = static_cast<char*>(malloc(new_name_size));
    if (new_name == nullptr) {
        puts("memory exhausted!");
        return -1;
    }
    FILE* file = create_file_beside(target, new_name, new_name_size);
    if (file == nullptr) {
        printf("open error '%s'\n", path);
        free(new_name);
        return -1;
    }
    // A closed record has nothing to write, which counts as a short write.
    bool written = image->buffer != nullptr && image->file_size > 0 &&
                   fwrite(image->buffer, static_cast<size_t>(image->file_size), 1, file) == 1;
    bool closed = fclose(file) == 0;
    bool replaced = written && closed && (!existed || copy_permissions(target, new_name));
    if (replaced) {
        std::error_code error;
        fs::rename(new_name, target, error);
        replaced = !error;
    }
    if (!replaced) {
        remove(new_name);
        printf("write error '%s'\n", path);
    }
    free(new_name);
    return replaced ? 0 : -1;
}

}  // namespace

int write_fat12_image_file(const fat12_image* image, const char* path)
{
    if (image == nullptr || path == nullptr)
        return -1;
    char* target = resolve_target(path);
    if (target == nullptr)
        return -1;
    int result = replace_file(image, path, target);
    free(target);
    return result;
}
