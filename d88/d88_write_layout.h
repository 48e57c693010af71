// What the writer takes of a model that may break the reader's
// invariants; shared by the size computation and the serialiser, so that
// both always cover the same bytes.
#pragma once

#include <cstdint>

#include "d88_model.h"

// The sectors written for a slot: sector_count, or 0 for a slot without a
// sector array or with a count below 1.
int32_t d88_written_sector_count(const d88_track* track);

// The data bytes written for a sector: data_size, or 0 when it is negative.
int32_t d88_written_data_size(const d88_sector* sector);

// The serialised size of the first count disks of the chain from first
// (fewer when it ends sooner), or -1 above 0x7FFFFFFF.
int32_t get_d88_disks_size(const d88_disk* first, int32_t count);

// Serialises the first count disks of the chain from first into a new heap
// buffer, as write_d88_image_to_buffer does for an image's disks.
int write_d88_disks_to_buffer(const d88_disk* first, int32_t count, uint8_t** buffer,
                              uint32_t* size);
