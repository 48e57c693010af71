// D88 images written byte by byte, independent of the D88 writer: every
// header field, track offset and sector header can be given any value, so
// that malformed images are as easy to make as sound ones.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "byte_files.h"

// One sector as stored: the fields of its 16-byte header and the bytes
// that follow it.
struct d88_sector_image {
    uint8_t cylinder = 0;
    uint8_t head = 0;
    uint8_t record = 1;
    uint8_t size_code = 1;
    uint16_t sectors_in_track = 1;
    uint8_t density = 0;
    uint8_t deleted = 0;
    uint8_t status = 0;
    std::array<uint8_t, 5> reserved{};
    std::optional<uint16_t> size_field;  // the data-size field; unset: data.size()
    byte_vector data;                    // written right behind the header
};

// The sectors of one track in stored order.
using d88_track_image = std::vector<d88_sector_image>;

// Both throw std::invalid_argument for a data size (without size_field)
// above 0xFFFF, which the 16-bit field cannot hold.
byte_vector d88_sector_bytes(const d88_sector_image& sector);
byte_vector d88_track_bytes(const d88_track_image& track);

// count sectors of 128 << size_code bytes, records first_record on, all
// data bytes fill, each header giving count as the sectors in the track.
// Throws std::invalid_argument for a count outside 0-0xFFFF.
d88_track_image make_d88_track(uint8_t cylinder, uint8_t head, uint8_t first_record, int count,
                               uint8_t size_code, uint8_t fill);

// One disk: the header as stored and the bytes behind it. Track offsets
// are written exactly as set; add_track sets them for the common case.
struct d88_disk_builder {
    byte_vector name;      // at 0x00, at most 17 bytes, the rest NUL
    byte_vector reserved;  // at 0x11, at most 9 bytes, the rest NUL
    uint8_t write_protect = 0x00;
    uint8_t media_type = 0x00;
    uint32_t header_size = 688;  // 688: 164 table entries; 672: 160, data right behind
    std::array<uint32_t, 164> track_offsets{};
    std::optional<uint32_t> disk_size;  // the disk-size field; unset: end()
    byte_vector body;                   // everything from header_size on

    // Position behind the last byte, counted from the start of the disk.
    uint32_t end() const;
    // Appends bytes (a gap, stray data, an empty track) and returns their
    // position.
    uint32_t append(const byte_vector& bytes);
    // Appends the track, points slot at it and returns its position.
    uint32_t add_track(int slot, const d88_track_image& track);
    // The header followed by the body.
    byte_vector bytes() const;
};

// Disks stored back to back, as a D88 file holds them.
byte_vector d88_file(const std::vector<byte_vector>& disks);

// Slot, cylinder and head of the talk track of town t.
int talk_track_slot(int town);
int talk_track_cylinder(int town);
int talk_track_head(int town);

// A PC-8801 Towne disk from 256 talk records of 256 bytes, town-major (as
// make_talk_buffer makes them): town t on cylinder 0x10 + t / 2, head t % 2,
// records 1-16, each track in slot 2 * cylinder + head. Tracks of 0xE5
// bytes on cylinders 0x0F and 0x18 stand around them, and slot 0 holds an
// empty track. edit may change a talk track before it is laid out; the
// sector count in its headers then follows the sectors it has left (more
// than 0xFFFF of them throw std::invalid_argument).
d88_disk_builder make_d88_talk_disk(
    const byte_vector& talk_buffer,
    const std::function<void(int town, d88_track_image& track)>& edit = {});
