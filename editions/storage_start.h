// The first bytes of a storage file, read for a listing tool into its own
// buffer, with the tool's lines where that fails.
#pragma once

#include <cstddef>

// Reads the first size bytes of the file at path into buffer (a longer file
// is fine): 0, or -1 after "error: open '%s'" (the file does not open) or
// "error: read '%s'" (it is shorter or cannot be read), with path.
int read_storage_start(const char* path, unsigned char* buffer, size_t size);
