// Lookups in a read image. They change nothing; the results stay valid
// until the image is released.
#pragma once

#include <cstdint>

#include "d88_model.h"

// The disk at position index of the chain (from 0), or null.
d88_disk* get_d88_disk(d88_image* image, int32_t index);

// The first slot whose first sector has this cylinder and head, or null.
const d88_track* find_d88_track(const d88_disk* disk, int32_t cylinder, int32_t head);

// The first sector with this record number in the slot that
// find_d88_track gives, or null. Later slots are not searched.
const d88_sector* find_d88_sector(const d88_disk* disk, int32_t cylinder, int32_t head,
                                  int32_t record);
