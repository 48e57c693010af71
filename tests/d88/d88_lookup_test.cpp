// Picking disks, finding tracks and sectors, and releasing images.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <memory>

#include "capture_stdout.h"
#include "d88_test_helpers.h"

namespace {

// Each sector's one data byte is its id.
byte_vector lookup_disk_bytes()
{
    d88_disk_builder d;
    d.name = {'L'};
    d.track_offsets[0] = d.append(byte_vector(16, 0));  // empty
    d.add_track(1, {small_sector(0, 0, 1, {1}, 2), small_sector(0, 0, 2, {2}, 2)});
    d.add_track(2, {small_sector(1, 0, 3, {3}, 3), small_sector(1, 0, 1, {4}, 3),
                    small_sector(1, 0, 3, {5}, 3)});
    d.add_track(3, {small_sector(1, 0, 7, {9})});
    d.add_track(5, {small_sector(2, 1, 1, {6}, 2), small_sector(5, 5, 1, {7}, 2)});
    d.add_track(40, {small_sector(0x10, 1, 1, {8})});
    return d.bytes();
}

struct sector_lookup {
    int cylinder, head, record;
    int id;  // data byte of the sector found, 0 for none
};

// clang-format off
const sector_lookup sector_lookups[] = {
    // C     H    R    id
    {0,      0,   1,   1},  // the empty slot 0 is passed over
    {0,      0,   2,   2},
    {0,      0,   3,   0},
    {1,      0,   3,   3},  // the first of two equal records
    {1,      0,   1,   4},
    {1,      0,   7,   0},  // only a later slot of the same C/H holds it
    {2,      1,   1,   6},
    {5,      5,   1,   0},  // C/H of a slot's second sector only
    {0x10,   1,   1,   8},
    {0x110,  1,   1,   0},  // arguments outside 0-255 never match
    {0,      256, 1,   0},
    {0,      0,   257, 0},
    {-256,   0,   1,   0},
};
// clang-format on

TEST(Lookup, FindsSectorsInTheFirstSlotOfTheirCylinderAndHead)
{
    d88_image image = {0, nullptr};
    ASSERT_EQ(read_image_bytes(&image, lookup_disk_bytes()).result, 1);
    const d88_disk* disk = get_d88_disk(&image, 0);
    for (const sector_lookup& lookup : sector_lookups) {
        SCOPED_TRACE(testing::Message()
                     << lookup.cylinder << "/" << lookup.head << "/" << lookup.record);
        const d88_sector* sector =
            find_d88_sector(disk, lookup.cylinder, lookup.head, lookup.record);
        EXPECT_EQ(sector == nullptr ? 0 : sector->data[0], lookup.id);
    }
    EXPECT_EQ(find_d88_track(disk, 1, 0), &disk->tracks[2]);
    EXPECT_EQ(find_d88_track(disk, 2, 1), &disk->tracks[5]);
    EXPECT_EQ(find_d88_track(disk, 5, 5), nullptr);
    EXPECT_EQ(find_d88_track(disk, 0, 0x100), nullptr);
    free_d88_image(&image, 0);
}

TEST(Lookup, PicksDisksByTheirPositionInTheChain)
{
    auto named = [](char name) {
        d88_disk_builder d;
        d.name = {static_cast<unsigned char>(name)};
        return d.bytes();
    };
    d88_image image = {0, nullptr};
    ASSERT_EQ(read_image_bytes(&image, d88_file({named('A'), named('B'), named('C')})).result, 3);
    auto name_at = [&](int32_t index) {
        const d88_disk* disk = get_d88_disk(&image, index);
        return disk == nullptr ? std::string("none") : std::string(disk->name);
    };
    EXPECT_EQ(name_at(0), "A");
    EXPECT_EQ(name_at(1), "B");
    EXPECT_EQ(name_at(2), "C");
    EXPECT_EQ(name_at(3), "none");
    EXPECT_EQ(name_at(-1), "none");
    EXPECT_EQ(name_at(INT32_MAX), "none");
    EXPECT_EQ(name_at(INT32_MIN), "none");
    image.disk_count = 1;  // the chain decides, not the count
    EXPECT_EQ(name_at(2), "C");
    free_d88_image(&image, 0);
}

TEST(Release, EmptiesAnImageForAnotherReadAndFreesAHeapRecord)
{
    byte_vector bytes = d88_file({lookup_disk_bytes(), lookup_disk_bytes()});
    d88_image image = {0, nullptr};
    ASSERT_EQ(read_image_bytes(&image, bytes).result, 2);
    std::string first = dump_d88_image(image);
    free_d88_image(&image, 0);
    EXPECT_EQ(dump_d88_image(image), "image of 0 disks\n");
    ASSERT_EQ(read_image_bytes(&image, bytes).result, 2);
    EXPECT_EQ(dump_d88_image(image), first);
    free_d88_image(&image, 0);

    d88_image* heap = static_cast<d88_image*>(malloc(sizeof(d88_image)));
    ASSERT_EQ(read_image_bytes(heap, bytes).result, 2);
    free_d88_image(heap, 1);  // the leak checker sees anything left behind
    free_d88_image(nullptr, 1);
    free_d88_disk(nullptr, 1);
}

TEST(Release, ZeroFillsADiskAndFreesATrackThatStoppedPartWay)
{
    d88_disk_builder d;
    d.name = {'P'};
    d.add_track(0, {small_sector(0, 0, 1, {1, 2}, 3), small_sector(0, 0, 2, {3}, 3),
                    small_sector(0, 0, 3, {4, 5, 6})});
    d.body.resize(d.body.size() - 1);  // the third sector's data is cut short
    byte_vector bytes = d.bytes();
    std::unique_ptr<uint8_t[]> exact(new uint8_t[bytes.size()]);
    std::copy(bytes.begin(), bytes.end(), exact.get());

    d88_disk* disk = static_cast<d88_disk*>(malloc(sizeof(d88_disk)));
    std::string out = capture_stdout([&] {
        EXPECT_EQ(read_d88_disk_from_buffer(disk, exact.get(), static_cast<int32_t>(bytes.size())),
                  -1);
    });
    EXPECT_EQ(out,
              "data error: data size(0x000002E5) < offset(0x000002D3) + 0x10 + sector "
              "size(0x0003)\nread sector 2 error\nread track 0 error [P]\n");
    EXPECT_EQ(disk->tracks[0].sector_count, 3);
    free_d88_disk(disk, 0);
    const d88_disk zero = {};
    EXPECT_EQ(memcmp(disk, &zero, sizeof zero), 0);
    free_d88_disk(disk, 1);
}

}  // namespace
