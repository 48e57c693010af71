// The storage of the Apple II edition: the first 65,536 bytes of its Towne
// disk image hold the 256 talk records, read as a flat run of bytes.
#pragma once

#include "talk_listing.h"

// 65,536: the 256 records of 256 bytes.
enum { dsk_talk_bytes = talk_town_count * talk_person_count * talk_profile_apple2.record_size };

// Reads the first dsk_talk_bytes of the image into buffer: 0, or -1 after
// printing the failing step's line.
int read_dsk_image(const char* path, unsigned char* buffer);
