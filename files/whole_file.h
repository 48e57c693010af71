// Reading a whole file, or its first bytes, with one read. The results
// say which step failed and with which errno, so that each caller prints
// its own line.
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
};

struct file_status {
    file_step failed;
    int error_number;  // errno of the failing call, or 0
};

// Reads the whole file at path into a new buffer (release with free()).
// size_limit: the largest size accepted. 0, or -1 with *status saying
// which step failed (nothing allocated).
int read_whole_file(const char* path, size_t size_limit, uint8_t** bytes, size_t* size,
                    file_status* status);

// Reads exactly size bytes from the start of the file into buffer (a
// longer file is fine). 0, or -1 with *status set.
int read_file_start(const char* path, uint8_t* buffer, size_t size, file_status* status);
