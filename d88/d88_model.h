// The in-memory D88 model: an image is a chain of disks, a disk holds 164
// track slots, a slot holds an array of sectors, a sector its own copy of
// its data. Nothing here points into the bytes the image was read from.
#pragma once

#include <cstdint>

#include "little_endian.h"

enum {
    d88_name_size = 17,            // disk name, NUL-terminated when shorter
    d88_reserved_size = 9,         // header bytes 0x11-0x19
    d88_max_tracks = 164,          // track slots of a disk
    d88_short_track_count = 160,   // table entries of a 672-byte header
    d88_track_entry_size = 4,      // a table entry: the 32-bit offset of a slot's track
    d88_sector_reserved_size = 5,  // sector header bytes 0x09-0x0D
    d88_sector_count_size = 2,     // the 16-bit number of sectors of the track
};

// Positions of the disk header fields, counted from the start of the disk.
enum {
    d88_name_offset = 0x00,
    d88_reserved_offset = 0x11,
    d88_write_protect_offset = 0x1A,
    d88_media_type_offset = 0x1B,
    d88_disk_size_offset = 0x1C,
    d88_track_table_offset = 0x20,
    d88_short_header_size = 0x2A0,  // 672: 160 table entries
    d88_header_size = 0x2B0,        // 688: 164 table entries
};

static_assert(d88_short_header_size ==
              d88_track_table_offset + d88_short_track_count * d88_track_entry_size);
static_assert(d88_header_size == d88_track_table_offset + d88_max_tracks * d88_track_entry_size);

// Positions of the sector header fields, counted from the header's start.
enum {
    d88_sector_cylinder_offset = 0x00,
    d88_sector_head_offset = 0x01,
    d88_sector_record_offset = 0x02,
    d88_sector_size_code_offset = 0x03,
    d88_sector_count_offset = 0x04,
    d88_sector_density_offset = 0x06,
    d88_sector_deleted_offset = 0x07,
    d88_sector_status_offset = 0x08,
    d88_sector_reserved_offset = 0x09,
    d88_sector_data_size_offset = 0x0E,
    d88_sector_header_size = 0x10,
};

// Accepted header byte values.
enum {
    d88_not_protected = 0x00,
    d88_protected = 0x10,
    d88_media_2d = 0x00,
    d88_media_2dd = 0x10,
    d88_media_2hd = 0x20,
};

inline bool is_d88_write_protect_flag(uint8_t flag)
{
    return flag == d88_not_protected || flag == d88_protected;
}

inline bool is_d88_media_type(uint8_t media)
{
    return media == d88_media_2d || media == d88_media_2dd || media == d88_media_2hd;
}

struct d88_sector {
    uint8_t cylinder;           // C
    uint8_t head;               // H
    uint8_t record;             // R
    uint8_t size_code;          // N: 128 << N bytes
    uint16_t sectors_in_track;  // header field 0x04 as stored
    uint8_t density;
    uint8_t deleted;
    uint8_t status;
    uint8_t reserved[d88_sector_reserved_size];
    int16_t data_size;  // bytes in data
    uint8_t* data;      // null when data_size is 0
};

struct d88_track {
    int32_t sector_count;  // sectors in the array
    d88_sector* sectors;   // file order; null for an absent or empty track
};

struct d88_disk {
    d88_disk* next;  // following disk of the same file, null for the last
    char name[d88_name_size];
    uint8_t reserved[d88_reserved_size];
    uint8_t write_protect;
    uint8_t media_type;
    int32_t disk_size;                      // bytes of the whole disk, header included
    int32_t track_offsets[d88_max_tracks];  // as stored; 0 for an absent track
    d88_track tracks[d88_max_tracks];       // slot i starts at track_offsets[i]
};

struct d88_image {
    int32_t disk_count;
    d88_disk* first_disk;  // null when the image holds no disk
};

namespace d88 {

// Little-endian fields, byte by byte, whatever the host's order and the
// alignment of p.
using little_endian::read_le16;
using little_endian::read_le32;

}  // namespace d88
