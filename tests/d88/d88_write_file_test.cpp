// Writing images and disks to files: the file holds exactly the
// serialised bytes, put in place by the file layer (whose own tests cover
// the replacement), and each failure prints the library's own lines. Also
// the disk header bytes as the serialiser copies them from a hand-made
// disk.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <functional>
#include <vector>

#include "capture_stdout.h"
#include "d88_test_helpers.h"

namespace fs = std::filesystem;

namespace {

d88_disk_builder named_disk(unsigned char name, int tracks)
{
    d88_disk_builder d;
    d.name = {name};
    for (int slot = 0; slot < tracks; slot++)
        d.add_track(
            slot, make_d88_track(static_cast<uint8_t>(slot / 2), static_cast<uint8_t>(slot % 2), 1,
                                 4, 1, static_cast<uint8_t>(name + slot)));
    return d;
}

const byte_vector image_bytes = d88_file({named_disk('A', 3).bytes(), named_disk('B', 1).bytes()});
const byte_vector old_bytes(2000, 0x55);

std::string listing_of(const std::string& dir)
{
    return folder_listing(dir, {{&image_bytes, "image"}, {&old_bytes, "old"}});
}

void write_old(const std::string& path)
{
    write_file(path, old_bytes);
}

// Slot 0 holds 65506 sectors of 32767 bytes without data: too large for
// the format, so serialising it fails.
struct oversized_disk {
    std::vector<d88_sector> sectors = std::vector<d88_sector>(65506);
    d88_disk disk = {};
    oversized_disk()
    {
        for (d88_sector& sector : sectors)
            sector.data_size = 32767;
        disk.tracks[0].sector_count = 65506;
        disk.tracks[0].sectors = sectors.data();
    }
};

enum image_kind { two_disks, no_disks, oversized, no_image };

// The images of the cases, read from the builder's bytes.
struct test_images {
    held_image two;
    oversized_disk large;
    d88_image empty = {0, nullptr};
    d88_image too_large = {1, &large.disk};

    test_images() { read_image_bytes(&two.image, image_bytes); }
    bool complete() const { return two.image.disk_count == 2; }
    const d88_image* get(image_kind kind) const
    {
        switch (kind) {
        case two_disks:
            return &two.image;
        case no_disks:
            return &empty;
        case oversized:
            return &too_large;
        case no_image:
            break;
        }
        return nullptr;
    }
};

struct file_case {
    const char* name;
    std::function<void(const std::string& dir)> setup;
    const char* target;  // relative to the folder
    image_kind image;
    int result;
    std::string out;      // %s: the target's path
    std::string listing;  // the folder afterwards; %d: the folder's path
};

const file_case file_cases[] = {
    {"a new file", nullptr, "image.d88", two_disks, 0, "", "image.d88 5728 bytes (image)\n"},
    {"an existing longer file is replaced whole",
     [](const std::string& dir) { write_old(dir + "/image.d88"); }, "image.d88", two_disks, 0, "",
     "image.d88 5728 bytes (image)\n"},
    {"a folder that does not exist", nullptr, "missing/image.d88", two_disks, -1,
     "open error '%s'\n", ""},
    {"an image without disks leaves the old file",
     [](const std::string& dir) { write_old(dir + "/image.d88"); }, "image.d88", no_disks, -1,
     "write error '%s'\n", "image.d88 2000 bytes (old)\n"},
    {"a missing image leaves the old file",
     [](const std::string& dir) { write_old(dir + "/image.d88"); }, "image.d88", no_image, -1,
     "write_d88_image_file: illegal parameter\n", "image.d88 2000 bytes (old)\n"},
    {"an image too large to serialise leaves the old file",
     [](const std::string& dir) { write_old(dir + "/image.d88"); }, "image.d88", oversized, -1,
     "memory exhaust!\nwrite image data error '%s'\n", "image.d88 2000 bytes (old)\n"},
#ifndef _WIN32
    {"a link to a file",
     [](const std::string& dir) {
         write_old(dir + "/real.d88");
         fs::create_symlink("real.d88", dir + "/image.d88");
     },
     "image.d88", two_disks, 0, "", "image.d88 -> real.d88\nreal.d88 5728 bytes (image)\n"},
#endif
};

TEST(WriteImageFile, WritesTheWholeImageOrLeavesTheOldFileAsItWas)
{
    test_images images;
    ASSERT_TRUE(images.complete());
    for (const file_case& c : file_cases) {
        SCOPED_TRACE(c.name);
        temp_dir dir;
        if (c.setup)
            c.setup(dir.path());
        std::string target = dir.file(c.target);
        int result = 0;
        std::string out = capture_stdout(
            [&] { result = write_d88_image_file(images.get(c.image), target.c_str()); });
        EXPECT_EQ(result, c.result);
        EXPECT_EQ(out, with_paths(c.out, target));
        EXPECT_EQ(listing_of(dir.path()), with_paths(c.listing, target, dir.path()));
    }
}

TEST(WriteImageFile, RefusesAMissingPathOrDisk)
{
    d88_image empty = {0, nullptr};
    d88_disk disk = {};
    std::string out = capture_stdout([&] {
        EXPECT_EQ(write_d88_image_file(&empty, nullptr), -1);
        EXPECT_EQ(write_d88_disk_file(&disk, nullptr), -1);
        EXPECT_EQ(write_d88_disk_file(nullptr, "never.d88"), -1);
    });
    EXPECT_EQ(out,
              "write_d88_image_file: illegal parameter\n"
              "write_d88_disk_file: illegal parameter\n"
              "write_d88_disk_file: illegal parameter\n");
}

TEST(WriteDiskFile, WritesTheSecondOfThreeDisksAlone)
{
    byte_vector second = named_disk('2', 5).bytes();
    held_image source;
    ASSERT_EQ(read_image_bytes(&source.image, d88_file({named_disk('1', 2).bytes(), second,
                                                        named_disk('3', 1).bytes()}))
                  .result,
              3);
    std::string before = dump_d88_image(source.image);
    d88_disk* disk = get_d88_disk(&source.image, 1);
    d88_disk* third = disk->next;
    temp_dir dir;
    std::string path = dir.file("second.d88");
    std::string out =
        capture_stdout([&] { EXPECT_EQ(write_d88_disk_file(disk, path.c_str()), 0); });
    EXPECT_EQ(out, "");
    EXPECT_EQ(read_file(path), second);
    EXPECT_EQ(disk->next, third);
    EXPECT_EQ(dump_d88_image(source.image), before);
}

// The header bytes that the reader checks (write protection, media type)
// are copied as stored, whatever their value; the disk size is the
// recomputed one.
TEST(WriteDiskToBuffer, CopiesTheHeaderBytesOfAHandMadeDisk)
{
    struct row {
        uint8_t write_protect;
        uint8_t media_type;
    };
    // clang-format off
    const row rows[] = {
        {0x01, 0x30},
        {0x00, 0x00},
        {0x10, 0x20},
        {0xFF, 0xFF},
    };
    // clang-format on
    for (const row& r : rows) {
        SCOPED_TRACE(std::to_string(r.write_protect) + " " + std::to_string(r.media_type));
        d88_disk disk = {};
        memcpy(disk.name, "HAND MADE DISK", 15);
        for (int i = 0; i < d88_reserved_size; i++)
            disk.reserved[i] = static_cast<uint8_t>(0xC1 + i);
        disk.write_protect = r.write_protect;
        disk.media_type = r.media_type;
        disk.disk_size = 12345;
        disk.track_offsets[5] = 999;

        d88_disk_builder expected;
        expected.name = {'H', 'A', 'N', 'D', ' ', 'M', 'A', 'D', 'E', ' ', 'D', 'I', 'S', 'K'};
        expected.reserved = {0xC1, 0xC2, 0xC3, 0xC4, 0xC5, 0xC6, 0xC7, 0xC8, 0xC9};
        expected.write_protect = r.write_protect;
        expected.media_type = r.media_type;

        byte_vector buffer(688, 0xAA);
        uint8_t* end = nullptr;
        int result = 0;
        std::string out = capture_stdout(
            [&] { result = write_d88_disk_to_buffer(&disk, buffer.data(), &end, 688); });
        EXPECT_EQ(result, 0);
        EXPECT_EQ(out, "");
        EXPECT_EQ(end, buffer.data() + 688);
        EXPECT_EQ(buffer, expected.bytes());
    }
}

}  // namespace
