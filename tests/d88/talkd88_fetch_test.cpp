// The record fetch of talkd88 called directly: the town table, the
// address of every record, and towns and persons outside 0-15.
#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <string>

#include "d88_builder.h"
#include "d88_image.h"
#include "pc8801_storage.h"
#include "talk_listing.h"

namespace {

TEST(TownTracks, LabelsAreTheListingCoresTownLabels)
{
    for (int town = 0; town < talk_town_count; town++) {
        SCOPED_TRACE(town);
        EXPECT_STREQ(town_tracks[town].label, town_labels[town]);
        EXPECT_EQ(town_tracks[town].cylinder, talk_track_cylinder(town));
        EXPECT_EQ(town_tracks[town].head, talk_track_head(town));
    }
}

// Every record holds its town and person in its first two bytes.
byte_vector numbered_buffer()
{
    byte_vector buffer(256 * 256, 0);
    for (size_t record = 0; record < 256; record++) {
        buffer[record * 256] = static_cast<unsigned char>(record / 16);
        buffer[record * 256 + 1] = static_cast<unsigned char>(record % 16);
    }
    return buffer;
}

struct fetch_case {
    int town, person;
    const char* answer;  // "C/H/R" of the location, then the record's first two bytes or none
};

// clang-format off
const fetch_case fetch_cases[] = {
    // town      person    answer
    {0,          0,        "10/00/01 0000"},
    {1,          5,        "10/01/06 0105"},
    {14,         9,        "17/00/0A 0E09"},
    {15,         15,       "17/01/10 0F0F"},
    {-1,         0,        "00/00/00 none"},
    {16,         0,        "00/00/00 none"},
    {INT_MIN,    3,        "00/00/00 none"},
    {INT_MAX,    3,        "00/00/00 none"},
    {0,          -1,       "10/00/00 none"},
    {3,          16,       "11/01/00 none"},
    {15,         INT_MAX,  "17/01/00 none"},
    {-1,         INT_MAX,  "00/00/00 none"},
};
// clang-format on

TEST(FetchTalkRecord, AddressesEachRecordAndRefusesTownsAndPersonsOutside0To15)
{
    byte_vector bytes = make_d88_talk_disk(numbered_buffer()).bytes();
    d88_image image = {0, nullptr};
    ASSERT_EQ(read_d88_image_from_buffer(&image, bytes.data(), static_cast<int32_t>(bytes.size())),
              1);
    for (const fetch_case& c : fetch_cases) {
        SCOPED_TRACE(testing::Message() << c.town << " " << c.person);
        talk_location location = {-1, -1, -1};
        const unsigned char* record =
            fetch_d88_talk_record(image.first_disk, c.town, c.person, &location);
        char answer[32];
        if (record == nullptr)
            snprintf(answer, sizeof answer, "%02X/%02X/%02X none", location.cylinder, location.head,
                     location.sector);
        else
            snprintf(answer, sizeof answer, "%02X/%02X/%02X %02X%02X", location.cylinder,
                     location.head, location.sector, record[0], record[1]);
        EXPECT_EQ(std::string(answer), c.answer);
    }
    free_d88_image(&image, 0);
}

}  // namespace
