// Shared helpers of the D88 tests: reading from exactly sized buffers (so
// that the sanitizer sees any read past the end) and a text dump of the
// whole model, compared byte for byte.
#pragma once

#include <string>

#include "d88_builder.h"
#include "d88_image.h"
#include "test_files.h"

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

// An image read from bytes that is released when it goes.
struct held_image {
    d88_image image = {0, nullptr};
    held_image() = default;
    held_image(const held_image&) = delete;
    held_image& operator=(const held_image&) = delete;
    ~held_image() { free_d88_image(&image, 0); }
};

// write_d88_image_to_buffer with everything it printed; bytes holds the
// buffer's contents (released here), buffer_null whether none came back.
struct captured_write {
    int result;
    std::string out;
    uint32_t size;
    bool buffer_null;
    byte_vector bytes;
};
captured_write write_image_bytes(const d88_image* image);

// dump_d88_image after clearing what the writer recomputes: every disk's
// disk_size and track_offsets and every sector's sectors_in_track. Slots
// without sectors then drop out of the dump.
std::string dump_written_fields(d88_image& image);
