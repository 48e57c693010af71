// Writing D88 images: the model back into the file layout, into one heap
// buffer or into a file. The writer recomputes every disk's size and
// track offset table from the sectors, always writes the 688-byte header
// with 164 table entries, packs the tracks back to back in slot order and
// puts the track's sector count into every sector header.
//
// Models that break the reader's invariants are written as far as they
// can be without reading or writing outside the model or the buffer:
// - a slot without a sector array, or with one but a sector_count below 1,
//   is absent (table entry 0, no bytes);
// - a sector with a negative data_size is written with data size 0 and
//   no data;
// - a sector with a positive data_size but no data gets that many zero
//   bytes;
// - a negative disk_count writes no disk; a chain shorter than disk_count
//   writes the disks it has.
// A disk or image whose size does not fit a signed 32-bit value has no
// size (-1) and is not written.
#pragma once

#include <cstdint>

#include "d88_model.h"

namespace d88 {

// Little-endian stores, byte by byte, whatever the host's order and the
// alignment of p; they return the position behind the bytes stored.
// write_le16 stores the low 16 bits of value.
using little_endian::write_le16;
using little_endian::write_le32;

}  // namespace d88

// The serialised size of a disk: 688 plus 16 + data_size for every sector
// of every slot that is written. -1 for a missing disk or a size above
// 0x7FFFFFFF.
int32_t get_d88_disk_size(const d88_disk* disk);

// The sum of the sizes of the first disk_count disks of the chain (fewer
// when the chain ends sooner): 0 for an image without disks. -1 for a
// missing image or a sum above 0x7FFFFFFF.
int32_t get_d88_image_size(const d88_image* image);

// Serialises the disk at output, which has space bytes up to the end of
// the buffer. On success *end is the position behind the disk. When the
// disk does not fit, nothing is written and *end is left alone. 0, or -1.
int write_d88_disk_to_buffer(const d88_disk* disk, uint8_t* output, uint8_t** end, int32_t space);

// Serialises the image into a new heap buffer of exactly its size, which
// the caller releases with free(). An image without disks gives size 0 and
// no buffer (null). 0, or -1 with *buffer null.
int write_d88_image_to_buffer(const d88_image* image, uint8_t** buffer, uint32_t* size);

// Writes the image to path. The whole image goes into a new file beside
// the target first, and only a complete, closed file replaces the target,
// with the target's permissions and (as root) owner; on any failure the
// new file is removed and the target stays as it was. A target that exists
// but does not open for update is refused. A symbolic link at path stays:
// the file it names is replaced. A missing image or path, and an image
// without disks, are not written. 0, or -1.
int write_d88_image_file(const d88_image* image, const char* path);

// Writes one disk alone, whatever follows it in its chain, as
// write_d88_image_file does. 0, or -1.
int write_d88_disk_file(const d88_disk* disk, const char* path);
