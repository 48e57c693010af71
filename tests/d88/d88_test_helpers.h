// Shared helpers of the D88 tests: reading from exactly sized buffers (so
// that the sanitizer sees any read past the end) and a text dump of the
// whole model, compared byte for byte.
#pragma once

#include <string>

#include "d88_builder.h"
#include "d88_image.h"

struct captured_read {
    int result;
    std::string out;
};

// read_d88_image_from_buffer on a heap copy of exactly bytes.size() bytes.
captured_read read_image_bytes(d88_image* image, const byte_vector& bytes);

// Every disk, every slot with an offset or sectors, every sector field and
// its data in hex, one line each.
std::string dump_d88_image(const d88_image& image);
std::string dump_d88_disk(const d88_disk& disk);

// A sector of the given address and data bytes, one of count in its track.
d88_sector_image small_sector(uint8_t cylinder, uint8_t head, uint8_t record,
                              const byte_vector& data, uint16_t count = 1);
