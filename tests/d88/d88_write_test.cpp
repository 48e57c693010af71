// Serialising the model: round trips through the reader, the exact bytes
// written for sound and for broken models, sizes and the buffer-space
// check. Expected bytes come from the builder, never from the writer.
#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <functional>
#include <vector>

#include "capture_stdout.h"
#include "d88_test_helpers.h"

namespace {

byte_vector text_bytes(const std::string& text)
{
    return byte_vector(text.begin(), text.end());
}

// Tracks in slot order, back to back, each header's count right: the form
// the writer makes, so such an image comes back byte for byte. Slot 0 has
// every sector field set, slot 1 four 256-byte sectors, slot 77 one odd
// sector; one slot may be left out.
d88_disk_builder canonical_disk(uint32_t header_size = 688, int left_out = -1)
{
    d88_disk_builder d;
    d.header_size = header_size;
    d.name = text_bytes("CANON");
    d.reserved = {1, 2, 3, 4, 5, 6, 7, 8, 9};
    d.write_protect = 0x10;
    d.media_type = 0x20;
    auto fancy = small_sector(0, 0, 7, {0xA1, 0xA2, 0xA3}, 3);
    fancy.size_code = 6;
    fancy.density = 0x40;
    fancy.deleted = 0x10;
    fancy.status = 0xB0;
    fancy.reserved = {9, 8, 7, 6, 5};
    if (left_out != 0)
        d.add_track(0, {fancy, small_sector(0, 0, 8, {}, 3), small_sector(0, 0, 9, {0x42}, 3)});
    if (left_out != 1)
        d.add_track(1, make_d88_track(0, 1, 1, 4, 1, 0x11));
    if (left_out != 77)
        d.add_track(77, {small_sector(0x26, 1, 0xFF, {0x77, 0x78})});
    return d;
}

d88_disk_builder bare_disk(const std::string& name)
{
    d88_disk_builder d;
    d.name = text_bytes(name);
    return d;
}

// Frees the data of every sector of a slot, leaving the array.
void drop_data(d88_track& track)
{
    for (int i = 0; i < track.sector_count; i++) {
        free(track.sectors[i].data);
        track.sectors[i].data = nullptr;
    }
}

struct written_case {
    const char* name;
    std::function<byte_vector()> source;    // read into the model
    std::function<void(d88_image&)> edit;   // changes the model first, or nothing
    std::function<byte_vector()> expected;  // what the writer must write
};

const written_case written_cases[] = {
    {"tracks already in slot order, back to back, three disks",
     [] {
         d88_disk_builder tall;
         tall.add_track(160, {small_sector(80, 0, 1, {1})});
         tall.add_track(163, {small_sector(81, 1, 1, {2})});
         return d88_file({canonical_disk().bytes(), bare_disk("EMPTY").bytes(), tall.bytes()});
     },
     nullptr,
     [] {
         d88_disk_builder tall;
         tall.add_track(160, {small_sector(80, 0, 1, {1})});
         tall.add_track(163, {small_sector(81, 1, 1, {2})});
         return d88_file({canonical_disk().bytes(), bare_disk("EMPTY").bytes(), tall.bytes()});
     }},
    {"a 672-byte header comes back as a 688-byte one, its data 16 bytes further",
     [] { return canonical_disk(672).bytes(); }, nullptr, [] { return canonical_disk().bytes(); }},
    {"a 672-byte disk without tracks becomes 688 bytes",
     [] {
         auto d = bare_disk("SHORT");
         d.header_size = 672;
         return d.bytes();
     },
     nullptr, [] { return bare_disk("SHORT").bytes(); }},
    {"tracks stored out of order, with gaps and trailing bytes, are packed in slot order",
     [] {
         d88_disk_builder d;
         d.append({0xEE, 0xEE});
         d.add_track(9, {small_sector(4, 1, 1, {0x91, 0x92}, 2), small_sector(4, 1, 2, {0x93}, 2)});
         d.append(byte_vector(5, 0xDD));
         d.add_track(2, {small_sector(1, 0, 1, {0x21})});
         d.append({0xCC});
         return d.bytes();
     },
     nullptr,
     [] {
         d88_disk_builder d;
         d.add_track(2, {small_sector(1, 0, 1, {0x21})});
         d.add_track(9, {small_sector(4, 1, 1, {0x91, 0x92}, 2), small_sector(4, 1, 2, {0x93}, 2)});
         return d.bytes();
     }},
    {"an empty track is absent and two slots of one offset are two copies",
     [] {
         d88_disk_builder d;
         d.track_offsets[0] = d.append(byte_vector(16, 0));
         d.track_offsets[4] = d.add_track(3, {small_sector(1, 1, 1, {0x31, 0x32})});
         return d.bytes();
     },
     nullptr,
     [] {
         d88_disk_builder d;
         d.add_track(3, {small_sector(1, 1, 1, {0x31, 0x32})});
         d.add_track(4, {small_sector(1, 1, 1, {0x31, 0x32})});
         return d.bytes();
     }},
    {"every sector header carries its slot's count, not its own field",
     [] {
         d88_disk_builder d;
         d.add_track(5, {small_sector(2, 1, 1, {1}, 2), small_sector(2, 1, 2, {2}, 0xFFFF)});
         return d.bytes();
     },
     nullptr,
     [] {
         d88_disk_builder d;
         d.add_track(5, {small_sector(2, 1, 1, {1}, 2), small_sector(2, 1, 2, {2}, 2)});
         return d.bytes();
     }},
    {"a stale disk_size and stale track offsets do not reach the file",
     [] { return canonical_disk().bytes(); },
     [](d88_image& image) {
         image.first_disk->disk_size = 5;
         for (int slot = 0; slot < 164; slot++)
             image.first_disk->track_offsets[slot] = 0x7FFF0000 + slot;
     },
     [] { return canonical_disk().bytes(); }},
    {"a disk whose sectors were all removed is its 688-byte header",
     [] { return canonical_disk().bytes(); },
     [](d88_image& image) {
         free_d88_disk(image.first_disk, 0);  // the disk reads as blank
     },
     [] { return bare_disk("").bytes(); }},
    {"a slot with sectors but a count of 0 or below is absent",
     [] { return canonical_disk().bytes(); },
     [](d88_image& image) {
         drop_data(image.first_disk->tracks[0]);
         image.first_disk->tracks[0].sector_count = 0;
         drop_data(image.first_disk->tracks[77]);
         image.first_disk->tracks[77].sector_count = -1;
     },
     [] {
         d88_disk_builder d = canonical_disk(688, 0);
         d.body.clear();
         d.track_offsets = {};
         d.add_track(1, make_d88_track(0, 1, 1, 4, 1, 0x11));
         return d.bytes();
     }},
    {"a slot with a count but no sector array is absent", [] { return canonical_disk().bytes(); },
     [](d88_image& image) {
         d88_track& track = image.first_disk->tracks[1];
         drop_data(track);
         free(track.sectors);
         track.sectors = nullptr;  // the count of 4 stays
     },
     [] { return canonical_disk(688, 1).bytes(); }},
    {"a negative data size is written as 0 bytes, missing data as zero bytes",
     [] {
         d88_disk_builder d;
         d.add_track(0, {small_sector(0, 0, 1, {1, 2}, 2), small_sector(0, 0, 2, {3, 4, 5}, 2)});
         return d.bytes();
     },
     [](d88_image& image) {
         d88_track& track = image.first_disk->tracks[0];
         drop_data(track);
         track.sectors[0].data_size = -2;
     },
     [] {
         d88_disk_builder d;
         d.add_track(0, {small_sector(0, 0, 1, {}, 2), small_sector(0, 0, 2, {0, 0, 0}, 2)});
         return d.bytes();
     }},
    {"disk_count 1 of a chain of two writes the first disk only",
     [] {
         return d88_file({bare_disk("A").bytes(), bare_disk("B").bytes()});
     },
     [](d88_image& image) { image.disk_count = 1; }, [] { return bare_disk("A").bytes(); }},
    {"disk_count 5 of a chain of two writes both",
     [] {
         return d88_file({bare_disk("A").bytes(), canonical_disk().bytes()});
     },
     [](d88_image& image) { image.disk_count = 5; },
     [] {
         return d88_file({bare_disk("A").bytes(), canonical_disk().bytes()});
     }},
};

class WriteImage : public testing::TestWithParam<written_case> {};

TEST_P(WriteImage, WritesExactlyTheExpectedBytes)
{
    SCOPED_TRACE(GetParam().name);
    held_image source;
    ASSERT_GE(read_image_bytes(&source.image, GetParam().source()).result, 1);
    if (GetParam().edit)
        GetParam().edit(source.image);
    std::string before = dump_d88_image(source.image);
    byte_vector expected = GetParam().expected();

    captured_write write = write_image_bytes(&source.image);
    EXPECT_EQ(write.result, 0);
    EXPECT_EQ(write.out, "");
    EXPECT_EQ(write.size, expected.size());
    EXPECT_EQ(get_d88_image_size(&source.image), static_cast<int32_t>(expected.size()));
    EXPECT_EQ(write.bytes, expected);
    EXPECT_EQ(dump_d88_image(source.image), before);  // the model is only read
}

INSTANTIATE_TEST_SUITE_P(Writer, WriteImage, testing::ValuesIn(written_cases));

// Read, write, read again: the same disks, slots, sectors and data; only
// the fields the writer recomputes may differ.
TEST(WriteImage, RoundTripsGiveTheSameModel)
{
    std::vector<byte_vector> sources;
    for (const written_case& c : written_cases) {
        if (!c.edit)
            sources.push_back(c.source());
    }
    for (size_t i = 0; i < sources.size(); i++) {
        SCOPED_TRACE(i);
        held_image first;
        held_image second;
        ASSERT_GE(read_image_bytes(&first.image, sources[i]).result, 1);
        captured_write write = write_image_bytes(&first.image);
        ASSERT_EQ(write.result, 0);
        captured_read again = read_image_bytes(&second.image, write.bytes);
        EXPECT_EQ(again.result, first.image.disk_count);
        EXPECT_EQ(again.out, "");
        // Written once more, the bytes stay the same.
        EXPECT_EQ(write_image_bytes(&second.image).bytes, write.bytes);
        EXPECT_EQ(dump_written_fields(second.image), dump_written_fields(first.image));
    }
}

// A disk of size bytes, written into a buffer of size + 8 bytes of 0xCC
// with the space given; *end starts at a sentinel.
struct space_case {
    const char* name;
    int32_t space_delta;  // space - size
    int result;
    std::string out;  // %d: space, then size
};

const space_case space_cases[] = {
    {"exactly the size", 0, 0, ""},
    {"eight bytes more", 8, 0, ""},
    {"one byte short", -1, -1, "write d88 disk: buffer size error: %d < %d\n"},
    {"far too short", -100, -1, "write d88 disk: buffer size error: %d < %d\n"},
};

TEST(WriteDisk, ChecksTheSpaceBeforeWritingAnything)
{
    byte_vector expected = canonical_disk().bytes();
    held_image source;
    ASSERT_EQ(read_image_bytes(&source.image, expected).result, 1);
    const int32_t size = static_cast<int32_t>(expected.size());
    ASSERT_EQ(get_d88_disk_size(source.image.first_disk), size);
    for (const space_case& c : space_cases) {
        SCOPED_TRACE(c.name);
        byte_vector buffer(expected.size() + 8, 0xCC);
        uint8_t sentinel = 0;
        uint8_t* end = &sentinel;
        int result = 0;
        std::string out = capture_stdout([&] {
            result = write_d88_disk_to_buffer(source.image.first_disk, buffer.data(), &end,
                                              size + c.space_delta);
        });
        EXPECT_EQ(result, c.result);
        char line[128];
        snprintf(line, sizeof line, c.out.c_str(), size + c.space_delta, size);
        EXPECT_EQ(out, c.out.empty() ? "" : line);
        byte_vector written = expected;
        written.resize(expected.size() + 8, 0xCC);
        if (c.result == 0) {
            EXPECT_EQ(buffer, written);
            EXPECT_EQ(end, buffer.data() + size);
        } else {
            EXPECT_EQ(buffer, byte_vector(expected.size() + 8, 0xCC));
            EXPECT_EQ(end, &sentinel);
        }
    }
}

// Slot 0 of a hand-made disk holds count sectors of 32767 bytes without
// data; their sizes alone decide whether the disk fits the format.
struct large_disk {
    std::vector<d88_sector> sectors;
    d88_disk disk = {};
    explicit large_disk(int32_t count) : sectors(static_cast<size_t>(count))
    {
        for (d88_sector& sector : sectors)
            sector.data_size = 32767;
        disk.tracks[0].sector_count = count;
        disk.tracks[0].sectors = sectors.data();
    }
};

TEST(WriteSizes, RefuseSizesBeyondSigned32Bits)
{
    // 688 + 65505 * 32783 = 0x7FFF80DF fits; 65506 sectors do not.
    large_disk fits(65505);
    large_disk beyond(65506);
    EXPECT_EQ(get_d88_disk_size(&fits.disk), 2147451103);
    EXPECT_EQ(get_d88_disk_size(&beyond.disk), -1);
    EXPECT_EQ(get_d88_disk_size(nullptr), -1);
    EXPECT_EQ(get_d88_image_size(nullptr), -1);

    // Two halves that fit one by one but not together.
    large_disk first(32768);
    large_disk second(32768);
    first.disk.next = &second.disk;
    d88_image pair = {2, &first.disk};
    EXPECT_EQ(get_d88_disk_size(&first.disk), 1074234032);
    EXPECT_EQ(get_d88_image_size(&pair), -1);
    pair.disk_count = 1;
    EXPECT_EQ(get_d88_image_size(&pair), 1074234032);

    uint8_t byte = 0xCC;
    uint8_t* end = nullptr;
    std::string out = capture_stdout(
        [&] { EXPECT_EQ(write_d88_disk_to_buffer(&beyond.disk, &byte, &end, INT32_MAX), -1); });
    EXPECT_EQ(out, "write d88 disk: buffer size error: 2147483647 < -1\n");
    EXPECT_EQ(byte, 0xCC);
    EXPECT_EQ(end, nullptr);

    pair.disk_count = 2;
    captured_write write = write_image_bytes(&pair);
    EXPECT_EQ(write.result, -1);
    EXPECT_EQ(write.out, "memory exhaust!\n");
    EXPECT_TRUE(write.buffer_null);
    EXPECT_EQ(write.size, 0u);
}

TEST(WriteImage, AnImageWithoutDisksIsZeroBytesWithoutABuffer)
{
    d88_disk lone = {};
    const d88_image images[] = {{0, nullptr}, {0, &lone}, {-1, &lone}, {3, nullptr}};
    for (const d88_image& image : images) {
        captured_write write = write_image_bytes(&image);
        EXPECT_EQ(write.result, 0);
        EXPECT_EQ(write.out, "");
        EXPECT_EQ(write.size, 0u);
        EXPECT_TRUE(write.buffer_null);
        EXPECT_EQ(get_d88_image_size(&image), 0);
    }
}

struct refused_write {
    const char* name;
    std::function<int()> call;
    std::string out;
};

d88_image some_image = {0, nullptr};
d88_disk some_disk = {};
uint8_t* some_buffer = nullptr;
uint32_t some_size = 0;
uint8_t some_bytes[688];
uint8_t* some_end = nullptr;

const refused_write refused_writes[] = {
    {"image: no image", [] { return write_d88_image_to_buffer(nullptr, &some_buffer, &some_size); },
     "write_d88_image_to_buffer: illegal parameter\n"},
    {"image: no buffer out-parameter",
     [] { return write_d88_image_to_buffer(&some_image, nullptr, &some_size); },
     "write_d88_image_to_buffer: illegal parameter\n"},
    {"image: no size out-parameter",
     [] { return write_d88_image_to_buffer(&some_image, &some_buffer, nullptr); },
     "write_d88_image_to_buffer: illegal parameter\n"},
    {"disk: no disk", [] { return write_d88_disk_to_buffer(nullptr, some_bytes, &some_end, 688); },
     "write_d88_disk_to_buffer: illegal parameter\n"},
    {"disk: no output",
     [] { return write_d88_disk_to_buffer(&some_disk, nullptr, &some_end, 688); },
     "write_d88_disk_to_buffer: illegal parameter\n"},
    {"disk: no end out-parameter",
     [] { return write_d88_disk_to_buffer(&some_disk, some_bytes, nullptr, 688); },
     "write_d88_disk_to_buffer: illegal parameter\n"},
    {"disk: negative space",
     [] { return write_d88_disk_to_buffer(&some_disk, some_bytes, &some_end, -1); },
     "write d88 disk: buffer size error: -1 < 688\n"},
};

TEST(WriteRefusals, PrintTheirLineAndWriteNothing)
{
    for (const refused_write& c : refused_writes) {
        SCOPED_TRACE(c.name);
        memset(some_bytes, 0xCC, sizeof some_bytes);
        some_end = nullptr;
        int result = 0;
        std::string out = capture_stdout([&] { result = c.call(); });
        EXPECT_EQ(result, -1);
        EXPECT_EQ(out, c.out);
        EXPECT_EQ(byte_vector(some_bytes, some_bytes + 688), byte_vector(688, 0xCC));
        EXPECT_EQ(some_end, nullptr);
    }
}

struct le_case {
    uint32_t value;
    byte_vector le16;
    byte_vector le32;
};

// clang-format off
const le_case le_cases[] = {
    // value        le16            le32
    {0x00000000,    {0x00, 0x00},   {0x00, 0x00, 0x00, 0x00}},
    {0x12345678,    {0x78, 0x56},   {0x78, 0x56, 0x34, 0x12}},
    {0x0000FFFF,    {0xFF, 0xFF},   {0xFF, 0xFF, 0x00, 0x00}},
    {0x00010000,    {0x00, 0x00},   {0x00, 0x00, 0x01, 0x00}},
    {0xFFFFFFFF,    {0xFF, 0xFF},   {0xFF, 0xFF, 0xFF, 0xFF}},
    {0x80000001,    {0x01, 0x00},   {0x01, 0x00, 0x00, 0x80}},
};
// clang-format on

TEST(WriteLittleEndian, StoresLowByteFirstAtAnyAlignment)
{
    for (const le_case& c : le_cases) {
        SCOPED_TRACE(c.value);
        for (size_t at = 0; at < 4; at++) {
            byte_vector bytes(12, 0xCC);
            uint8_t* behind = d88::write_le16(bytes.data() + at, c.value);
            EXPECT_EQ(behind, bytes.data() + at + 2);
            behind = d88::write_le32(behind, c.value);
            EXPECT_EQ(behind, bytes.data() + at + 6);
            byte_vector expected(12, 0xCC);
            std::copy(c.le16.begin(), c.le16.end(), expected.begin() + static_cast<long>(at));
            std::copy(c.le32.begin(), c.le32.end(), expected.begin() + static_cast<long>(at) + 2);
            EXPECT_EQ(bytes, expected);
            EXPECT_EQ(d88::read_le32(bytes.data() + at + 2), c.value);
        }
    }
}

}  // namespace
