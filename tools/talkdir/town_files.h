// The sixteen town files of the DOS edition, loaded into one buffer.
#pragma once

enum {
    town_file_bytes = 4608,        // sixteen 288-byte records
    talk_files_bytes = 16 * 4608,  // the whole listing buffer
};

extern const char* const talk_file_names[16];

// Enters the directory (when not null) and reads the first 4,608 bytes of
// each town file into buffer at town * 4,608. 0, or -1 after printing the
// failing step's line.
int read_talk_files(const char* directory, unsigned char* buffer);
