// Creating blank disks and sector arrays: every preset byte for byte
// against the builder, names, record numbering and every refusal.
#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <functional>

#include "capture_stdout.h"
#include "d88_test_helpers.h"

namespace {

struct preset_case {
    int32_t preset;
    uint8_t media_type;
    int cylinders, heads, sectors;
    uint8_t first_head, first_record, size_code;
    int tracks;
    int32_t size;
};

// clang-format off
const preset_case preset_cases[] = {
    // preset  media  cyl  heads  sectors  H0    R0  N  tracks  size
    {0,        0x00,  40,  2,     16,      0x00, 1,  1, 80,     348848},
    {1,        0x10,  80,  2,     8,       0x00, 1,  2, 160,    676528},
    {2,        0x10,  80,  2,     9,       0x00, 1,  2, 160,    761008},
    {3,        0x20,  77,  2,     8,       0x00, 1,  3, 154,    1281968},
    {4,        0x20,  80,  2,     8,       0x00, 1,  3, 160,    1331888},
    {5,        0x20,  80,  2,     9,       0x00, 10, 3, 160,    1498288},
    {6,        0x20,  80,  2,     9,       0x80, 1,  3, 160,    1498288},
    {7,        0x20,  80,  2,     15,      0x00, 1,  2, 160,    1267888},
    {8,        0x20,  80,  2,     18,      0x00, 1,  2, 160,    1521328},
    {9,        0x20,  77,  2,     26,      0x00, 1,  1, 154,    1089776},
};
// clang-format on

// The disk a preset must give, laid out by the builder.
byte_vector expected_preset_bytes(const preset_case& p)
{
    d88_disk_builder d;
    d.name = byte_vector(16, ' ');
    d.media_type = p.media_type;
    for (int slot = 0; slot < p.tracks; slot++) {
        d88_track_image track = make_d88_track(static_cast<uint8_t>(slot / p.heads),
                                               static_cast<uint8_t>(p.first_head + slot % p.heads),
                                               p.first_record, p.sectors, p.size_code, 0xE5);
        if (slot == 0 && p.preset == 5)
            track[0].record = 1;
        if (slot == 0 && p.preset == 6)
            track[0].head = 0x00;
        d.add_track(slot, track);
    }
    return d.bytes();
}

TEST(CreateDisk, EveryPresetGivesItsLayoutByteForByte)
{
    for (const preset_case& p : preset_cases) {
        SCOPED_TRACE(p.preset);
        d88_disk* disk = nullptr;
        std::string out = capture_stdout([&] { disk = create_d88_disk(nullptr, p.preset); });
        ASSERT_NE(disk, nullptr);
        EXPECT_EQ(out, "");
        EXPECT_EQ(disk->disk_size, p.size);
        EXPECT_EQ(disk->next, nullptr);
        std::string unused;
        for (int slot = 0; slot < 164; slot++) {
            if (disk->track_offsets[slot] != 0)
                unused += " offset " + std::to_string(slot);
            const d88_track& track = disk->tracks[slot];
            bool used = track.sectors != nullptr;
            if (used != (slot < p.tracks) || track.sector_count != (used ? p.sectors : 0))
                unused += " slot " + std::to_string(slot);
        }
        EXPECT_EQ(unused, "");

        byte_vector expected = expected_preset_bytes(p);
        ASSERT_EQ(expected.size(), static_cast<size_t>(p.size));
        byte_vector written(expected.size() + 1, 0xCC);
        uint8_t* end = nullptr;
        ASSERT_EQ(write_d88_disk_to_buffer(disk, written.data(), &end, p.size), 0);
        EXPECT_EQ(end, written.data() + p.size);
        written.pop_back();
        EXPECT_TRUE(written == expected);  // megabytes: no dump of the difference
        free_d88_disk(disk, 1);
    }
}

// The records (or heads) of the sectors of one slot, in hex.
std::string slot_fields(const d88_disk* disk, int slot, bool heads)
{
    std::string out;
    const d88_track& track = disk->tracks[slot];
    for (int i = 0; i < track.sector_count; i++) {
        char two[4];
        snprintf(two, sizeof two, " %02X", heads ? track.sectors[i].head : track.sectors[i].record);
        out += two;
    }
    return out;
}

TEST(CreateDisk, Presets5And6ChangeOnlyTheFirstSectorOfSlot0)
{
    d88_disk* five = create_d88_disk("FIVE", 5);
    d88_disk* six = create_d88_disk("SIX", 6);
    ASSERT_NE(five, nullptr);
    ASSERT_NE(six, nullptr);
    EXPECT_EQ(slot_fields(five, 0, false), " 01 0B 0C 0D 0E 0F 10 11 12");
    EXPECT_EQ(slot_fields(five, 1, false), " 0A 0B 0C 0D 0E 0F 10 11 12");
    EXPECT_EQ(slot_fields(five, 159, false), " 0A 0B 0C 0D 0E 0F 10 11 12");
    EXPECT_EQ(slot_fields(five, 0, true), " 00 00 00 00 00 00 00 00 00");
    EXPECT_EQ(slot_fields(six, 0, true), " 00 80 80 80 80 80 80 80 80");
    EXPECT_EQ(slot_fields(six, 1, true), " 81 81 81 81 81 81 81 81 81");
    EXPECT_EQ(slot_fields(six, 2, true), " 80 80 80 80 80 80 80 80 80");
    EXPECT_EQ(slot_fields(six, 0, false), " 01 02 03 04 05 06 07 08 09");
    free_d88_disk(five, 1);
    free_d88_disk(six, 1);
}

struct name_case {
    const char* name;    // null: none
    std::string stored;  // all 17 bytes
};

const name_case name_cases[] = {
    {"ABC", std::string("ABC             \0", 17)},
    {"", std::string("                \0", 17)},
    {nullptr, std::string("                \0", 17)},
    {"0123456789ABCDEF", std::string("0123456789ABCDEF\0", 17)},
    {"0123456789ABCDEFGHIJ", std::string("0123456789ABCDEF\0", 17)},
    {"A B\tC", std::string("A B\tC           \0", 17)},
};

TEST(CreateDisk, PadsNamesWithSpacesAndCutsThemAfter16Characters)
{
    for (const name_case& c : name_cases) {
        SCOPED_TRACE(c.name == nullptr ? "none" : c.name);
        d88_disk* disk = create_d88_disk(c.name, 0);
        ASSERT_NE(disk, nullptr);
        EXPECT_EQ(std::string(disk->name, 17), c.stored);
        EXPECT_EQ(byte_vector(disk->reserved, disk->reserved + 9), byte_vector(9, 0));
        EXPECT_EQ(disk->write_protect, 0x00);
        free_d88_disk(disk, 1);
    }
}

// One line per sector: address, size code, data size, count field,
// density, deleted, status, reserved, and whether the data is all 0xE5.
std::string sectors_summary(d88_sector* sectors, int32_t count)
{
    if (sectors == nullptr)
        return "none\n";
    std::string out;
    for (int32_t i = 0; i < count; i++) {
        const d88_sector& s = sectors[i];
        bool blank = s.data != nullptr && s.data_size > 0;
        for (int j = 0; blank && j < s.data_size; j++)
            blank = s.data[j] == 0xE5;
        bool zero = s.deleted == 0 && s.status == 0 && s.reserved[0] == 0 && s.reserved[1] == 0 &&
                    s.reserved[2] == 0 && s.reserved[3] == 0 && s.reserved[4] == 0;
        char line[96];
        snprintf(line, sizeof line, "%02X/%02X/%02X N%d %d count %u density %02X%s%s\n", s.cylinder,
                 s.head, s.record, s.size_code, s.data_size, s.sectors_in_track, s.density,
                 zero ? "" : " marks", blank ? " E5" : " odd");
        out += line;
        free(s.data);
    }
    free(sectors);
    return out;
}

struct sectors_case {
    const char* name;
    std::function<d88_sector*()> call;
    int32_t count;
    std::string out;      // printed
    std::string summary;  // of the result
};

const uint8_t codes_1_to_6[] = {1, 2, 3, 4, 5, 6};
const uint8_t repeated_records[] = {5, 5, 2};
const uint8_t codes_with_0_first[] = {0, 1, 1};
const uint8_t codes_with_0_middle[] = {1, 0, 1};
const uint8_t codes_with_0_last[] = {1, 1, 0};
const uint8_t codes_with_7[] = {1, 7, 1};

const char sectors_refused[] = "create_d88_sectors: illegal parameter\n";
const char custom_refused[] = "create_d88_custom_sectors: illegal parameter\n";

const sectors_case sectors_cases[] = {
    {"cylinder 81, head 0x81, size code 6, density 0x40, one sector",
     [] { return create_d88_sectors(81, 0x81, 1, 6, 1, 0x40); }, 1, "",
     "51/81/01 N6 8192 count 1 density 40 E5\n"},
    {"head 0x80, size code 1, records wrapping past 255",
     [] { return create_d88_sectors(0, 0x80, 250, 1, 10, 0x00); }, 10, "",
     "00/80/FA N1 256 count 10 density 00 E5\n00/80/FB N1 256 count 10 density 00 E5\n"
     "00/80/FC N1 256 count 10 density 00 E5\n00/80/FD N1 256 count 10 density 00 E5\n"
     "00/80/FE N1 256 count 10 density 00 E5\n00/80/FF N1 256 count 10 density 00 E5\n"
     "00/80/00 N1 256 count 10 density 00 E5\n00/80/01 N1 256 count 10 density 00 E5\n"
     "00/80/02 N1 256 count 10 density 00 E5\n00/80/03 N1 256 count 10 density 00 E5\n"},
    {"head 1, size code 2", [] { return create_d88_sectors(2, 1, 3, 2, 2, 0x00); }, 2, "",
     "02/01/03 N2 512 count 2 density 00 E5\n02/01/04 N2 512 count 2 density 00 E5\n"},
    {"cylinder 82", [] { return create_d88_sectors(82, 0, 1, 1, 1, 0x00); }, 0, sectors_refused,
     "none\n"},
    {"cylinder 255", [] { return create_d88_sectors(255, 0, 1, 1, 1, 0x00); }, 0, sectors_refused,
     "none\n"},
    {"head 0x02", [] { return create_d88_sectors(0, 0x02, 1, 1, 1, 0x00); }, 0, sectors_refused,
     "none\n"},
    {"head 0x7F", [] { return create_d88_sectors(0, 0x7F, 1, 1, 1, 0x00); }, 0, sectors_refused,
     "none\n"},
    {"head 0x82", [] { return create_d88_sectors(0, 0x82, 1, 1, 1, 0x00); }, 0, sectors_refused,
     "none\n"},
    {"size code 0", [] { return create_d88_sectors(0, 0, 1, 0, 1, 0x00); }, 0, sectors_refused,
     "none\n"},
    {"size code 7", [] { return create_d88_sectors(0, 0, 1, 7, 1, 0x00); }, 0, sectors_refused,
     "none\n"},
    {"count 0", [] { return create_d88_sectors(0, 0, 1, 1, 0, 0x00); }, 0, sectors_refused,
     "none\n"},
    {"count -1", [] { return create_d88_sectors(0, 0, 1, 1, -1, 0x00); }, 0, sectors_refused,
     "none\n"},
    {"count INT_MIN", [] { return create_d88_sectors(0, 0, 1, 1, INT_MIN, 0x00); }, 0,
     sectors_refused, "none\n"},
    {"density 0x20", [] { return create_d88_sectors(0, 0, 1, 1, 1, 0x20); }, 0, sectors_refused,
     "none\n"},
    {"density 0x41", [] { return create_d88_sectors(0, 0, 1, 1, 1, 0x41); }, 0, sectors_refused,
     "none\n"},
    {"custom: every size code, records 1 on",
     [] { return create_d88_custom_sectors(81, 0, nullptr, codes_1_to_6, 6, 0x40); }, 6, "",
     "51/00/01 N1 256 count 6 density 40 E5\n51/00/02 N2 512 count 6 density 40 E5\n"
     "51/00/03 N3 1024 count 6 density 40 E5\n51/00/04 N4 2048 count 6 density 40 E5\n"
     "51/00/05 N5 4096 count 6 density 40 E5\n51/00/06 N6 8192 count 6 density 40 E5\n"},
    {"custom: records as given, repeats included",
     [] { return create_d88_custom_sectors(7, 0x80, repeated_records, codes_1_to_6, 3, 0x00); }, 3,
     "",
     "07/80/05 N1 256 count 3 density 00 E5\n07/80/05 N2 512 count 3 density 00 E5\n"
     "07/80/02 N3 1024 count 3 density 00 E5\n"},
    {"custom: only the first count size codes are looked at",
     [] { return create_d88_custom_sectors(0, 0, nullptr, codes_with_0_last, 2, 0x00); }, 2, "",
     "00/00/01 N1 256 count 2 density 00 E5\n00/00/02 N1 256 count 2 density 00 E5\n"},
    {"custom: size code 0 first",
     [] { return create_d88_custom_sectors(0, 0, nullptr, codes_with_0_first, 3, 0x00); }, 0,
     custom_refused, "none\n"},
    {"custom: size code 0 in the middle",
     [] { return create_d88_custom_sectors(0, 0, nullptr, codes_with_0_middle, 3, 0x00); }, 0,
     custom_refused, "none\n"},
    {"custom: size code 0 last",
     [] { return create_d88_custom_sectors(0, 0, nullptr, codes_with_0_last, 3, 0x00); }, 0,
     custom_refused, "none\n"},
    {"custom: size code 7",
     [] { return create_d88_custom_sectors(0, 0, nullptr, codes_with_7, 3, 0x00); }, 0,
     custom_refused, "none\n"},
    {"custom: no size codes",
     [] { return create_d88_custom_sectors(0, 0, repeated_records, nullptr, 3, 0x00); }, 0,
     custom_refused, "none\n"},
    {"custom: cylinder 82",
     [] { return create_d88_custom_sectors(82, 0, nullptr, codes_1_to_6, 1, 0x00); }, 0,
     custom_refused, "none\n"},
    {"custom: head 0x02",
     [] { return create_d88_custom_sectors(0, 2, nullptr, codes_1_to_6, 1, 0x00); }, 0,
     custom_refused, "none\n"},
    {"custom: count 0",
     [] { return create_d88_custom_sectors(0, 0, nullptr, codes_1_to_6, 0, 0x00); }, 0,
     custom_refused, "none\n"},
    {"custom: density 0x20",
     [] { return create_d88_custom_sectors(0, 0, nullptr, codes_1_to_6, 1, 0x20); }, 0,
     custom_refused, "none\n"},
};

TEST(CreateSectors, BuildBlankSectorsOrRefuseTheCall)
{
    for (const sectors_case& c : sectors_cases) {
        SCOPED_TRACE(c.name);
        d88_sector* sectors = nullptr;
        std::string out = capture_stdout([&] { sectors = c.call(); });
        EXPECT_EQ(out, c.out);
        EXPECT_EQ(sectors_summary(sectors, c.count), c.summary);
    }
}

TEST(CreateDisk, RefusesPresetsOutside0To9)
{
    for (int32_t preset : {-1, 10, INT_MIN, INT_MAX}) {
        SCOPED_TRACE(preset);
        d88_disk* disk = nullptr;
        std::string out = capture_stdout([&] { disk = create_d88_disk("X", preset); });
        EXPECT_EQ(disk, nullptr);
        EXPECT_EQ(out, "create_d88_disk: illegal parameter\n");
    }
}

// A created image takes created disks and is written like a read one.
TEST(CreateImage, IsEmptyAndHoldsCreatedDisks)
{
    d88_image* image = create_d88_image();
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->disk_count, 0);
    EXPECT_EQ(image->first_disk, nullptr);
    image->first_disk = create_d88_disk("ONE", 0);
    image->first_disk->next = create_d88_disk("TWO", 9);
    image->disk_count = 2;
    captured_write write = write_image_bytes(image);
    EXPECT_EQ(write.result, 0);
    EXPECT_EQ(write.size, 348848u + 1089776u);
    held_image again;
    EXPECT_EQ(read_image_bytes(&again.image, write.bytes).result, 2);
    EXPECT_EQ(dump_written_fields(again.image), dump_written_fields(*image));
    free_d88_image(image, 1);
}

}  // namespace
