// The Apple II Towne disk image: its first 65,536 bytes hold the 256 talk
// records, read as a flat run of bytes.
#pragma once

enum { dsk_talk_bytes = 65536 };

// Reads the first 65,536 bytes of the image into buffer: 0, or -1 after
// printing the failing step's line.
int read_dsk_image(const char* path, unsigned char* buffer);
