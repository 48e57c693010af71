// Reading a whole file, or its first bytes, with one read. The results
// say which step failed and with which errno, so that each caller prints
// its own line. On POSIX systems the file is read with open, lseek and
// read(); on Windows with one stdio stream.
#pragma once

#include <cstddef>
#include <cstdint>

enum file_step {          // the step of a file operation that failed
    file_step_none,       // nothing failed
    file_step_open,       // the file (or the new file beside a target) did not open
    file_step_seek_end,   // its size could not be told
    file_step_seek_set,   // it could not be read from the start
    file_step_too_large,  // larger than the caller's limit
    file_step_memory,     // no memory
    file_step_read,       // fewer bytes than its size (an empty file too)
    file_step_write,      // a write, close, permission copy or rename failed
    file_step_busy,       // another process holds the journal of the target
    file_step_journal,    // a journal file that this layer did not write
};

struct file_status {
    file_step failed;
    int error_number;  // errno of the failing call, or 0
};

// Files of this size or more are read into a buffer on huge pages where
// the system has them.
const size_t file_huge_page_minimum = size_t{1} << 20;

// A buffer of size bytes, released with free(): from huge_page_minimum
// bytes on (POSIX only) aligned to 2 MiB, rounded up to whole 2 MiB pages
// and marked for transparent huge pages; where the kernel refuses that,
// and below the minimum, a plain malloc block. Null when no memory.
uint8_t* allocate_file_buffer(size_t size, size_t huge_page_minimum);

// Reads the whole file at path into a new buffer (release with free()).
// size_limit: the largest size accepted. 0, or -1 with *status saying
// which step failed (nothing allocated). A file that shrinks while it is
// read fails as a short read.
int read_whole_file(const char* path, size_t size_limit, uint8_t** bytes, size_t* size,
                    file_status* status);

// The same with the buffer from allocate_file_buffer(size,
// huge_page_minimum); the form above passes file_huge_page_minimum.
int read_whole_file(const char* path, size_t size_limit, size_t huge_page_minimum, uint8_t** bytes,
                    size_t* size, file_status* status);

// A whole file's bytes, mapped read-only where the system can (POSIX mmap)
// or else read into a buffer of their own. A mapping shows the system's own
// pages of the file, which are neither zeroed nor copied, as a fresh buffer
// must be: on some machines that costs more than everything done with the
// bytes. Another process that cuts the file shorter while it is mapped
// would make the bytes past the cut unreadable (SIGBUS); while the mapping
// is open they read as zeros instead, and mapped_file_was_cut says so. One
// mapping at a time is guarded so; another is read into a buffer.
struct mapped_file {
    const uint8_t* bytes;
    size_t size;
    bool mapped;  // mapped, else read into a buffer
};

// Maps or reads the whole file at path, with the steps and limit of
// read_whole_file: 0, or -1 with *status set.
int map_whole_file(const char* path, size_t size_limit, mapped_file* file, file_status* status);

// True when the file was cut shorter while it was mapped: its bytes are
// not those of the file, which the caller treats as a short read.
bool mapped_file_was_cut(const mapped_file* file);

// Releases the bytes; the record is left empty.
void unmap_whole_file(mapped_file* file);

// Reads exactly size bytes from the start of the file into buffer (a
// longer file is fine). 0, or -1 with *status set.
int read_file_start(const char* path, uint8_t* buffer, size_t size, file_status* status);
