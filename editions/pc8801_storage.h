// The storage of the PC-8801 edition: town t on one track of the Towne
// disk of a D88 image, person p in the 256-byte sector with record p + 1.
#pragma once

#include "talk_listing.h"

struct town_track {
    const char* label;  // the town's label, as in town_labels
    int cylinder;
    int head;
};

extern const town_track town_tracks[talk_town_count];

// Person p of a town lies in the sector with record p + first_talk_record.
enum { first_talk_record = 1 };

// The sector address of a record.
talk_location talk_record_sector(int town, int person);

// The talk_record_fetch of talkd88; context is the selected d88_disk.
// Fills in the sector's cylinder, head and record number, and yields the
// sector's first 256 bytes, or null when the sector is missing, its size
// code is not 1 or it holds fewer than 256 bytes. A town or person outside
// 0-15 yields null; the location then holds the town's cylinder and head
// with sector 0 for a valid town, else 0/0/0.
const unsigned char* fetch_d88_talk_record(void* context, int town, int person,
                                           talk_location* location);
