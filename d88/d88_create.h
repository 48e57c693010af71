// Creating blank formatted D88 disks: a whole disk from one of ten fixed
// layouts, or the sector array of one track. Every blank sector holds
// 0xE5 bytes. Results belong to the caller: an image or disk is released
// with free_d88_image or free_d88_disk (release flag 1); a sector array is
// stored in a track slot together with its count, and the disk owns it
// from then on.
#pragma once

#include <cstdint>

#include "d88_model.h"

enum {
    d88_sector_size_count = 7,  // size codes 0-6
    d88_disk_preset_count = 10,
    d88_max_create_cylinder = 81,
    d88_as_rest = -1,  // a preset's slot 0 value: the same as on the rest of the disk
};

// Data bytes of a sector by its size code N: 128 << N. Creation takes
// N = 1 to 6 only.
extern const int32_t d88_sector_sizes[d88_sector_size_count];

struct d88_disk_preset {
    uint8_t media_type;  // the disk header's media type byte
    int32_t cylinders;
    int32_t heads;
    int32_t sectors_per_track;
    uint8_t first_head;    // H of head 0; head h gets first_head + h
    uint8_t first_record;  // R of a track's first sector; the others follow
    uint8_t size_code;     // N
    uint8_t density;       // density byte of every sector
    // R and H of the first sector of slot 0 (cylinder 0, head 0), where
    // they differ from the rest of the disk, else d88_as_rest.
    int16_t slot0_first_record;
    int16_t slot0_first_head;
};

// The layouts of create_d88_disk, numbered 0 to 9 by their position.
extern const d88_disk_preset d88_disk_presets[d88_disk_preset_count];

// A new empty image record (no disks), or null.
d88_image* create_d88_image();

// A new blank disk laid out by preset 0-9: slot c * heads + h holds
// cylinder c, head h. The name is cut after 16 characters and padded with
// spaces to 16; none gives 16 spaces. disk_size is the serialised size;
// the track offsets stay 0. Null on failure.
d88_disk* create_d88_disk(const char* name, int32_t preset);

// count sectors of one track, records first_record on (modulo 256), all of
// size code size_code, each holding 0xE5 bytes. The cylinder must be 0-81,
// the head 0x00, 0x01, 0x80 or 0x81, the size code 1-6, the count at least
// 1 and the density 0x00 or 0x40. Null on failure.
d88_sector* create_d88_sectors(uint8_t cylinder, uint8_t head, uint8_t first_record,
                               uint8_t size_code, int32_t count, uint8_t density);

// As create_d88_sectors, but sector i takes its record from records[i]
// (or i + 1 modulo 256 without a list; repeats are allowed) and its size
// code from size_codes[i]. Every size code is checked before anything is
// allocated. Null on failure.
d88_sector* create_d88_custom_sectors(uint8_t cylinder, uint8_t head, const uint8_t* records,
                                      const uint8_t* size_codes, int32_t count, uint8_t density);
