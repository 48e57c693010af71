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
