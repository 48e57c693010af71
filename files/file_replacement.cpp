#include "file_replacement.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>

#include "replacement_steps.h"

#ifdef _WIN32
#include <direct.h>
#include <fcntl.h>
#include <io.h>
#include <share.h>
#include <sys/stat.h>
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace fs = std::filesystem;

namespace {

const char new_file_suffix[] = ".new";

enum {
    // Numbers after the suffix tried before giving up: far more than any
    // folder holds, so that stray files never stop a write.
    new_file_tries = 1000000,
    new_file_number_size = 7,
    symlink_limit = 40  // links followed before the target counts as a loop
};

#ifndef _WIN32
// The exclusive mode "x" refuses a name that exists at the moment of the
// open, even a dangling link.
const char new_file_mode[] = "wbx";

#else
// The errno values of the Windows errors a move meets.
struct windows_error {
    DWORD code;
    int error_number;
};
const windows_error windows_errors[] = {
    {ERROR_ALREADY_EXISTS, EEXIST},
    {ERROR_FILE_EXISTS, EEXIST},
    {ERROR_ACCESS_DENIED, EACCES},
    {ERROR_SHARING_VIOLATION, EBUSY},
    {ERROR_LOCK_VIOLATION, EBUSY},
    {ERROR_FILE_NOT_FOUND, ENOENT},
    {ERROR_PATH_NOT_FOUND, ENOENT},
    {ERROR_NOT_SAME_DEVICE, EXDEV},
    {ERROR_DISK_FULL, ENOSPC},
    {ERROR_WRITE_PROTECT, EROFS},
    {ERROR_FILENAME_EXCED_RANGE, ENAMETOOLONG},
};

int errno_of(DWORD code)
{
    for (const windows_error& error : windows_errors)
        if (error.code == code)
            return error.error_number;
    return EIO;
}
#endif

bool is_link(const fs::path& path)
{
    std::error_code error;
    return fs::is_symlink(fs::symlink_status(path, error));
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

void release_names(file_replacement* replacement)
{
    free(replacement->target);
    free(replacement->new_name);
    *replacement = {nullptr, nullptr, false};
}

}  // namespace

int fail_step(file_status* status, file_step step, int error_number)
{
    status->failed = step;
    status->error_number = error_number;
    return -1;
}

char* copy_path(const char* path)
{
    size_t size = strlen(path) + 1;
    char* copy = static_cast<char*>(malloc(size));
    if (copy != nullptr)
        memcpy(copy, path, size);
    return copy;
}

char* resolve_target(const char* path, file_status* status)
{
    fs::path target(path);
    int links = 0;
    for (; is_link(target); links++) {
        std::error_code error;
        fs::path named = fs::read_symlink(target, error);
        if (error || links == symlink_limit) {
            fail_step(status, file_step_open, error ? error.value() : ELOOP);
            return nullptr;
        }
        // A relative link is taken from the link's own folder.
        target = target.parent_path() / named;
    }
    // A path that is no link is taken as given, unconverted.
    char* copy = copy_path(links == 0 ? path : target.string().c_str());
    if (copy == nullptr)
        fail_step(status, file_step_memory, ENOMEM);
    return copy;
}

bool target_exists(const char* target)
{
    std::error_code error;
    return fs::status(target, error).type() != fs::file_type::not_found;
}

bool name_is_free(const char* name)
{
    std::error_code error;
    return fs::symlink_status(name, error).type() == fs::file_type::not_found;
}

bool target_is_replaceable(const char* target, file_status* status)
{
    std::error_code error;
    if (fs::status(target, error).type() != fs::file_type::regular) {
        fail_step(status, file_step_open, error ? error.value() : EINVAL);
        return false;
    }
    // It must open for update, as writing it in place would need; the open
    // changes nothing and is closed at once.
    errno = 0;
    FILE* file = fopen(target, "r+b");
    if (file == nullptr) {
        fail_step(status, file_step_open, errno);
        return false;
    }
    fclose(file);
    return true;
}

int create_file_at(const char* name, void* made)
{
#ifdef _WIN32
    // msvcrt.dll's fopen knows no exclusive mode; its open does.
    int fd =
        _sopen(name, _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY, _SH_DENYNO, _S_IREAD | _S_IWRITE);
    FILE* file = fd >= 0 ? _fdopen(fd, "wb") : nullptr;
    if (fd >= 0 && file == nullptr)
        _close(fd);
#else
    FILE* file = fopen(name, new_file_mode);
#endif
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

int create_beside(const char* target, create_at_name create, void* made, announce_name announce,
                  void* context, char** new_name, file_status* status)
{
    size_t size = strlen(target) + sizeof new_file_suffix + new_file_number_size;
    char* name = static_cast<char*>(malloc(size));
    if (name == nullptr)
        return fail_step(status, file_step_memory, ENOMEM);
    for (int n = 0; n < new_file_tries; n++) {
        snprintf(name, size, "%s%s%d", target, new_file_suffix, n);
        // A name that is taken is passed over before it is announced, so
        // that a journal never names another's file.
        if (!name_is_free(name))
            continue;
        if (announce != nullptr && announce(name, context, status) < 0)
            break;
        errno = 0;
        if (create(name, made) == 0) {
            *new_name = name;
            return 0;
        }
        if (errno != EEXIST) {
            fail_step(status, file_step_open, errno);
            break;
        }
        if (n + 1 == new_file_tries)
            fail_step(status, file_step_open, EEXIST);
    }
    free(name);
    return -1;
}

void restrict_new_file(FILE* file, const char* target)
{
#ifndef _WIN32
    // Contents the target kept from others are never readable in the new
    // file. The set-id bits follow with the permissions at the end.
    struct stat target_stat;
    if (stat(target, &target_stat) == 0)
        fchmod(fileno(file), target_stat.st_mode & (S_IRWXU | S_IRWXG | S_IRWXO));
#else
    static_cast<void>(file);
    static_cast<void>(target);
#endif
}

int write_and_close(FILE* file, const uint8_t* bytes, size_t size, file_status* status)
{
    errno = 0;
    bool written = size > 0 && fwrite(bytes, size, 1, file) == 1 && sync_file(file);
    int error_number = errno;
    errno = 0;
    bool closed = fclose(file) == 0;
    if (written && !closed)
        error_number = errno;
    return written && closed ? 0 : fail_step(status, file_step_write, error_number);
}

int copy_owner_and_permissions(const char* target, const char* new_name, file_status* status)
{
#ifndef _WIN32
    struct stat target_stat;
    struct stat new_stat;
    if (stat(target, &target_stat) != 0 || stat(new_name, &new_stat) != 0)
        return fail_step(status, file_step_write, errno);
    // Best effort: an ordinary user cannot give a file away (nor root on a
    // network file system that maps it to nobody), but the group may still
    // be set; the write goes on either way.
    if ((target_stat.st_uid != new_stat.st_uid || target_stat.st_gid != new_stat.st_gid) &&
        chown(new_name, target_stat.st_uid, target_stat.st_gid) != 0 &&
        target_stat.st_gid != new_stat.st_gid) {
        int kept = chown(new_name, static_cast<uid_t>(-1), target_stat.st_gid);
        static_cast<void>(kept);
    }
#endif
    // The permissions after the owner, as a change of owner may clear the
    // set-id bits.
    std::error_code error;
    fs::file_status target_status = fs::status(target, error);
    if (!error)
        fs::permissions(new_name, target_status.permissions(), error);
    return error ? fail_step(status, file_step_write, error.value()) : 0;
}

int rename_over(const char* from, const char* to, file_status* status)
{
    std::error_code error;
    fs::rename(from, to, error);
    if (error)
        return fail_step(status, file_step_write, error.value());
    sync_folder_of(to);
    return 0;
}

int rename_to_free_name(const char* from, const char* to, file_status* status)
{
#ifdef _WIN32
    // Without MOVEFILE_REPLACE_EXISTING the move refuses a name that exists.
    if (MoveFileExA(from, to, MOVEFILE_WRITE_THROUGH) == 0)
        return fail_step(status, file_step_write, errno_of(GetLastError()));
#else
    int result = -1;
#ifdef RENAME_NOREPLACE
    result = renameat2(AT_FDCWD, from, AT_FDCWD, to, RENAME_NOREPLACE);
    if (result != 0 && errno != EINVAL && errno != ENOSYS)
        return fail_step(status, file_step_write, errno);
#endif
    if (result != 0) {
        // A file system without the no-replace rename: a hard link refuses
        // a name that exists as well; a folder (or a file system without
        // hard links) is renamed after a look at the name.
        struct stat from_stat;
        if (lstat(from, &from_stat) != 0)
            return fail_step(status, file_step_write, errno);
        if (S_ISREG(from_stat.st_mode) && link(from, to) == 0) {
            unlink(from);
        } else if (S_ISREG(from_stat.st_mode) && errno == EEXIST) {
            return fail_step(status, file_step_write, EEXIST);
        } else if (!name_is_free(to)) {
            return fail_step(status, file_step_write, EEXIST);
        } else if (rename(from, to) != 0) {
            return fail_step(status, file_step_write, errno);
        }
    }
#endif
    sync_folder_of(to);
    return 0;
}

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

int stage_file_replacement(const char* path, const uint8_t* bytes, size_t size,
                           file_replacement* replacement, file_status* status)
{
    *status = {file_step_none, 0};
    *replacement = {nullptr, nullptr, false};
    char* target = resolve_target(path, status);
    if (target == nullptr)
        return -1;
    bool existed = target_exists(target);
    if (existed && !target_is_replaceable(target, status)) {
        free(target);
        return -1;
    }
    FILE* file = nullptr;
    char* new_name = nullptr;
    if (create_beside(target, create_file_at, &file, nullptr, nullptr, &new_name, status) < 0) {
        free(target);
        return -1;
    }
    if (existed)
        restrict_new_file(file, target);
    if (write_and_close(file, bytes, size, status) < 0) {
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
        return fail_step(status, file_step_write, EINVAL);
    int result = 0;
    if (replacement->existed)
        result = copy_owner_and_permissions(replacement->target, replacement->new_name, status);
    if (result == 0)
        result = rename_over(replacement->new_name, replacement->target, status);
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
