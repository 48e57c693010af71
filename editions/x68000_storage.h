// The storage of the X68000 edition: the file TALKDATA.BIN in the root
// directory of a FAT12 image holds the 256 records of 512 bytes.
#pragma once

#include <cstdint>

#include "fat12_image.h"
#include "talk_listing.h"

extern const char x68000_talk_file_name[];  // "TALKDATA.BIN"

// 131,072: the 256 records of 512 bytes.
enum { x68000_talk_bytes = talk_town_count * talk_person_count * talk_profile_x68000.record_size };

// How taking TALKDATA.BIN out of an image ended.
enum x68000_talk_result {
    x68000_talk_read,        // the buffer holds it
    x68000_talk_missing,     // the root directory has no such file
    x68000_talk_wrong_size,  // its size field is not x68000_talk_bytes
    x68000_talk_unreadable,  // its cluster chain is broken
};

// Copies TALKDATA.BIN (its name in any letter case) out of the open image
// into buffer (x68000_talk_bytes), checking its size before the read. The
// FAT12 library prints its own line where it fails; the caller says which
// step failed in its own words. *size receives the file's size field.
x68000_talk_result read_x68000_talk_file(const fat12_image* image, unsigned char* buffer,
                                         int32_t* size);
