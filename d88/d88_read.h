// Reading D88 images: file -> image -> disk -> track -> sector, one layer
// per function. Positions and lengths are signed 32-bit values counted
// from the start of the disk; every comparison on them is signed.
#pragma once

#include <cstddef>
#include <cstdint>

#include "d88_model.h"

// True when bytes begin as a D88 image does: a first disk header whose disk
// size the bytes hold, whose write-protect and media bytes are values the
// format knows and whose track offsets lie inside the disk. It reads
// nothing else and prints nothing.
bool looks_like_d88_image(const uint8_t* bytes, size_t size);

// Reads the whole file and parses it into image, which must be empty.
// The number of disks read, or -1.
int read_d88_image_file(d88_image* image, const char* path);

// Splits length bytes into disks and reads each one. Trailing bytes too
// few for a disk header are skipped. The number of disks read, or -1 with
// the image left empty. The buffer stays the caller's.
int read_d88_image_from_buffer(d88_image* image, const uint8_t* buffer, int32_t length);

// Reads the disk that starts at disk_start; available is the number of
// bytes from there to the end of the whole buffer. 0, or -1.
int read_d88_disk_from_buffer(d88_disk* disk, const uint8_t* disk_start, int32_t available);

// Reads the track at offset whose extent ends at end. 0, or -1 with the
// slot partly filled, for free_d88_disk to release.
int read_d88_track_from_buffer(d88_track* track, const uint8_t* disk_start, int32_t offset,
                               int32_t end);

// Reads the sector header at position and copies its data, all of which
// must lie before end. 0, or -1.
int read_d88_sector_from_buffer(d88_sector* sector, const uint8_t* disk_start, int32_t position,
                                int32_t end);
