// The storage of the DOS edition: sixteen town files in one folder, each
// starting with the 288-byte records of its town's sixteen persons.
#pragma once

#include "talk_listing.h"

enum {
    // 4,608: the sixteen 288-byte records of a town.
    town_file_bytes = talk_person_count * talk_profile_dos.record_size,
    // 73,728: the whole listing buffer.
    talk_files_bytes = talk_town_count * town_file_bytes,
};

// The file names, index = town.
extern const char* const talk_file_names[talk_town_count];

// Enters the directory (when not null) and reads the first town_file_bytes
// of each town file into buffer at town * town_file_bytes. 0, or -1 after
// printing the failing step's line.
int read_talk_files(const char* directory, unsigned char* buffer);
