#include "file_replacement.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>

#ifdef _WIN32
#include <direct.h>
#include <io.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace fs = std::filesystem;

namespace {

const char new_file_suffix[] = ".new";

enum {
    new_file_tries = 100,  // numbers 0 to 99 after the suffix
    new_file_number_size = 2,
    symlink_limit = 40  // links followed before the target counts as a loop
};

// The exclusive mode "x" refuses a name that exists at the moment of the
// open, even a dangling link. msvcrt.dll on Windows does not know it, so
// there names that exist are skipped beforehand.
#ifdef _WIN32
const char new_file_mode[] = "wb";
#else
const char new_file_mode[] = "wbx";
#endif

int fail(file_status* status, file_step step, int error_number)
{
    status->failed = step;
    status->error_number = error_number;
    return -1;
}

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
    if (copy != nullptr)
        memcpy(copy, path, size);
    return copy;
}

// The file that writing to path reaches: path itself, or for a symbolic
// link the path it names, followed link by link (a dangling link gives the
// path it names). A heap copy, or null with *status set.
char* resolve_target(const char* path, file_status* status)
{
    fs::path target(path);
    int links = 0;
    for (; is_link(target); links++) {
        std::error_code error;
        fs::path named = fs::read_symlink(target, error);
        if (error || links == symlink_limit) {
            fail(status, file_step_open, error ? error.value() : ELOOP);
            return nullptr;
        }
        // A relative link is taken from the link's own folder.
        target = target.parent_path() / named;
    }
    // A path that is no link is taken as given, unconverted.
    char* copy = copy_path(links == 0 ? path : target.string().c_str());
    if (copy == nullptr)
        fail(status, file_step_memory, ENOMEM);
    return copy;
}

bool target_exists(const char* target)
{
    std::error_code error;
    return fs::status(target, error).type() != fs::file_type::not_found;
}

// Only a regular file is replaced: a device, a pipe or a folder renamed
// over would vanish, and its contents would never be written.
bool target_is_regular(const char* target, file_status* status)
{
    std::error_code error;
    if (fs::status(target, error).type() == fs::file_type::regular)
        return true;
    fail(status, file_step_open, error ? error.value() : EINVAL);
    return false;
}

// An existing target must open for update, as writing it in place would
// need; the open changes nothing and is closed at once.
bool target_opens_for_update(const char* target, file_status* status)
{
    errno = 0;
    FILE* file = fopen(target, "r+b");
    if (file == nullptr) {
        fail(status, file_step_open, errno);
        return false;
    }
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

// Makes a file or folder at name, which must not exist: 0, or -1 with
// errno set (EEXIST where the name is taken).
typedef int (*create_at_name)(const char* name, void* made);

int create_file_at(const char* name, void* made)
{
#ifdef _WIN32
    if (!name_is_free(name)) {
        errno = EEXIST;
        return -1;
    }
#endif
    FILE* file = fopen(name, new_file_mode);
    *static_cast<FILE**>(made) = file;
    return file != nullptr ? 0 : -1;
}

int create_folder_at(const char* name, void*)
{
#ifdef _WIN32
    return _mkdir(name);
#else
    return mkdir(name, S_IRWXU | S_IRWXG | S_IRWXO);
#endif
}

// Makes a new file or folder beside the target under the first name of the
// series <target>.new0 to .new99 that nothing holds. 0 with its name in
// new_name, or -1 with *status set.
int create_beside(const char* target, create_at_name create, void* made, char* new_name,
                  size_t new_name_size, file_status* status)
{
    int error_number = EEXIST;
    for (int n = 0; n < new_file_tries; n++) {
        snprintf(new_name, new_name_size, "%s%s%d", target, new_file_suffix, n);
        errno = 0;
        int result = create(new_name, made);
        error_number = errno;
        if (result == 0)
            return 0;
        if (error_number != EEXIST)
            break;
    }
    return fail(status, file_step_open, error_number);
}

// The size of a name of the series beside target, its NUL included.
size_t beside_name_size(const char* target)
{
    return strlen(target) + sizeof new_file_suffix + new_file_number_size;
}

// Gives a new file the permission bits of the target before anything is
// written into it, so that contents the target kept from others are never
// readable in the new file. The set-id bits follow at the commit.
void restrict_new_file(FILE* file, const char* target)
{
#ifndef _WIN32
    struct stat target_stat;
    if (stat(target, &target_stat) == 0)
        fchmod(fileno(file), target_stat.st_mode & (S_IRWXU | S_IRWXG | S_IRWXO));
#else
    static_cast<void>(file);
    static_cast<void>(target);
#endif
}

// Puts what was written on the disk itself, so that after a power loss the
// rename never leaves a name for contents that were not written.
bool sync_file(FILE* file)
{
    if (fflush(file) != 0)
        return false;
#ifdef _WIN32
    return _commit(_fileno(file)) == 0;
#else
    return fsync(fileno(file)) == 0;
#endif
}

// Makes a rename in the folder of path last over a power loss (best effort:
// not every system syncs a folder).
void sync_folder_of(const char* path)
{
#ifndef _WIN32
    std::string folder = fs::path(path).parent_path().string();
    int fd = open(folder.empty() ? "." : folder.c_str(), O_RDONLY);
    if (fd >= 0) {
        fsync(fd);
        close(fd);
    }
#else
    static_cast<void>(path);
#endif
}

// Writes size bytes as one element, syncs and closes the file: 0, or -1
// when the write, the sync or the close fails. The file is closed in both
// cases.
int write_and_close(FILE* file, const uint8_t* bytes, size_t size, file_status* status)
{
    errno = 0;
    bool written = size > 0 && fwrite(bytes, size, 1, file) == 1 && sync_file(file);
    int error_number = errno;
    errno = 0;
    bool closed = fclose(file) == 0;
    if (written && !closed)
        error_number = errno;
    return written && closed ? 0 : fail(status, file_step_write, error_number);
}

// Gives the new file the owner and group of the target where the process
// may (an ordinary user cannot give a file away, and keeps the replacement
// as its own), then the target's permissions: after the owner, as a change
// of owner may clear the set-id bits.
int copy_owner_and_permissions(const char* target, const char* new_name, file_status* status)
{
#ifndef _WIN32
    struct stat target_stat;
    struct stat new_stat;
    if (stat(target, &target_stat) != 0 || stat(new_name, &new_stat) != 0)
        return fail(status, file_step_write, errno);
    // Best effort: where the owner cannot be set (an ordinary user, or root
    // on a network file system that maps it to nobody), the group may still
    // be; the write goes on either way.
    if ((target_stat.st_uid != new_stat.st_uid || target_stat.st_gid != new_stat.st_gid) &&
        chown(new_name, target_stat.st_uid, target_stat.st_gid) != 0 &&
        target_stat.st_gid != new_stat.st_gid) {
        int kept = chown(new_name, static_cast<uid_t>(-1), target_stat.st_gid);
        static_cast<void>(kept);
    }
#endif
    std::error_code error;
    fs::file_status target_status = fs::status(target, error);
    if (!error)
        fs::permissions(new_name, target_status.permissions(), error);
    return error ? fail(status, file_step_write, error.value()) : 0;
}

void release_names(file_replacement* replacement)
{
    free(replacement->target);
    free(replacement->new_name);
    *replacement = {nullptr, nullptr, false};
}

}  // namespace

int stage_file_replacement(const char* path, const uint8_t* bytes, size_t size,
                           file_replacement* replacement, file_status* status)
{
    *status = {file_step_none, 0};
    *replacement = {nullptr, nullptr, false};
    char* target = resolve_target(path, status);
    if (target == nullptr)
        return -1;
    bool existed = target_exists(target);
    if (existed &&
        (!target_is_regular(target, status) || !target_opens_for_update(target, status))) {
        free(target);
        return -1;
    }
    size_t new_name_size = beside_name_size(target);
    char* new_name = static_cast<char*>(malloc(new_name_size));
    if (new_name == nullptr) {
        free(target);
        return fail(status, file_step_memory, ENOMEM);
    }
    FILE* file = nullptr;
    if (create_beside(target, create_file_at, &file, new_name, new_name_size, status) < 0)
        file = nullptr;
    if (file != nullptr && existed)
        restrict_new_file(file, target);
    if (file == nullptr || write_and_close(file, bytes, size, status) < 0) {
        if (file != nullptr)
            remove(new_name);
        free(target);
        free(new_name);
        return -1;
    }
    *replacement = {target, new_name, existed};
    return 0;
}

int commit_file_replacement(file_replacement* replacement, file_status* status)
{
    *status = {file_step_none, 0};
    if (replacement->target == nullptr || replacement->new_name == nullptr)
        return fail(status, file_step_write, 0);
    int result = 0;
    if (replacement->existed)
        result = copy_owner_and_permissions(replacement->target, replacement->new_name, status);
    if (result == 0) {
        std::error_code error;
        fs::rename(replacement->new_name, replacement->target, error);
        if (error)
            result = fail(status, file_step_write, error.value());
        else
            sync_folder_of(replacement->target);
    }
    if (result < 0)
        remove(replacement->new_name);
    release_names(replacement);
    return result;
}

void abandon_file_replacement(file_replacement* replacement)
{
    if (replacement->new_name != nullptr)
        remove(replacement->new_name);
    release_names(replacement);
}

int replace_file(const char* path, const uint8_t* bytes, size_t size, file_status* status)
{
    file_replacement replacement;
    if (stage_file_replacement(path, bytes, size, &replacement, status) < 0)
        return -1;
    return commit_file_replacement(&replacement, status);
}

int create_folder_beside(const char* path, char** new_name, file_status* status)
{
    *status = {file_step_none, 0};
    size_t size = beside_name_size(path);
    *new_name = static_cast<char*>(malloc(size));
    if (*new_name == nullptr)
        return fail(status, file_step_memory, ENOMEM);
    if (create_beside(path, create_folder_at, nullptr, *new_name, size, status) < 0) {
        free(*new_name);
        *new_name = nullptr;
        return -1;
    }
    return 0;
}
