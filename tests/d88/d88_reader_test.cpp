// The buffer readers: each check with the whole cascade of lines it
// prints, and the images they accept, compared as a dump of the model.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>
#include <stdexcept>

#include "capture_stdout.h"
#include "d88_test_helpers.h"

namespace {

byte_vector text_bytes(const std::string& text)
{
    return byte_vector(text.begin(), text.end());
}

// "DISK" with one track in slot 0: one sector 00/00/01 of four bytes.
// Header 688 (0x2B0), sector 0x2B0-0x2C3, disk size 708 (0x2C4).
d88_disk_builder one_track_disk(const std::string& name = "DISK")
{
    d88_disk_builder disk;
    disk.name = text_bytes(name);
    disk.add_track(0, {small_sector(0, 0, 1, {1, 2, 3, 4})});
    return disk;
}

const char one_track_dump[] =
    "disk name 4449534B00000000000000000000000000 reserved 000000000000000000"
    " protect 00 media 00 size 708\n"
    "  slot 0 offset 688 sectors 1\n"
    "    00/00/01 N01 count 1 density 00 deleted 00 status 00 reserved 0000000000"
    " size 4 data 01020304\n";

struct failing_read {
    const char* name;
    std::function<byte_vector()> build;
    std::string out;
};

// Disk 1 named DISK fails; every case prints its cascade up to the image
// reader's "read disk" line and leaves the image empty.
const failing_read failing_reads[] = {
    {"disk size below 672",
     [] {
         auto d = one_track_disk();
         d.disk_size = 671;
         return d.bytes();
     },
     "illegal data: [DISK] disk size = 0x0000029F\nread disk 1 error\n"},
    {"disk size beyond the buffer",
     [] {
         auto d = one_track_disk();
         d.disk_size = 709;
         return d.bytes();
     },
     "illegal data: [DISK] disk size = 0x000002C5\nread disk 1 error\n"},
    {"disk size negative as a signed value",
     [] {
         auto d = one_track_disk();
         d.disk_size = 0x80000000u;
         return d.bytes();
     },
     "illegal data: [DISK] disk size = 0x80000000\nread disk 1 error\n"},
    {"disk size is checked before the write-protect flag",
     [] {
         auto d = one_track_disk();
         d.disk_size = 0;
         d.write_protect = 0x01;
         return d.bytes();
     },
     "illegal data: [DISK] disk size = 0x00000000\nread disk 1 error\n"},
    {"write-protect flag",
     [] {
         auto d = one_track_disk();
         d.write_protect = 0x01;
         d.media_type = 0x30;
         return d.bytes();
     },
     "illegal data: [DISK] write protect flag = 0x01\nread disk 1 error\n"},
    {"media type",
     [] {
         auto d = one_track_disk();
         d.media_type = 0x30;
         d.track_offsets[3] = 5;
         return d.bytes();
     },
     "illegal data: [DISK] disk type = 0x30\nread disk 1 error\n"},
    {"offset 671",
     [] {
         auto d = one_track_disk();
         d.track_offsets[5] = 671;
         return d.bytes();
     },
     "illegal data: [DISK] track 5 offset = 0x0000029F\nread disk 1 error\n"},
    {"offset 673, the first offset wins",
     [] {
         auto d = one_track_disk();
         d.track_offsets[1] = 673;
         d.track_offsets[2] = 1;
         return d.bytes();
     },
     "illegal data: [DISK] track 1 offset = 0x000002A1\nread disk 1 error\n"},
    {"offset 687 in slot 159",
     [] {
         auto d = one_track_disk();
         d.track_offsets[159] = 687;
         return d.bytes();
     },
     "illegal data: [DISK] track 159 offset = 0x000002AF\nread disk 1 error\n"},
    {"offset equal to the disk size",
     [] {
         auto d = one_track_disk();
         d.track_offsets[2] = 708;
         return d.bytes();
     },
     "illegal data: [DISK] track 2 offset = 0x000002C4\nread disk 1 error\n"},
    {"offset negative as a signed value",
     [] {
         auto d = one_track_disk();
         d.track_offsets[3] = 0xFFFFFFFFu;
         return d.bytes();
     },
     "illegal data: [DISK] track 3 offset = 0xFFFFFFFF\nread disk 1 error\n"},
    {"slots 0-159 are checked before slots 160-163",
     [] {
         auto d = one_track_disk();
         d.track_offsets[161] = 700;
         d.track_offsets[100] = 900;
         return d.bytes();
     },
     "illegal data: [DISK] track 100 offset = 0x00000384\nread disk 1 error\n"},
    {"672 in slot 160 does not mark a short header",
     [] {
         auto d = one_track_disk();
         d.track_offsets[160] = 672;
         return d.bytes();
     },
     "illegal data: [DISK] track 160 offset = 0x000002A0\nread disk 1 error\n"},
    {"slot 163 beyond the disk",
     [] {
         auto d = one_track_disk();
         d.track_offsets[163] = 0x10000;
         return d.bytes();
     },
     "illegal data: [DISK] track 163 offset = 0x00010000\nread disk 1 error\n"},
    {"a 672-byte disk that is not the last reads slots 160-163 from the next disk",
     [] {
         d88_disk_builder first;
         first.name = text_bytes("A");
         first.header_size = 672;
         return d88_file({first.bytes(), one_track_disk("B").bytes()});
     },
     "illegal data: [A] track 160 offset = 0x00000042\nread disk 1 error\n"},
    {"exactly 672 trailing bytes are read as a disk",
     [] {
         return d88_file({one_track_disk().bytes(), byte_vector(672, 0)});
     },
     "illegal data: [] disk size = 0x00000000\nread disk 2 error\n"},
    {"688 trailing bytes are read as a disk",
     [] {
         return d88_file({one_track_disk().bytes(), byte_vector(688, 0x20)});
     },
     "illegal data: [                 ] disk size = 0x20202020\nread disk 2 error\n"},
    {"a name of 17 bytes without NUL is printed whole and no further",
     [] {
         auto d = one_track_disk("ABCDEFGHIJKLMNOPQ");
         d.reserved = text_bytes("RSTUVWXYZ");
         d.write_protect = 0x20;
         return d.bytes();
     },
     "illegal data: [ABCDEFGHIJKLMNOPQ] write protect flag = 0x20\nread disk 1 error\n"},
    {"a name is printed up to its first NUL",
     [] {
         auto d = one_track_disk(std::string("AB\0CD", 5));
         d.media_type = 0xFF;
         return d.bytes();
     },
     "illegal data: [AB] disk type = 0xFF\nread disk 1 error\n"},
    {"sector count 0 next to a non-zero byte",
     [] {
         d88_disk_builder d;
         d.name = text_bytes("DISK");
         d.add_track(0, {small_sector(0, 0, 1, {1, 2, 3, 4}, 0)});
         return d.bytes();
     },
     "illegal data: # of sectors = 0\nread track 0 error [DISK]\nread disk 1 error\n"},
    {"sector data running past the end of the disk",
     [] {
         d88_disk_builder d;
         d.name = text_bytes("DISK");
         auto sector = small_sector(0, 0, 1, {1, 2, 3, 4});
         sector.size_field = 5;
         d.add_track(0, {sector});
         return d.bytes();
     },
     "data error: data size(0x000002C4) < offset(0x000002B0) + 0x10 + sector size(0x0005)\n"
     "read sector 0 error\nread track 0 error [DISK]\nread disk 1 error\n"},
    {"sector data running into the next track stored before it",
     [] {
         d88_disk_builder d;
         d.name = text_bytes("DISK");
         auto sector = small_sector(0, 1, 1, {1, 2, 3, 4});
         sector.size_field = 8;
         d.add_track(1, {sector});  // 0x2B0-0x2C3, its extent ends at slot 0
         d.add_track(0, {small_sector(0, 0, 1, {5, 6, 7, 8})});
         return d.bytes();
     },
     "data error: data size(0x000002C4) < offset(0x000002B0) + 0x10 + sector size(0x0008)\n"
     "read sector 0 error\nread track 1 error [DISK]\nread disk 1 error\n"},
    {"a second sector header that does not fit",
     [] {
         d88_disk_builder d;
         d.name = text_bytes("DISK");
         d.add_track(2, {small_sector(0, 0, 1, {1, 2, 3, 4}, 2)});
         d.append(byte_vector(8, 0));
         return d.bytes();
     },
     "data error: data size(0x000002CC) < offset(0x000002C4)\n"
     "read sector 1 error\nread track 2 error [DISK]\nread disk 1 error\n"},
    {"a sector count beyond the sectors that end at the extent",
     [] {
         d88_disk_builder d;
         d.name = text_bytes("DISK");
         d.add_track(0, {small_sector(0, 0, 1, {1, 2, 3, 4}, 2)});
         return d.bytes();
     },
     "read_d88_sector_from_buffer: illegal parameter\n"
     "read sector 1 error\nread track 0 error [DISK]\nread disk 1 error\n"},
    {"data size field 0x8000",
     [] {
         d88_disk_builder d;
         d.name = text_bytes("DISK");
         auto sector = small_sector(0, 0, 1, {1, 2, 3, 4});
         sector.size_field = 0x8000;
         d.add_track(0, {sector});
         return d.bytes();
     },
     "memory exhaust!\nread sector 0 error\nread track 0 error [DISK]\nread disk 1 error\n"},
    {"data size field 0xFFFF in a second sector",
     [] {
         d88_disk_builder d;
         d.name = text_bytes("DISK");
         auto sector = small_sector(0, 0, 2, {});
         sector.size_field = 0xFFFF;
         d.add_track(0, {small_sector(0, 0, 1, {9}, 2), sector});
         return d.bytes();
     },
     "memory exhaust!\nread sector 1 error\nread track 0 error [DISK]\nread disk 1 error\n"},
    {"an 8-byte extent with one non-zero byte outside the count field",
     [] {
         d88_disk_builder d;
         d.name = text_bytes("DISK");
         d.track_offsets[0] = d.append({0, 0, 0, 0, 0, 0, 0, 1});
         d.add_track(1, {small_sector(0, 1, 1, {1})});
         return d.bytes();
     },
     "illegal data: # of sectors = 0\nread track 0 error [DISK]\nread disk 1 error\n"},
    {"an 8-byte extent whose count field says one sector",
     [] {
         d88_disk_builder d;
         d.name = text_bytes("DISK");
         d.track_offsets[0] = d.append({0, 0, 0, 0, 1, 0, 0, 0});
         d.add_track(1, {small_sector(0, 1, 1, {1})});
         return d.bytes();
     },
     "data error: data size(0x000002B8) < offset(0x000002B0)\n"
     "read sector 0 error\nread track 0 error [DISK]\nread disk 1 error\n"},
    {"a 5-byte last extent cuts the count field: its one byte is not a count",
     [] {
         auto d = one_track_disk();
         d.track_offsets[1] = d.append({0, 0, 0, 0, 3});
         return d.bytes();
     },
     "illegal data: # of sectors = 0\nread track 1 error [DISK]\nread disk 1 error\n"},
    {"16 bytes with only byte 15 non-zero",
     [] {
         auto d = one_track_disk();
         byte_vector bytes(16, 0);
         bytes[15] = 0x01;
         d.track_offsets[1] = d.append(bytes);
         return d.bytes();
     },
     "illegal data: # of sectors = 0\nread track 1 error [DISK]\nread disk 1 error\n"},
    {"16 bytes with only byte 10 non-zero, the track stored first",
     [] {
         d88_disk_builder d;
         d.name = text_bytes("DISK");
         byte_vector bytes(16, 0);
         bytes[10] = 0x80;
         d.track_offsets[7] = d.append(bytes);
         d.add_track(0, {small_sector(0, 0, 1, {1})});
         return d.bytes();
     },
     "illegal data: # of sectors = 0\nread track 7 error [DISK]\nread disk 1 error\n"},
    {"an offset of 672 in a disk of size 672",
     [] {
         d88_disk_builder d;
         d.name = text_bytes("S");
         d.header_size = 672;
         d.track_offsets[0] = 672;
         return d.bytes();
     },
     "illegal data: [S] track 0 offset = 0x000002A0\nread disk 1 error\n"},
    {"two damaged tracks: the first slot fails, though stored last",
     [] {
         d88_disk_builder d;
         d.name = text_bytes("DISK");
         auto bad = small_sector(0, 1, 1, {1, 2});
         bad.size_field = 3;
         d.add_track(5, {bad});  // 0x2B0-0x2C1, extent up to slot 2's track
         d.add_track(2, {small_sector(0, 0, 1, {3, 4}, 0)});
         return d.bytes();
     },
     "illegal data: # of sectors = 0\nread track 2 error [DISK]\nread disk 1 error\n"},
    {"a name of 17 bytes without NUL in the disk size line",
     [] {
         auto d = one_track_disk("ABCDEFGHIJKLMNOPQ");
         d.reserved = text_bytes("RSTUVWXYZ");
         d.disk_size = 0x10000;
         return d.bytes();
     },
     "illegal data: [ABCDEFGHIJKLMNOPQ] disk size = 0x00010000\nread disk 1 error\n"},
    {"a name of 17 bytes without NUL in the disk type line",
     [] {
         auto d = one_track_disk("ABCDEFGHIJKLMNOPQ");
         d.reserved = text_bytes("RSTUVWXYZ");
         d.write_protect = 0x10;
         d.media_type = 0x01;
         return d.bytes();
     },
     "illegal data: [ABCDEFGHIJKLMNOPQ] disk type = 0x01\nread disk 1 error\n"},
    {"a name of 17 bytes without NUL in the track offset line",
     [] {
         auto d = one_track_disk("ABCDEFGHIJKLMNOPQ");
         d.reserved = text_bytes("RSTUVWXYZ");
         d.track_offsets[9] = 0x2A1;
         return d.bytes();
     },
     "illegal data: [ABCDEFGHIJKLMNOPQ] track 9 offset = 0x000002A1\nread disk 1 error\n"},
    {"a name of 17 bytes without NUL in the read track line",
     [] {
         d88_disk_builder d;
         d.name = text_bytes("ABCDEFGHIJKLMNOPQ");
         d.reserved = text_bytes("RSTUVWXYZ");
         d.add_track(3, {small_sector(1, 1, 1, {1}, 0)});
         return d.bytes();
     },
     "illegal data: # of sectors = 0\nread track 3 error [ABCDEFGHIJKLMNOPQ]\n"
     "read disk 1 error\n"},
};

class ReadImageFailure : public testing::TestWithParam<failing_read> {};

TEST_P(ReadImageFailure, PrintsTheCascadeAndLeavesTheImageEmpty)
{
    SCOPED_TRACE(GetParam().name);
    d88_image image = {0, nullptr};
    captured_read read = read_image_bytes(&image, GetParam().build());
    EXPECT_EQ(read.result, -1);
    EXPECT_EQ(read.out, GetParam().out);
    EXPECT_EQ(image.disk_count, 0);
    EXPECT_EQ(image.first_disk, nullptr);
}

INSTANTIATE_TEST_SUITE_P(Reader, ReadImageFailure, testing::ValuesIn(failing_reads));

TEST(ReadImageFailure, ALaterDiskFailsTheWholeReadAndEarlierDisksAreReleased)
{
    auto bad = one_track_disk("C");
    bad.write_protect = 0x11;
    d88_image image = {0, nullptr};
    captured_read read = read_image_bytes(
        &image, d88_file({one_track_disk("A").bytes(), one_track_disk("B").bytes(), bad.bytes()}));
    EXPECT_EQ(read.result, -1);
    EXPECT_EQ(read.out, "illegal data: [C] write protect flag = 0x11\nread disk 3 error\n");
    EXPECT_EQ(dump_d88_image(image), "image of 0 disks\n");
}

struct accepted_read {
    const char* name;
    std::function<byte_vector()> build;
    int result;
    std::string out;
    std::string dump;
};

const char garbage_line[] = "data size too short ... garbage? ... ignored\n";

const accepted_read accepted_reads[] = {
    {"one disk", [] { return one_track_disk().bytes(); }, 1, "",
     std::string("image of 1 disks\n") + one_track_dump},
    {"672 bytes with disk size 672 and no tracks",
     [] {
         d88_disk_builder d;
         d.header_size = 672;
         return d.bytes();
     },
     1, "",
     "image of 1 disks\n"
     "disk name 0000000000000000000000000000000000 reserved 000000000000000000"
     " protect 00 media 00 size 672\n"},
    {"100 bytes", [] { return byte_vector(100, 0x41); }, 0, garbage_line, "image of 0 disks\n"},
    {"673 bytes", [] { return byte_vector(673, 0); }, 0, garbage_line, "image of 0 disks\n"},
    {"687 bytes", [] { return byte_vector(687, 0); }, 0, garbage_line, "image of 0 disks\n"},
    {"a disk and 671 trailing bytes",
     [] {
         return d88_file({one_track_disk().bytes(), byte_vector(671, 0xFF)});
     },
     1, garbage_line, std::string("image of 1 disks\n") + one_track_dump},
    {"protected 2DD and 2HD disks, the second with a nameless 672-byte header",
     [] {
         auto first = one_track_disk();
         first.write_protect = 0x10;
         first.media_type = 0x10;
         d88_disk_builder second;
         second.header_size = 672;
         second.media_type = 0x20;
         second.reserved = {9, 8, 7, 6, 5, 4, 3, 2, 1};
         return d88_file({first.bytes(), second.bytes()});
     },
     2, "",
     "image of 2 disks\n"
     "disk name 4449534B00000000000000000000000000 reserved 000000000000000000"
     " protect 10 media 10 size 708\n"
     "  slot 0 offset 688 sectors 1\n"
     "    00/00/01 N01 count 1 density 00 deleted 00 status 00 reserved 0000000000"
     " size 4 data 01020304\n"
     "disk name 0000000000000000000000000000000000 reserved 090807060504030201"
     " protect 00 media 20 size 672\n"},
    {"a 672-byte disk before a disk whose first 16 bytes are zero",
     [] {
         d88_disk_builder first;
         first.name = text_bytes("A");
         first.header_size = 672;
         d88_disk_builder second;
         second.reserved = {1};
         return d88_file({first.bytes(), second.bytes()});
     },
     2, "",
     "image of 2 disks\n"
     "disk name 4100000000000000000000000000000000 reserved 000000000000000000"
     " protect 00 media 00 size 672\n"
     "disk name 0000000000000000000000000000000000 reserved 010000000000000000"
     " protect 00 media 00 size 688\n"},
    {"a track at 672 makes entries 160-163 track data",
     [] {
         d88_disk_builder d;
         d.header_size = 672;
         auto sector = small_sector(0x01, 0x00, 0x01, {0xAB});
         sector.density = 0x40;  // entries 160 and 161 would read 0x01010001, 0x00400001
         d.add_track(7, {sector});
         return d.bytes();
     },
     1, "",
     "image of 1 disks\n"
     "disk name 0000000000000000000000000000000000 reserved 000000000000000000"
     " protect 00 media 00 size 689\n"
     "  slot 7 offset 672 sectors 1\n"
     "    01/00/01 N01 count 1 density 40 deleted 00 status 00 reserved 0000000000"
     " size 1 data AB\n"},
    {"offset 688 and tracks in slots 160 and 163",
     [] {
         d88_disk_builder d;
         d.add_track(160, {small_sector(80, 0, 1, {1})});
         d.add_track(163, {small_sector(81, 1, 1, {2})});
         return d.bytes();
     },
     1, "",
     "image of 1 disks\n"
     "disk name 0000000000000000000000000000000000 reserved 000000000000000000"
     " protect 00 media 00 size 722\n"
     "  slot 160 offset 688 sectors 1\n"
     "    50/00/01 N01 count 1 density 00 deleted 00 status 00 reserved 0000000000"
     " size 1 data 01\n"
     "  slot 163 offset 705 sectors 1\n"
     "    51/01/01 N01 count 1 density 00 deleted 00 status 00 reserved 0000000000"
     " size 1 data 02\n"},
    {"an empty track, a zero-sized sector, a gap, shared offsets and ignored trailing bytes",
     [] {
         d88_disk_builder d;
         d.track_offsets[3] = d.append(byte_vector(16, 0));
         auto empty = small_sector(2, 0, 1, {}, 2);
         d.add_track(4, {empty, small_sector(2, 0, 2, {0xAA}, 2)});
         d.append({0xFF, 0xFF, 0xFF});
         d.track_offsets[6] = d.add_track(5, {small_sector(2, 1, 1, {0xBB})});
         d.append({0xEE, 0xEE});
         return d.bytes();
     },
     1, "",
     "image of 1 disks\n"
     "disk name 0000000000000000000000000000000000 reserved 000000000000000000"
     " protect 00 media 00 size 759\n"
     "  slot 3 offset 688 sectors 0 none\n"
     "  slot 4 offset 704 sectors 2\n"
     "    02/00/01 N01 count 2 density 00 deleted 00 status 00 reserved 0000000000"
     " size 0 data none\n"
     "    02/00/02 N01 count 2 density 00 deleted 00 status 00 reserved 0000000000"
     " size 1 data AA\n"
     "  slot 5 offset 740 sectors 1\n"
     "    02/01/01 N01 count 1 density 00 deleted 00 status 00 reserved 0000000000"
     " size 1 data BB\n"
     "  slot 6 offset 740 sectors 1\n"
     "    02/01/01 N01 count 1 density 00 deleted 00 status 00 reserved 0000000000"
     " size 1 data BB\n"},
    {"an 8-byte zero extent before a track is an empty track",
     [] {
         d88_disk_builder d;
         d.track_offsets[0] = d.append(byte_vector(8, 0));
         d.add_track(1, {small_sector(0, 1, 1, {0xC1})});
         return d.bytes();
     },
     1, "",
     "image of 1 disks\n"
     "disk name 0000000000000000000000000000000000 reserved 000000000000000000"
     " protect 00 media 00 size 713\n"
     "  slot 0 offset 688 sectors 0 none\n"
     "  slot 1 offset 696 sectors 1\n"
     "    00/01/01 N01 count 1 density 00 deleted 00 status 00 reserved 0000000000"
     " size 1 data C1\n"},
    {"six zero bytes at the very end of the buffer are an empty track",
     [] {
         auto d = one_track_disk();
         d.track_offsets[1] = d.append(byte_vector(6, 0));
         return d.bytes();
     },
     1, "",
     "image of 1 disks\n"
     "disk name 4449534B00000000000000000000000000 reserved 000000000000000000"
     " protect 00 media 00 size 714\n"
     "  slot 0 offset 688 sectors 1\n"
     "    00/00/01 N01 count 1 density 00 deleted 00 status 00 reserved 0000000000"
     " size 4 data 01020304\n"
     "  slot 1 offset 708 sectors 0 none\n"},
    {"a zero-data sector ending exactly at the extent end",
     [] {
         d88_disk_builder d;
         d.add_track(0, {small_sector(0, 0, 1, {0x11}, 2), small_sector(0, 0, 2, {}, 2)});
         return d.bytes();
     },
     1, "",
     "image of 1 disks\n"
     "disk name 0000000000000000000000000000000000 reserved 000000000000000000"
     " protect 00 media 00 size 721\n"
     "  slot 0 offset 688 sectors 2\n"
     "    00/00/01 N01 count 2 density 00 deleted 00 status 00 reserved 0000000000"
     " size 1 data 11\n"
     "    00/00/02 N01 count 2 density 00 deleted 00 status 00 reserved 0000000000"
     " size 0 data none\n"},
    {"every sector field is stored as read",
     [] {
         d88_disk_builder d;
         d.name = text_bytes("0123456789ABCDEFG");
         d.reserved = {0x80, 0x81, 0x82, 0x83, 0x84, 0x85, 0x86, 0x87, 0x88};
         auto first = small_sector(0xFE, 0xFD, 0xFC, {0x10, 0x20, 0x30}, 2);
         first.size_code = 7;
         first.density = 0x40;
         first.deleted = 0x10;
         first.status = 0xA0;
         first.reserved = {1, 2, 3, 4, 5};
         auto second = small_sector(0x00, 0x00, 0x00, {0x40}, 0xFFFF);
         d.track_offsets[1] = d.add_track(0, {first, second});
         return d.bytes();
     },
     1, "",
     "image of 1 disks\n"
     "disk name 3031323334353637383941424344454647 reserved 808182838485868788"
     " protect 00 media 00 size 724\n"
     "  slot 0 offset 688 sectors 2\n"
     "    FE/FD/FC N07 count 2 density 40 deleted 10 status A0 reserved 0102030405"
     " size 3 data 102030\n"
     "    00/00/00 N01 count 65535 density 00 deleted 00 status 00 reserved 0000000000"
     " size 1 data 40\n"
     "  slot 1 offset 688 sectors 2\n"
     "    FE/FD/FC N07 count 2 density 40 deleted 10 status A0 reserved 0102030405"
     " size 3 data 102030\n"
     "    00/00/00 N01 count 65535 density 00 deleted 00 status 00 reserved 0000000000"
     " size 1 data 40\n"},
};

class ReadImageAccepts : public testing::TestWithParam<accepted_read> {};

TEST_P(ReadImageAccepts, BuildsTheModel)
{
    SCOPED_TRACE(GetParam().name);
    d88_image image = {0, nullptr};
    captured_read read = read_image_bytes(&image, GetParam().build());
    EXPECT_EQ(read.result, GetParam().result);
    EXPECT_EQ(read.out, GetParam().out);
    EXPECT_EQ(dump_d88_image(image), GetParam().dump);
    free_d88_image(&image, 0);
}

INSTANTIATE_TEST_SUITE_P(Reader, ReadImageAccepts, testing::ValuesIn(accepted_reads));

// Entry points called on their own with arguments they refuse. The
// buffers are exactly as long as said, so a read past them is caught.
struct refused_call {
    const char* name;
    std::function<int()> call;
    std::string out;
};

const uint8_t* exact_zeros(size_t count)
{
    static std::vector<std::unique_ptr<uint8_t[]>> kept;
    kept.emplace_back(new uint8_t[count]());
    return kept.back().get();
}

d88_image image_record;
d88_disk disk_record;
d88_track track_record;
d88_sector sector_record;

const refused_call refused_calls[] = {
    {"image: no record", [] { return read_d88_image_from_buffer(nullptr, exact_zeros(688), 688); },
     "read_d88_image_from_buffer: illegal parameter\n"},
    {"image: no buffer", [] { return read_d88_image_from_buffer(&image_record, nullptr, 688); },
     "read_d88_image_from_buffer: illegal parameter\n"},
    {"image: length 0", [] { return read_d88_image_from_buffer(&image_record, exact_zeros(1), 0); },
     "read_d88_image_from_buffer: illegal parameter\n"},
    {"image: negative length",
     [] { return read_d88_image_from_buffer(&image_record, exact_zeros(1), -1); },
     "read_d88_image_from_buffer: illegal parameter\n"},
    {"disk: no record", [] { return read_d88_disk_from_buffer(nullptr, exact_zeros(688), 688); },
     "read_d88_disk_from_buffer: illegal parameter\n"},
    {"disk: no start", [] { return read_d88_disk_from_buffer(&disk_record, nullptr, 688); },
     "read_d88_disk_from_buffer: illegal parameter\n"},
    {"disk: no bytes", [] { return read_d88_disk_from_buffer(&disk_record, exact_zeros(1), 0); },
     "read_d88_disk_from_buffer: illegal parameter\n"},
    {"disk: fewer bytes than a header",
     [] { return read_d88_disk_from_buffer(&disk_record, exact_zeros(100), 100); },
     "read_d88_disk_from_buffer: illegal parameter\n"},
    {"disk: 673 bytes",
     [] { return read_d88_disk_from_buffer(&disk_record, exact_zeros(673), 673); },
     "read_d88_disk_from_buffer: illegal parameter\n"},
    {"disk: 687 bytes",
     [] { return read_d88_disk_from_buffer(&disk_record, exact_zeros(687), 687); },
     "read_d88_disk_from_buffer: illegal parameter\n"},
    {"track: no slot",
     [] { return read_d88_track_from_buffer(nullptr, exact_zeros(720), 688, 720); },
     "read_d88_track_from_buffer: illegal parameter\n"},
    {"track: no start", [] { return read_d88_track_from_buffer(&track_record, nullptr, 688, 720); },
     "read_d88_track_from_buffer: illegal parameter\n"},
    {"track: offset 0",
     [] { return read_d88_track_from_buffer(&track_record, exact_zeros(720), 0, 720); },
     "read_d88_track_from_buffer: illegal parameter\n"},
    {"track: end 0",
     [] { return read_d88_track_from_buffer(&track_record, exact_zeros(720), 688, 0); },
     "read_d88_track_from_buffer: illegal parameter\n"},
    {"track: end at the offset",
     [] { return read_d88_track_from_buffer(&track_record, exact_zeros(720), 688, 688); },
     "read_d88_track_from_buffer: illegal parameter\n"},
    {"track: end before the offset",
     [] { return read_d88_track_from_buffer(&track_record, exact_zeros(720), 700, 690); },
     "read_d88_track_from_buffer: illegal parameter\n"},
    {"track: negative offset",
     [] { return read_d88_track_from_buffer(&track_record, exact_zeros(720), -16, 720); },
     "read_d88_track_from_buffer: illegal parameter\n"},
    {"sector: no record",
     [] { return read_d88_sector_from_buffer(nullptr, exact_zeros(720), 688, 720); },
     "read_d88_sector_from_buffer: illegal parameter\n"},
    {"sector: no start",
     [] { return read_d88_sector_from_buffer(&sector_record, nullptr, 688, 720); },
     "read_d88_sector_from_buffer: illegal parameter\n"},
    {"sector: negative position",
     [] { return read_d88_sector_from_buffer(&sector_record, exact_zeros(720), -16, 720); },
     "read_d88_sector_from_buffer: illegal parameter\n"},
    {"sector: position 0",
     [] { return read_d88_sector_from_buffer(&sector_record, exact_zeros(720), 0, 720); },
     "read_d88_sector_from_buffer: illegal parameter\n"},
    {"sector: end 0",
     [] { return read_d88_sector_from_buffer(&sector_record, exact_zeros(720), 688, 0); },
     "read_d88_sector_from_buffer: illegal parameter\n"},
    {"sector: end at the position",
     [] { return read_d88_sector_from_buffer(&sector_record, exact_zeros(720), 700, 700); },
     "read_d88_sector_from_buffer: illegal parameter\n"},
};

class RefusedCall : public testing::TestWithParam<refused_call> {};

// Every record starts as a pattern that no reader writes; a refused call
// must leave all of them as they were.
template <typename T>
void fill_pattern(T& record)
{
    memset(static_cast<void*>(&record), 0xA5, sizeof record);
}

template <typename T>
bool holds_pattern(const T& record)
{
    T pattern;
    fill_pattern(pattern);
    return memcmp(&record, &pattern, sizeof record) == 0;
}

TEST_P(RefusedCall, PrintsItsOwnIllegalParameterLineAndChangesNothing)
{
    SCOPED_TRACE(GetParam().name);
    fill_pattern(image_record);
    fill_pattern(disk_record);
    fill_pattern(track_record);
    fill_pattern(sector_record);
    int result = 0;
    std::string out = capture_stdout([&] { result = GetParam().call(); });
    EXPECT_EQ(result, -1);
    EXPECT_EQ(out, GetParam().out);
    EXPECT_TRUE(holds_pattern(image_record));
    EXPECT_TRUE(holds_pattern(disk_record));
    EXPECT_TRUE(holds_pattern(track_record));
    EXPECT_TRUE(holds_pattern(sector_record));
}

INSTANTIATE_TEST_SUITE_P(Reader, RefusedCall, testing::ValuesIn(refused_calls));

// The lower readers used on their own, on exactly sized buffers.
TEST(LowerReaders, ReadADiskATrackAndASectorOnTheirOwn)
{
    d88_disk_builder short_disk;
    short_disk.header_size = 672;
    short_disk.name = text_bytes("SHORT");
    byte_vector bytes = short_disk.bytes();
    std::unique_ptr<uint8_t[]> exact(new uint8_t[bytes.size()]);
    std::copy(bytes.begin(), bytes.end(), exact.get());

    std::unique_ptr<d88_disk> disk(new d88_disk);
    std::string out = capture_stdout(
        [&] { EXPECT_EQ(read_d88_disk_from_buffer(disk.get(), exact.get(), 672), 0); });
    EXPECT_EQ(out, "");
    EXPECT_EQ(dump_d88_disk(*disk),
              "disk name 53484F5254000000000000000000000000 reserved 000000000000000000"
              " protect 00 media 00 size 672\n");

    byte_vector track =
        d88_track_bytes({small_sector(3, 1, 9, {7, 7}, 2), small_sector(3, 1, 8, {6}, 2)});
    byte_vector area(20, 0);
    area.insert(area.end(), track.begin(), track.end());
    std::unique_ptr<uint8_t[]> exact_track(new uint8_t[area.size()]);
    std::copy(area.begin(), area.end(), exact_track.get());
    d88_disk holder = {};
    out = capture_stdout([&] {
        EXPECT_EQ(read_d88_track_from_buffer(&holder.tracks[0], exact_track.get(), 20,
                                             static_cast<int32_t>(area.size())),
                  0);
    });
    EXPECT_EQ(out, "");
    holder.track_offsets[0] = 20;
    EXPECT_EQ(dump_d88_disk(holder),
              "disk name 0000000000000000000000000000000000 reserved 000000000000000000"
              " protect 00 media 00 size 0\n"
              "  slot 0 offset 20 sectors 2\n"
              "    03/01/09 N01 count 2 density 00 deleted 00 status 00 reserved 0000000000"
              " size 2 data 0707\n"
              "    03/01/08 N01 count 2 density 00 deleted 00 status 00 reserved 0000000000"
              " size 1 data 06\n");
    free_d88_disk(&holder, 0);

    d88_sector sector;
    out = capture_stdout([&] {
        EXPECT_EQ(read_d88_sector_from_buffer(&sector, exact_track.get(), 38,
                                              static_cast<int32_t>(area.size())),
                  0);
    });
    EXPECT_EQ(out, "");
    EXPECT_EQ(sector.record, 8);
    ASSERT_EQ(sector.data_size, 1);
    EXPECT_EQ(sector.data[0], 6);
    free(sector.data);
}

// The builder refuses values its 16-bit fields cannot hold rather than
// cutting them; up to 0xFFFF they are stored whole.
struct builder_limit {
    const char* name;
    std::function<byte_vector()> build;
    bool throws;
};

const builder_limit builder_limits[] = {
    {"data of 0x10000 bytes",
     [] { return d88_sector_bytes(small_sector(0, 0, 1, byte_vector(0x10000, 1))); }, true},
    {"data of 0xFFFF bytes",
     [] { return d88_sector_bytes(small_sector(0, 0, 1, byte_vector(0xFFFF, 1))); }, false},
    {"a track of 0x10000 sectors",
     [] { return d88_track_bytes(make_d88_track(0, 0, 1, 0x10000, 1, 0)); }, true},
    {"a negative sector count", [] { return d88_track_bytes(make_d88_track(0, 0, 1, -1, 1, 0)); },
     true},
    {"a talk track edited to 0x10000 sectors",
     [] {
         return make_d88_talk_disk(byte_vector(0x10000, 0),
                                   [](int town, d88_track_image& track) {
                                       if (town == 0)
                                           track.resize(0x10000);
                                   })
             .bytes();
     },
     true},
};

TEST(Builder, RefusesSizesAndCountsAbove0xFFFF)
{
    for (const builder_limit& limit : builder_limits) {
        SCOPED_TRACE(limit.name);
        if (limit.throws) {
            EXPECT_THROW(limit.build(), std::invalid_argument);
        } else {
            byte_vector bytes = limit.build();
            ASSERT_EQ(bytes.size(), 16u + 0xFFFF);
            EXPECT_EQ(bytes[0x0E], 0xFF);
            EXPECT_EQ(bytes[0x0F], 0xFF);
        }
    }
}

}  // namespace
