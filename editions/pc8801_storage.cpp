#include "pc8801_storage.h"

#include "d88_image.h"

namespace {

const int talk_record_bytes = static_cast<int>(talk_profile_pc8801.record_size);
const int talk_record_size_code = 1;  // sectors of 128 << 1 bytes
static_assert((128 << talk_record_size_code) == talk_record_bytes, "one record a sector");

}  // namespace

// Town t lies on cylinder 0x10 + t / 2, head t % 2.
// clang-format off
const town_track town_tracks[] = {
    // label                    cylinder  head
    {"Castle of Lord Varnel",   0x10,     0},
    {"The Lycaeum",             0x10,     1},
    {"Empath Abbey",            0x11,     0},
    {"Serpent's Hold",          0x11,     1},
    {"Moonglow",                0x12,     0},
    {"Britain",                 0x12,     1},
    {"Jhelom",                  0x13,     0},
    {"Yew",                     0x13,     1},
    {"Minoc",                   0x14,     0},
    {"Trinsic",                 0x14,     1},
    {"Skara Brae",              0x15,     0},
    {"Magincia",                0x15,     1},
    {"Paws",                    0x16,     0},
    {"Buccaneer's Den",         0x16,     1},
    {"Vesper",                  0x17,     0},
    {"Cove",                    0x17,     1},
};
// clang-format on
static_assert(sizeof town_tracks / sizeof town_tracks[0] == talk_town_count, "one row per town");

talk_location talk_record_sector(int town, int person)
{
    return {town_tracks[town].cylinder, town_tracks[town].head, person + first_talk_record};
}

const unsigned char* fetch_d88_talk_record(void* context, int town, int person,
                                           talk_location* location)
{
    // A town or person outside 0-15 has no record: the row of an invalid
    // town is never looked at, and no sector number is made from an
    // invalid person.
    bool town_valid = town >= 0 && town < talk_town_count;
    bool person_valid = person >= 0 && person < talk_person_count;
    location->cylinder = town_valid ? town_tracks[town].cylinder : 0;
    location->head = town_valid ? town_tracks[town].head : 0;
    location->sector = town_valid && person_valid ? person + first_talk_record : 0;
    if (!town_valid || !person_valid)
        return nullptr;

    const d88_disk* disk = static_cast<const d88_disk*>(context);
    const d88_sector* sector =
        find_d88_sector(disk, location->cylinder, location->head, location->sector);
    if (sector == nullptr || sector->size_code != talk_record_size_code ||
        sector->data_size < talk_record_bytes)
        return nullptr;
    return sector->data;
}
