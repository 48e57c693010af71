#include "replacement_journal.h"

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#include "replacement_steps.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <share.h>
#include <sys/stat.h>
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace fs = std::filesystem;

namespace {

// The journal is text: its first line, then one line an entry, each
// "KIND<TAB>NEW FILE<TAB>TARGET", both names of files in the journal's own
// folder (so that the folder may move), then the mark.
const char journal_first_line[] = "replacement journal";
const char commit_line[] = "commit";

enum entry_kind { entry_replace, entry_create, entry_folder };
const char* const entry_kind_names[] = {"replace", "create", "folder"};

enum {
    largest_journal = 1 << 20,
    lock_tries = 8,  // a journal removed between its open and its lock is opened anew
    // A reader finishing a journal holds it for a moment: a writer tries
    // again for this long before it takes the journal as another's.
    busy_tries = 50,
    busy_wait_ms = 2
};

struct journal_entry {
    entry_kind kind;
    std::string staged;  // the new file or folder
    std::string target;
    std::string shown;                // the target as the caller named it (not in the file)
    std::vector<std::string> inside;  // a new folder: the names of the files made in it
};

const char inside_kind[] = "in";  // "in<TAB>NAME": a file made in the new folder above

}  // namespace

struct replacement_journal {
    int fd;
    std::string path;
    std::string folder;  // where its files lie
    std::string text;    // as the file holds it, the entry being made not included
    std::vector<journal_entry> entries;
    bool committed;
    bool kept;  // a commit failed halfway: the journal stays for the next process
    std::string failed_target;
};

namespace {

// ---- the journal file: open and locked, read and written whole ----

#ifdef _WIN32
// Windows locks are enforced on reads, so the lock is on one byte far
// beyond anything the journal holds.
const DWORD lock_offset = 0x40000000;

bool lock_journal(int fd)
{
    OVERLAPPED where = {};
    where.Offset = lock_offset;
    return LockFileEx(reinterpret_cast<HANDLE>(_get_osfhandle(fd)),
                      LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &where) != 0;
}

int open_journal_file(const char* path, bool create)
{
    return _sopen(path, _O_RDWR | _O_BINARY | (create ? _O_CREAT : 0), _SH_DENYNO,
                  _S_IREAD | _S_IWRITE);
}

bool is_same_file(int, const char*)
{
    return true;
}

int read_at_start(int fd, char* buffer, size_t size)
{
    if (_lseek(fd, 0, SEEK_SET) != 0)
        return -1;
    return _read(fd, buffer, static_cast<unsigned>(size));
}

bool write_at_start(int fd, const std::string& text)
{
    return _lseek(fd, 0, SEEK_SET) == 0 &&
           _write(fd, text.data(), static_cast<unsigned>(text.size())) ==
               static_cast<int>(text.size());
}

bool empty_journal_file(int fd)
{
    return _chsize(fd, 0) == 0;
}
bool sync_journal_file(int fd)
{
    return _commit(fd) == 0;
}

void remove_journal_file(int fd, const char* path)
{
    // Windows removes no open file.
    _close(fd);
    remove(path);
}

void close_journal_file(int fd)
{
    _close(fd);
}
#else
bool lock_journal(int fd)
{
    return flock(fd, LOCK_EX | LOCK_NB) == 0;
}

int open_journal_file(const char* path, bool create)
{
    // A link at the journal's name is not followed: the journal is always
    // a file of the folder itself.
    return open(path, O_RDWR | O_CLOEXEC | O_NOFOLLOW | (create ? O_CREAT : 0), 0666);
}

// The file locked is still the one at path: another process may have
// finished and removed it between this one's open and lock.
bool is_same_file(int fd, const char* path)
{
    struct stat open_stat;
    struct stat path_stat;
    return fstat(fd, &open_stat) == 0 && stat(path, &path_stat) == 0 &&
           open_stat.st_dev == path_stat.st_dev && open_stat.st_ino == path_stat.st_ino;
}

int read_at_start(int fd, char* buffer, size_t size)
{
    return static_cast<int>(pread(fd, buffer, size, 0));
}

// One write of the whole text, so that a kill leaves the text before or
// after it.
bool write_at_start(int fd, const std::string& text)
{
    return pwrite(fd, text.data(), text.size(), 0) == static_cast<ssize_t>(text.size());
}

bool empty_journal_file(int fd)
{
    return ftruncate(fd, 0) == 0;
}
bool sync_journal_file(int fd)
{
    return fsync(fd) == 0;
}

// Removed while still locked, so that no other process finds it unlocked.
void remove_journal_file(int fd, const char* path)
{
    unlink(path);
    close(fd);
}

void close_journal_file(int fd)
{
    close(fd);
}
#endif

// Opens and locks the journal at path: the descriptor, or -1 with *status
// set; with file_step_busy the descriptor is kept open in *busy_fd (else
// -1) for a look at what the holder has staged.
int open_locked_journal(const char* path, bool create, int* busy_fd, file_status* status)
{
    *busy_fd = -1;
    for (int tries = 0; tries < lock_tries; tries++) {
        errno = 0;
        int fd = open_journal_file(path, create);
        if (fd < 0) {
            fail_step(status, file_step_open, errno);
            return -1;
        }
        if (!lock_journal(fd)) {
            int waited = 0;
            while (create && waited < busy_tries && !lock_journal(fd)) {
                std::this_thread::sleep_for(std::chrono::milliseconds(busy_wait_ms));
                waited++;
            }
            if (waited == busy_tries || !create) {
                *busy_fd = fd;
                fail_step(status, file_step_busy, EBUSY);
                return -1;
            }
        }
        if (is_same_file(fd, path))
            return fd;
        close_journal_file(fd);
    }
    fail_step(status, file_step_busy, EBUSY);
    return -1;
}

int read_journal_text(int fd, std::string* text, file_status* status)
{
    std::vector<char> buffer(largest_journal + 1);
    errno = 0;
    int size = read_at_start(fd, buffer.data(), buffer.size());
    if (size < 0)
        return fail_step(status, file_step_read, errno);
    if (size > largest_journal)
        return fail_step(status, file_step_journal, EFBIG);
    text->assign(buffer.data(), static_cast<size_t>(size));
    return 0;
}

int write_journal_text(int fd, const std::string& text, file_status* status)
{
    errno = 0;
    if (!write_at_start(fd, text))
        return fail_step(status, file_step_write, errno != 0 ? errno : ENOSPC);
    return 0;
}

// ---- what a journal says ----

std::string name_of(const std::string& path)
{
    return fs::path(path).filename().string();
}

std::string entry_line(const journal_entry& entry)
{
    return std::string(entry_kind_names[entry.kind]) + "\t" + name_of(entry.staged) + "\t" +
           name_of(entry.target) + "\n";
}

// The folder of path as a prefix for names in it: "" for the working one.
std::string folder_of(const std::string& path)
{
    std::string folder = fs::path(path).parent_path().string();
    return folder.empty() ? "" : folder + "/";
}

// A name of a file in the folder: no folder in it, and not the folder.
bool is_plain_name(const std::string& name)
{
    return !name.empty() && name != "." && name != ".." &&
           name.find_first_of("/\\") == std::string::npos;
}

// True when staged is target followed by ".new" and a number.
bool is_new_name_of(const std::string& staged, const std::string& target)
{
    const std::string series = target + ".new";
    return !target.empty() && staged.size() > series.size() &&
           staged.compare(0, series.size(), series) == 0 &&
           staged.find_first_not_of("0123456789", series.size()) == std::string::npos;
}

// The entries and whether the mark was written: 0, or -1 (file_step_journal)
// for text that no journal holds. An unfinished last line (a write cut by a
// power loss) counts as not written.
int parse_journal(const std::string& text, const std::string& journal_path,
                  std::vector<journal_entry>* entries, bool* committed, file_status* status)
{
    const std::string folder = folder_of(journal_path);
    const std::string own_name = name_of(journal_path);
    *committed = false;
    size_t start = 0;
    bool first = true;
    for (size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
        std::string line = text.substr(start, end - start);
        if (first) {
            if (line != journal_first_line)
                return fail_step(status, file_step_journal, EINVAL);
            first = false;
            continue;
        }
        if (line == commit_line && !*committed) {
            *committed = true;
            continue;
        }
        size_t tab = line.find('\t');
        if (line.compare(0, tab, inside_kind) == 0 && !*committed && !entries->empty() &&
            entries->back().kind == entry_folder && is_plain_name(line.substr(tab + 1))) {
            entries->back().inside.push_back(line.substr(tab + 1));
            continue;
        }
        size_t second_tab = tab == std::string::npos ? tab : line.find('\t', tab + 1);
        int kind = 0;
        while (kind < 3 && line.compare(0, tab, entry_kind_names[kind]) != 0)
            kind++;
        if (*committed || second_tab == std::string::npos || kind == 3 ||
            line.find('\t', second_tab + 1) != std::string::npos)
            return fail_step(status, file_step_journal, EINVAL);
        std::string target = line.substr(second_tab + 1);
        std::string staged = line.substr(tab + 1, second_tab - tab - 1);
        // Only a new name of its target's series, in the journal's folder,
        // is ever removed or renamed.
        if (!is_plain_name(target) || target == own_name || !is_new_name_of(staged, target))
            return fail_step(status, file_step_journal, EINVAL);
        entries->push_back(
            {static_cast<entry_kind>(kind), folder + staged, folder + target, folder + target, {}});
    }
    // Text without a single whole line is a journal cut before its first.
    if (first && !text.empty() && text != std::string(journal_first_line).substr(0, text.size()))
        return fail_step(status, file_step_journal, EINVAL);
    return 0;
}

// Removes what an entry staged: a new file, or a new folder with the files
// made in it (the folder stays if anything else is in it).
void remove_staged(const journal_entry& entry)
{
    if (entry.kind != entry_folder) {
        remove(entry.staged.c_str());
        return;
    }
    for (const std::string& name : entry.inside)
        remove((entry.staged + "/" + name).c_str());
    std::error_code error;
    fs::remove(entry.staged, error);
}

// Puts one committed entry in place; a staged file that is gone was put
// in place already.
int put_in_place(const journal_entry& entry, file_status* status)
{
    if (name_is_free(entry.staged.c_str()))
        return 0;
    // The files made in a new folder last over a power loss before it
    // takes its name.
    if (entry.kind == entry_folder)
        sync_folder_of((entry.staged + "/.").c_str());
    if (entry.kind == entry_replace)
        return rename_over(entry.staged.c_str(), entry.target.c_str(), status);
    return rename_to_free_name(entry.staged.c_str(), entry.target.c_str(), status);
}

// A new path that another took before the first rename: nothing of the
// journal is in place yet, so it is undone instead.
bool is_taken_before_anything(size_t index, const journal_entry& entry, const file_status& status)
{
    return index == 0 && entry.kind != entry_replace && status.error_number == EEXIST;
}

// Finishes what an interrupted process left: undone without the mark,
// completed with it. 0, or -1 with *status set and *failed the target.
int finish_journal(const std::vector<journal_entry>& entries, bool committed,
                   journal_outcome* outcome, std::string* failed, file_status* status)
{
    *outcome = entries.empty() ? journal_none : committed ? journal_completed : journal_undone;
    for (size_t i = 0; committed && i < entries.size(); i++) {
        if (put_in_place(entries[i], status) == 0)
            continue;
        if (!is_taken_before_anything(i, entries[i], *status)) {
            *failed = entries[i].shown;
            return -1;
        }
        *status = {file_step_none, 0};
        committed = false;
        *outcome = journal_undone;
    }
    if (!committed)
        for (const journal_entry& entry : entries)
            remove_staged(entry);
    return 0;
}

// Staging: each name is written into the journal before the file is made.
struct staging {
    replacement_journal* journal;
    journal_entry entry;
};

int announce_staged_name(const char* name, void* context, file_status* status)
{
    staging* stage = static_cast<staging*>(context);
    stage->entry.staged = name;
    // A name that would break the journal's lines is not written.
    if (stage->entry.staged.find_first_of("\t\n") != std::string::npos ||
        stage->entry.target.find_first_of("\t\n") != std::string::npos)
        return fail_step(status, file_step_open, EINVAL);
    return write_journal_text(stage->journal->fd, stage->journal->text + entry_line(stage->entry),
                              status);
}

// Makes a new file or folder beside target, named in the journal first.
// The new name, or null with *status set.
char* stage_beside(replacement_journal* journal, const char* target, const char* shown,
                   entry_kind kind, create_at_name create, void* made, file_status* status)
{
    // Only files of the journal's own folder are staged (a link may name
    // a file elsewhere).
    if (fs::path(folder_of(target)).lexically_normal() !=
        fs::path(journal->folder).lexically_normal()) {
        fail_step(status, file_step_open, EXDEV);
        journal->failed_target = shown;
        return nullptr;
    }
    staging stage = {journal, {kind, "", target, shown, {}}};
    char* name = nullptr;
    if (create_beside(target, create, made, announce_staged_name, &stage, &name, status) < 0) {
        journal->failed_target = shown;
        return nullptr;
    }
    journal->text += entry_line(stage.entry);
    journal->entries.push_back(stage.entry);
    return name;
}

}  // namespace

replacement_journal* open_replacement_journal(const char* path, journal_outcome* earlier,
                                              file_status* status)
{
    *status = {file_step_none, 0};
    *earlier = journal_none;
    int busy_fd = -1;
    int fd = open_locked_journal(path, true, &busy_fd, status);
    if (busy_fd >= 0)
        close_journal_file(busy_fd);
    if (fd < 0)
        return nullptr;
    std::string text;
    std::vector<journal_entry> entries;
    bool committed = false;
    std::string failed;
    if (read_journal_text(fd, &text, status) < 0 ||
        parse_journal(text, path, &entries, &committed, status) < 0 ||
        finish_journal(entries, committed, earlier, &failed, status) < 0) {
        close_journal_file(fd);
        return nullptr;
    }
    // Emptied before the first line is written: a kill between the two
    // leaves an empty journal, which holds nothing to finish.
    std::string first = std::string(journal_first_line) + "\n";
    if (!empty_journal_file(fd) || write_journal_text(fd, first, status) < 0) {
        if (status->failed == file_step_none)
            fail_step(status, file_step_write, errno);
        remove_journal_file(fd, path);
        return nullptr;
    }
    return new replacement_journal{fd, path, folder_of(path), first, {}, false, false, ""};
}

int recover_replacement_journal(const char* path, journal_outcome* outcome, file_status* status)
{
    *status = {file_step_none, 0};
    *outcome = journal_none;
    if (name_is_free(path))
        return 0;
    int busy_fd = -1;
    int fd = open_locked_journal(path, false, &busy_fd, status);
    std::string text;
    std::vector<journal_entry> entries;
    bool committed = false;
    if (fd < 0) {
        if (status->failed == file_step_open && status->error_number == ENOENT) {
            *status = {file_step_none, 0};
            return 0;
        }
        // A process that holds the journal but has staged nothing yet has
        // not begun to write.
        file_status busy = *status;
        bool staged_nothing = busy_fd >= 0 && read_journal_text(busy_fd, &text, status) == 0 &&
                              parse_journal(text, path, &entries, &committed, status) == 0 &&
                              entries.empty();
        if (busy_fd >= 0)
            close_journal_file(busy_fd);
        if (staged_nothing) {
            *status = {file_step_none, 0};
            return 0;
        }
        if (status->failed == file_step_none || status->failed == file_step_busy)
            *status = busy;
        return -1;
    }
    std::string failed;
    if (read_journal_text(fd, &text, status) < 0 ||
        parse_journal(text, path, &entries, &committed, status) < 0 ||
        finish_journal(entries, committed, outcome, &failed, status) < 0) {
        close_journal_file(fd);
        return -1;
    }
    empty_journal_file(fd);
    remove_journal_file(fd, path);
    return 0;
}

int probe_replacement_journal(const char* path, file_status* status)
{
    *status = {file_step_none, 0};
    if (name_is_free(path))
        return 0;
    int busy_fd = -1;
    // Opened as a reader opens it: nothing is made, changed or finished.
    int fd = open_locked_journal(path, false, &busy_fd, status);
    std::string text;
    std::vector<journal_entry> entries;
    bool committed = false;
    int result = -1;
    if (fd >= 0) {
        if (read_journal_text(fd, &text, status) == 0 &&
            parse_journal(text, path, &entries, &committed, status) == 0)
            result = 0;
        close_journal_file(fd);
    }
    if (busy_fd >= 0)
        close_journal_file(busy_fd);
    return result;
}

int journal_file_replacement(replacement_journal* journal, const char* path, const uint8_t* bytes,
                             size_t size, bool new_path, file_status* status)
{
    *status = {file_step_none, 0};
    journal->failed_target = path;
    char* target = resolve_target(path, status);
    if (target == nullptr)
        return -1;
    bool existed = target_exists(target);
    if (existed && new_path) {
        free(target);
        return fail_step(status, file_step_open, EEXIST);
    }
    if (existed && !target_is_replaceable(target, status)) {
        free(target);
        return -1;
    }
    FILE* file = nullptr;
    char* name = stage_beside(journal, target, path, existed ? entry_replace : entry_create,
                              create_file_at, &file, status);
    int result = -1;
    if (name != nullptr) {
        if (existed)
            restrict_new_file(file, target);
        result = write_and_close(file, bytes, size, status);
        if (result == 0 && existed)
            result = copy_owner_and_permissions(target, name, status);
    }
    // A new file that failed stays named in the journal, which removes it.
    if (result < 0 && name != nullptr)
        remove(name);
    free(name);
    free(target);
    journal->failed_target = result == 0 ? "" : path;
    return result;
}

const char* journal_new_folder(replacement_journal* journal, const char* path, file_status* status)
{
    *status = {file_step_none, 0};
    char* name = stage_beside(journal, path, path, entry_folder, create_folder_at, nullptr, status);
    if (name == nullptr)
        return nullptr;
    free(name);
    journal->failed_target.clear();
    return journal->entries.back().staged.c_str();
}

int journal_folder_file(replacement_journal* journal, const char* name, const uint8_t* bytes,
                        size_t size, file_status* status)
{
    *status = {file_step_none, 0};
    if (journal->entries.empty() || journal->entries.back().kind != entry_folder ||
        !is_plain_name(name) || strpbrk(name, "\t\n") != nullptr)
        return fail_step(status, file_step_open, EINVAL);
    journal_entry& folder = journal->entries.back();
    // Named in the journal first, so that only the files made here are
    // ever removed from the folder.
    std::string line = std::string(inside_kind) + "\t" + name + "\n";
    if (write_journal_text(journal->fd, journal->text + line, status) < 0)
        return -1;
    journal->text += line;
    folder.inside.push_back(name);
    std::string path = folder.staged + "/" + name;
    FILE* file = nullptr;
    errno = 0;
    if (create_file_at(path.c_str(), &file) < 0)
        return fail_step(status, file_step_open, errno);
    if (write_and_close(file, bytes, size, status) < 0) {
        remove(path.c_str());
        return -1;
    }
    return 0;
}

int commit_replacement_journal(replacement_journal* journal, file_status* status)
{
    *status = {file_step_none, 0};
    // Everything staged is synced; the mark is synced before the first
    // rename, and the journal's own name with it.
    journal->text += std::string(commit_line) + "\n";
    if (write_journal_text(journal->fd, journal->text, status) < 0 ||
        !sync_journal_file(journal->fd)) {
        if (status->failed == file_step_none)
            fail_step(status, file_step_write, errno);
        journal->failed_target =
            journal->entries.empty() ? journal->path : journal->entries.front().shown;
        return -1;
    }
    sync_folder_of(journal->path.c_str());
    journal->committed = true;
    for (size_t i = 0; i < journal->entries.size(); i++) {
        const journal_entry& entry = journal->entries[i];
        if (put_in_place(entry, status) < 0) {
            journal->failed_target = entry.shown;
            // Kept for the next process to complete, unless nothing is in
            // place: then closing undoes it.
            journal->committed = !is_taken_before_anything(i, entry, *status);
            journal->kept = journal->committed;
            return -1;
        }
    }
    return 0;
}

const char* journal_failed_target(const replacement_journal* journal)
{
    return journal->failed_target.empty() ? nullptr : journal->failed_target.c_str();
}

void close_replacement_journal(replacement_journal* journal)
{
    if (journal == nullptr)
        return;
    if (!journal->committed)
        for (const journal_entry& entry : journal->entries)
            remove_staged(entry);
    // Emptied first: a process that takes the journal between its unlock
    // and its removal (on Windows, which removes no open file) finds
    // nothing to finish.
    if (journal->kept) {
        close_journal_file(journal->fd);
    } else {
        empty_journal_file(journal->fd);
        remove_journal_file(journal->fd, journal->path.c_str());
    }
    delete journal;
}
