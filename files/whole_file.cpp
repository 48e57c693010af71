#include "whole_file.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#ifndef _WIN32
#include <fcntl.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/types.h>
#include <unistd.h>
#endif

namespace {

// Records the failed step and the errno of the call that failed; 0 when
// the call did not set it. Always -1.
int fail(file_status* status, file_step step, int error_number)
{
    status->failed = step;
    status->error_number = error_number;
    return -1;
}

#ifndef _WIN32

const size_t huge_page_size = size_t{2} << 20;

// Reads count bytes with read() calls until all are in, the file ends or a
// call fails: 0, or -1 with errno set (0 when the file ended first).
int read_exactly(int descriptor, uint8_t* buffer, size_t count)
{
    while (count > 0) {
        ssize_t got = read(descriptor, buffer, count);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0) {
            if (got == 0)
                errno = 0;
            return -1;
        }
        buffer += got;
        count -= static_cast<size_t>(got);
    }
    return 0;
}

// While a mapping is open, a fault past the end of a file that another
// process cut shorter (SIGBUS) maps a page of zeros there and marks the
// mapping as cut, so that the reader reports a short read instead of the
// process ending. One mapping at a time is guarded; the others are read.
struct guard_state {
    uintptr_t start;  // the mapping's pages
    uintptr_t end;
    uintptr_t page_size;
    volatile sig_atomic_t cut;
    bool active;
    struct sigaction previous;  // the action before the guard's
};

guard_state bus_guard = {0, 0, 0, 0, false, {}};

// mmap is not on POSIX's list of calls safe in a signal handler; here
// (glibc, Linux) it is one system call that touches no state of the
// process's own, and the fault it answers comes from a plain read.
void on_bus_error(int, siginfo_t* info, void*)
{
    uintptr_t address = reinterpret_cast<uintptr_t>(info->si_addr);
    if (address >= bus_guard.start && address < bus_guard.end) {
        void* page = reinterpret_cast<void*>(address & ~(bus_guard.page_size - 1));
        if (mmap(page, bus_guard.page_size, PROT_READ, MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED, -1,
                 0) != MAP_FAILED) {
            bus_guard.cut = 1;
            return;
        }
    }
    // Not the mapping's: the fault comes again, to the action before.
    sigaction(SIGBUS, &bus_guard.previous, nullptr);
}

// The file's size bytes mapped read-only, their pages brought in at once,
// with the guard set; null where no mapping is to be had (the guard is
// taken, or the system refuses).
const uint8_t* map_guarded(int descriptor, size_t size)
{
    if (bus_guard.active)
        return nullptr;
#ifdef MAP_POPULATE
    const int flags = MAP_PRIVATE | MAP_POPULATE;
#else
    const int flags = MAP_PRIVATE;
#endif
    void* mapped = mmap(nullptr, size, PROT_READ, flags, descriptor, 0);
    if (mapped == MAP_FAILED)
        return nullptr;
    struct sigaction action = {};
    action.sa_sigaction = on_bus_error;
    action.sa_flags = SA_SIGINFO;
    sigemptyset(&action.sa_mask);
    long page_size = sysconf(_SC_PAGESIZE);
    bus_guard.start = reinterpret_cast<uintptr_t>(mapped);
    bus_guard.page_size = page_size > 0 ? static_cast<uintptr_t>(page_size) : 4096;
    bus_guard.end =
        bus_guard.start + ((size + bus_guard.page_size - 1) & ~(bus_guard.page_size - 1));
    bus_guard.cut = 0;
    if (sigaction(SIGBUS, &action, &bus_guard.previous) != 0) {
        munmap(mapped, size);
        return nullptr;
    }
    bus_guard.active = true;
    return static_cast<const uint8_t*>(mapped);
}

void release_guard()
{
    sigaction(SIGBUS, &bus_guard.previous, nullptr);
    bus_guard.active = false;
    bus_guard.start = bus_guard.end = 0;
}

#endif

}  // namespace

uint8_t* allocate_file_buffer(size_t size, size_t huge_page_minimum)
{
#ifndef _WIN32
    // A fresh buffer costs one fault per page at its first touch; a huge
    // page takes 512 of them at once. The block is rounded up to whole huge
    // pages, so that the last one lies inside it too. Where the kernel has
    // no transparent huge pages madvise fails, and the buffer is a plain one;
    // so it is where the aligned block cannot be had.
    if (size >= huge_page_minimum && size <= SIZE_MAX - huge_page_size) {
        size_t rounded = (size + huge_page_size - 1) & ~(huge_page_size - 1);
        void* block = nullptr;
        if (posix_memalign(&block, huge_page_size, rounded) == 0) {
            if (madvise(block, rounded, MADV_HUGEPAGE) == 0)
                return static_cast<uint8_t*>(block);
            free(block);
        }
    }
    uint8_t* buffer = static_cast<uint8_t*>(malloc(size));
#ifdef MADV_POPULATE_WRITE
    // A smaller buffer gets its pages in one call rather than one fault
    // each; a kernel without the call leaves them to the faults.
    const size_t page = 4096;
    if (buffer != nullptr && size >= 16 * page) {
        uintptr_t first = (reinterpret_cast<uintptr_t>(buffer) + page - 1) & ~(page - 1);
        uintptr_t last = (reinterpret_cast<uintptr_t>(buffer) + size) & ~(page - 1);
        if (last > first)
            madvise(reinterpret_cast<void*>(first), last - first, MADV_POPULATE_WRITE);
    }
#endif
    return buffer;
#else
    (void)huge_page_minimum;
    return static_cast<uint8_t*>(malloc(size));
#endif
}

int read_whole_file(const char* path, size_t size_limit, uint8_t** bytes, size_t* size,
                    file_status* status)
{
    return read_whole_file(path, size_limit, file_huge_page_minimum, bytes, size, status);
}

#ifndef _WIN32

namespace {

// Opens path and takes its size from lseek: 0 with the descriptor open, or
// -1 with *status set (and nothing open). An empty file fails as a short
// read, before any buffer of 0 bytes is asked for.
int open_sized_file(const char* path, size_t size_limit, int* descriptor, size_t* size,
                    file_status* status)
{
    *status = {file_step_none, 0};
    errno = 0;
    *descriptor = open(path, O_RDONLY | O_CLOEXEC);
    if (*descriptor < 0)
        return fail(status, file_step_open, errno);
    int result = 0;
    off_t length = -1;
    errno = 0;
    if ((length = lseek(*descriptor, 0, SEEK_END)) < 0)
        result = fail(status, file_step_seek_end, errno);
    else if (lseek(*descriptor, 0, SEEK_SET) != 0)
        result = fail(status, file_step_seek_set, errno);
    else if (static_cast<unsigned long long>(length) > size_limit)
        result = fail(status, file_step_too_large, 0);
    else if (length == 0)
        result = fail(status, file_step_read, 0);
    if (result < 0) {
        close(*descriptor);
        return result;
    }
    *size = static_cast<size_t>(length);
    return 0;
}

// Reads the size bytes of the open file into a new buffer and closes it:
// 0, or -1 with *status set. A file that shrank since its size was taken
// ends the reads early: a read error, as for any short read.
int read_open_file(int descriptor, size_t size, size_t huge_page_minimum, uint8_t** bytes,
                   file_status* status)
{
    uint8_t* buffer = allocate_file_buffer(size, huge_page_minimum);
    if (buffer == nullptr) {
        close(descriptor);
        return fail(status, file_step_memory, ENOMEM);
    }
    errno = 0;
    int read_result = read_exactly(descriptor, buffer, size);
    int read_error = errno;
    close(descriptor);
    if (read_result < 0) {
        free(buffer);
        return fail(status, file_step_read, read_error);
    }
    *bytes = buffer;
    return 0;
}

}  // namespace

// POSIX: the size from lseek and the bytes from read(), with no stream
// buffer between (a stream's seek to the end and back reads the last block
// twice).
int read_whole_file(const char* path, size_t size_limit, size_t huge_page_minimum, uint8_t** bytes,
                    size_t* size, file_status* status)
{
    *bytes = nullptr;
    *size = 0;
    int descriptor = -1;
    size_t file_size = 0;
    if (open_sized_file(path, size_limit, &descriptor, &file_size, status) < 0 ||
        read_open_file(descriptor, file_size, huge_page_minimum, bytes, status) < 0)
        return -1;
    *size = file_size;
    return 0;
}

int map_whole_file(const char* path, size_t size_limit, mapped_file* file, file_status* status)
{
    *file = {nullptr, 0, false};
    int descriptor = -1;
    size_t size = 0;
    if (open_sized_file(path, size_limit, &descriptor, &size, status) < 0)
        return -1;
    const uint8_t* mapped = map_guarded(descriptor, size);
    if (mapped != nullptr) {
        close(descriptor);
        *file = {mapped, size, true};
        return 0;
    }
    uint8_t* bytes = nullptr;
    if (read_open_file(descriptor, size, file_huge_page_minimum, &bytes, status) < 0)
        return -1;
    *file = {bytes, size, false};
    return 0;
}

bool mapped_file_was_cut(const mapped_file* file)
{
    return file->mapped && bus_guard.cut != 0;
}

void unmap_whole_file(mapped_file* file)
{
    if (file->mapped) {
        munmap(const_cast<uint8_t*>(file->bytes), file->size);
        release_guard();
    } else {
        free(const_cast<uint8_t*>(file->bytes));
    }
    *file = {nullptr, 0, false};
}

int read_file_start(const char* path, uint8_t* buffer, size_t size, file_status* status)
{
    *status = {file_step_none, 0};
    errno = 0;
    int descriptor = open(path, O_RDONLY | O_CLOEXEC);
    if (descriptor < 0)
        return fail(status, file_step_open, errno);
    errno = 0;
    int read_result = read_exactly(descriptor, buffer, size);
    int read_error = errno;
    close(descriptor);
    return read_result == 0 ? 0 : fail(status, file_step_read, read_error);
}

#else

// Windows: one stream, its size from fseek and ftell, one fread.
int read_whole_file(const char* path, size_t size_limit, size_t huge_page_minimum, uint8_t** bytes,
                    size_t* size, file_status* status)
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
    uint8_t* buffer = allocate_file_buffer(file_size, huge_page_minimum);
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

// Windows: no mapping; the bytes are read into a buffer.
int map_whole_file(const char* path, size_t size_limit, mapped_file* file, file_status* status)
{
    uint8_t* bytes = nullptr;
    size_t size = 0;
    *file = {nullptr, 0, false};
    if (read_whole_file(path, size_limit, &bytes, &size, status) < 0)
        return -1;
    *file = {bytes, size, false};
    return 0;
}

bool mapped_file_was_cut(const mapped_file*)
{
    return false;
}

void unmap_whole_file(mapped_file* file)
{
    free(const_cast<uint8_t*>(file->bytes));
    *file = {nullptr, 0, false};
}

#endif
