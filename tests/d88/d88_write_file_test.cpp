// Writing images and disks to files: the file holds exactly the
// serialised bytes, the replaced file keeps its permissions and the links
// that lead to it, and no failure ever harms the file being replaced or
// leaves a new file behind. Also the disk header bytes as the serialiser
// copies them from a hand-made disk.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <functional>
#include <vector>

#include "capture_stdout.h"
#include "child_process.h"
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

// 5,728 bytes: larger than a stdio buffer of 4,096 bytes.
const byte_vector image_bytes = d88_file({named_disk('A', 3).bytes(), named_disk('B', 1).bytes()});
// 1,776 bytes: fits a stdio buffer whole, so only the close writes it.
const byte_vector small_image_bytes = d88_file({named_disk('S', 1).bytes()});
const byte_vector old_bytes(2000, 0x55);

// Every file, folder and link under dir, sorted, one line each: a file
// with its size and which of the known contents it holds, a folder with
// "/", a link with what it names.
std::string folder_listing(const std::string& dir)
{
    std::vector<std::string> lines;
    for (const auto& entry : fs::recursive_directory_iterator(dir)) {
        std::string name = entry.path().lexically_relative(dir).generic_string();
        if (entry.is_symlink()) {
            lines.push_back(name + " -> " + fs::read_symlink(entry.path()).generic_string());
        } else if (entry.is_directory()) {
            lines.push_back(name + "/");
        } else {
            byte_vector bytes = read_file(entry.path().string());
            lines.push_back(name + " " + std::to_string(bytes.size()) + " bytes" +
                            (bytes == image_bytes         ? " (image)"
                             : bytes == small_image_bytes ? " (small image)"
                             : bytes == old_bytes         ? " (old)"
                                                          : ""));
        }
    }
    std::sort(lines.begin(), lines.end());
    std::string out;
    for (const std::string& line : lines)
        out += line + "\n";
    return out;
}

// text with every "%s" replaced by the target's path and every "%d" by
// the folder's.
std::string with_paths(std::string text, const std::string& target, const std::string& dir = "")
{
    for (size_t at; (at = text.find("%s")) != std::string::npos;)
        text.replace(at, 2, target);
    for (size_t at; (at = text.find("%d")) != std::string::npos;)
        text.replace(at, 2, dir);
    return text;
}

void write_old(const std::string& path)
{
    write_file(path, old_bytes);
}

// All hundred names that the writer tries for a new file beside image.d88.
void take_every_new_name(const std::string& dir)
{
    for (int n = 0; n < 100; n++)
        write_file(dir + "/image.d88.new" + std::to_string(n), std::string("taken"));
}

std::string every_new_name_taken_listing()
{
    std::vector<std::string> lines = {"image.d88 2000 bytes (old)"};
    for (int n = 0; n < 100; n++)
        lines.push_back("image.d88.new" + std::to_string(n) + " 5 bytes");
    std::sort(lines.begin(), lines.end());
    std::string out;
    for (const std::string& line : lines)
        out += line + "\n";
    return out;
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

enum image_kind { two_disks, small_image, no_disks, oversized };

// The images of the cases, read from the builder's bytes.
struct test_images {
    held_image two;
    held_image small;
    oversized_disk large;
    d88_image empty = {0, nullptr};
    d88_image too_large = {1, &large.disk};

    test_images()
    {
        read_image_bytes(&two.image, image_bytes);
        read_image_bytes(&small.image, small_image_bytes);
    }
    bool complete() const { return two.image.disk_count == 2 && small.image.disk_count == 1; }
    const d88_image* get(image_kind kind) const
    {
        switch (kind) {
        case two_disks:
            return &two.image;
        case small_image:
            return &small.image;
        case no_disks:
            return &empty;
        case oversized:
            break;
        }
        return &too_large;
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
    {"names of other files are passed over for the new file",
     [](const std::string& dir) {
         write_old(dir + "/image.d88");
         write_file(dir + "/image.d88.new0", std::string("keep"));
         fs::create_directory(dir + "/image.d88.new1");
     },
     "image.d88", two_disks, 0, "",
     "image.d88 5728 bytes (image)\nimage.d88.new0 4 bytes\nimage.d88.new1/\n"},
    {"every new name taken",
     [](const std::string& dir) {
         write_old(dir + "/image.d88");
         take_every_new_name(dir);
     },
     "image.d88", two_disks, -1, "open error '%s'\n", every_new_name_taken_listing()},
    {"a folder that does not exist", nullptr, "missing/image.d88", two_disks, -1,
     "open error '%s'\n", ""},
    {"a folder that is a file", [](const std::string& dir) { write_old(dir + "/plain"); },
     "plain/image.d88", two_disks, -1, "open error '%s'\n", "plain 2000 bytes (old)\n"},
    {"a target that is a folder with a file in it",
     [](const std::string& dir) {
         fs::create_directory(dir + "/image.d88");
         write_old(dir + "/image.d88/inside");
     },
     "image.d88", two_disks, -1, "open error '%s'\n",
     "image.d88/\nimage.d88/inside 2000 bytes (old)\n"},
    {"a target that is an empty folder",
     [](const std::string& dir) { fs::create_directory(dir + "/image.d88"); }, "image.d88",
     two_disks, -1, "open error '%s'\n", "image.d88/\n"},
    {"an image without disks leaves the old file",
     [](const std::string& dir) { write_old(dir + "/image.d88"); }, "image.d88", no_disks, -1,
     "write error '%s'\n", "image.d88 2000 bytes (old)\n"},
    {"an image without disks makes no file", nullptr, "image.d88", no_disks, -1,
     "write error '%s'\n", ""},
    {"an image too large to serialise leaves the old file",
     [](const std::string& dir) { write_old(dir + "/image.d88"); }, "image.d88", oversized, -1,
     "memory exhaust!\nwrite image data error '%s'\n", "image.d88 2000 bytes (old)\n"},
#ifndef _WIN32
    // Links: the link stays and the file it names is replaced; a relative
    // link is taken from its own folder.
    {"a dangling link at the first new name is skipped",
     [](const std::string& dir) {
         write_old(dir + "/image.d88");
         fs::create_symlink("elsewhere.d88", dir + "/image.d88.new0");
     },
     "image.d88", two_disks, 0, "",
     "image.d88 5728 bytes (image)\nimage.d88.new0 -> elsewhere.d88\n"},
    {"a link to a file",
     [](const std::string& dir) {
         write_old(dir + "/real.d88");
         fs::create_symlink("real.d88", dir + "/image.d88");
     },
     "image.d88", two_disks, 0, "", "image.d88 -> real.d88\nreal.d88 5728 bytes (image)\n"},
    {"a link to a link to a file in a subfolder",
     [](const std::string& dir) {
         fs::create_directory(dir + "/sub");
         write_old(dir + "/sub/real.d88");
         fs::create_symlink("sub/real.d88", dir + "/middle");
         fs::create_symlink("middle", dir + "/image.d88");
     },
     "image.d88", two_disks, 0, "",
     "image.d88 -> middle\nmiddle -> sub/real.d88\nsub/\nsub/real.d88 5728 bytes (image)\n"},
    {"an absolute link",
     [](const std::string& dir) {
         fs::create_directory(dir + "/sub");
         write_old(dir + "/sub/real.d88");
         fs::create_symlink(dir + "/sub/real.d88", dir + "/image.d88");
     },
     "image.d88", two_disks, 0, "",
     "image.d88 -> %d/sub/real.d88\nsub/\nsub/real.d88 5728 bytes (image)\n"},
    {"a relative link in a subfolder",
     [](const std::string& dir) {
         fs::create_directory(dir + "/sub");
         write_old(dir + "/real.d88");
         fs::create_symlink("../real.d88", dir + "/sub/image.d88");
     },
     "sub/image.d88", two_disks, 0, "",
     "real.d88 5728 bytes (image)\nsub/\nsub/image.d88 -> ../real.d88\n"},
    {"a dangling link makes the file it names",
     [](const std::string& dir) { fs::create_symlink("real.d88", dir + "/image.d88"); },
     "image.d88", two_disks, 0, "", "image.d88 -> real.d88\nreal.d88 5728 bytes (image)\n"},
    {"a dangling link into a folder that does not exist",
     [](const std::string& dir) { fs::create_symlink("missing/real.d88", dir + "/image.d88"); },
     "image.d88", two_disks, -1, "open error '%s'\n", "image.d88 -> missing/real.d88\n"},
    {"a link to a folder",
     [](const std::string& dir) {
         fs::create_directory(dir + "/sub");
         fs::create_symlink("sub", dir + "/image.d88");
     },
     "image.d88", two_disks, -1, "open error '%s'\n", "image.d88 -> sub\nsub/\n"},
    {"a loop of links",
     [](const std::string& dir) {
         fs::create_symlink("other.d88", dir + "/image.d88");
         fs::create_symlink("image.d88", dir + "/other.d88");
     },
     "image.d88", two_disks, -1, "open error '%s'\n",
     "image.d88 -> other.d88\nother.d88 -> image.d88\n"},
    {"an image without disks through a link leaves the file it names",
     [](const std::string& dir) {
         write_old(dir + "/real.d88");
         fs::create_symlink("real.d88", dir + "/image.d88");
     },
     "image.d88", no_disks, -1, "write error '%s'\n",
     "image.d88 -> real.d88\nreal.d88 2000 bytes (old)\n"},
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
        EXPECT_EQ(folder_listing(dir.path()), with_paths(c.listing, target, dir.path()));
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
    temp_dir dir;
    std::string path = dir.file("image.d88");
    out = capture_stdout([&] { EXPECT_EQ(write_d88_image_file(nullptr, path.c_str()), -1); });
    EXPECT_EQ(out, "write_d88_image_to_buffer: illegal parameter\nwrite image data error '" + path +
                       "'\n");
    EXPECT_EQ(folder_listing(dir.path()), "");
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

#ifndef _WIN32
// The permission bits of the file at path.
std::string mode_of(const std::string& path)
{
    return mode_text(fs::status(path).permissions());
}

// The replacement takes the permissions of the file it replaces, also
// through a link, whatever the process's file creation mask.
TEST(WriteImageFile, KeepsThePermissionsOfTheReplacedFile)
{
    struct row {
        fs::perms mode;
        bool through_link;
    };
    // clang-format off
    const row rows[] = {
        {fs::perms(0600), false},
        {fs::perms(0640), false},
        {fs::perms(0666), false},
        {fs::perms(0755), false},
        {fs::perms(0600), true},
    };
    // clang-format on
    test_images images;
    ASSERT_TRUE(images.complete());
    for (const row& r : rows) {
        SCOPED_TRACE(mode_text(r.mode));
        temp_dir dir;
        std::string real = dir.file("real.d88");
        write_old(real);
        fs::permissions(real, r.mode);
        std::string target = real;
        if (r.through_link) {
            target = dir.file("image.d88");
            fs::create_symlink("real.d88", target);
        }
        int result = 0;
        std::string out = capture_stdout(
            [&] { result = write_d88_image_file(images.get(two_disks), target.c_str()); });
        EXPECT_EQ(result, 0);
        EXPECT_EQ(out, "");
        EXPECT_EQ(folder_listing(dir.path()) + mode_of(real),
                  std::string(r.through_link ? "image.d88 -> real.d88\n" : "") +
                      "real.d88 5728 bytes (image)\n" + mode_text(r.mode));
    }
}

struct child_case {
    const char* name;
    std::function<void(const std::string& dir)> setup;  // the folder is 0777 before
    const char* target;
    image_kind image;
    long size_limit;
    std::string out;  // %s: the target's path
    std::string listing;
};

// Runs each case's write in a child and compares what it printed and the
// folder afterwards.
void expect_child_cases(const child_case* cases, size_t count, bool unprivileged)
{
    test_images images;
    ASSERT_TRUE(images.complete());
    for (size_t i = 0; i < count; i++) {
        const child_case& c = cases[i];
        SCOPED_TRACE(c.name);
        temp_dir dir;
        fs::permissions(dir.path(), fs::perms(0777));
        if (c.setup)
            c.setup(dir.path());
        std::string target = dir.file(c.target);
        std::string out = run_in_child(unprivileged, c.size_limit, [&] {
            int result = write_d88_image_file(images.get(c.image), target.c_str());
            printf("result %d\n", result);
        });
        fs::permissions(dir.path(), fs::perms(0700));
        EXPECT_EQ(out, with_paths(c.out, target));
        EXPECT_EQ(folder_listing(dir.path()), c.listing);
    }
}

// A file size limit makes the new file come up short: in fwrite for an
// image larger than the stdio buffer, in fclose for a smaller one. The new
// file goes, the old one stays.
TEST(WriteImageFile, AShortWriteOrAFailedCloseLeavesTheOldFileAsItWas)
{
    auto old_file = [](const std::string& dir) { write_old(dir + "/image.d88"); };
    // clang-format off
    const child_case cases[] = {
        {"short write",                 old_file, "image.d88", two_disks,   1000, "write error '%s'\nresult -1\nexit 0\n", "image.d88 2000 bytes (old)\n"},
        {"failed close",                old_file, "image.d88", small_image, 1000, "write error '%s'\nresult -1\nexit 0\n", "image.d88 2000 bytes (old)\n"},
        {"failed close, no old file",   nullptr,  "image.d88", small_image, 1000, "write error '%s'\nresult -1\nexit 0\n", ""},
        {"exactly the limit",           old_file, "image.d88", small_image, 1776, "result 0\nexit 0\n",                     "image.d88 1776 bytes (small image)\n"},
    };
    // clang-format on
    expect_child_cases(cases, std::size(cases), false);
}

// As an ordinary user: a target that does not open for update is refused
// before anything is made, also behind a link; a folder that takes no new
// file refuses the write; a file of another user that is open to all is
// replaced.
TEST(WriteImageFile, AsAnOrdinaryUserRefusesWhatTheUserMayNotWrite)
{
    std::string why = no_unprivileged_user();
    if (!why.empty())
        GTEST_SKIP() << "no unprivileged user to test with: " << why;
    auto with_mode = [](const char* name, unsigned mode) {
        return [=](const std::string& dir) {
            write_old(dir + "/" + name);
            fs::permissions(dir + "/" + name, fs::perms(mode));
        };
    };
    auto read_only_behind_link = [=](const std::string& dir) {
        with_mode("real.d88", 0444)(dir);
        fs::create_symlink("real.d88", dir + "/image.d88");
    };
    auto read_only_folder = [=](const std::string& dir) {
        with_mode("image.d88", 0666)(dir);
        fs::permissions(dir, fs::perms(0555));
    };
    // clang-format off
    const child_case cases[] = {
        {"read-only target",                  with_mode("image.d88", 0444), "image.d88", two_disks, -1, "open error '%s'\nresult -1\nexit 0\n", "image.d88 2000 bytes (old)\n"},
        {"target nobody may touch",           with_mode("image.d88", 0000), "image.d88", two_disks, -1, "open error '%s'\nresult -1\nexit 0\n", "image.d88 2000 bytes (old)\n"},
        {"read-only target behind a link",    read_only_behind_link,        "image.d88", two_disks, -1, "open error '%s'\nresult -1\nexit 0\n", "image.d88 -> real.d88\nreal.d88 2000 bytes (old)\n"},
        {"read-only folder",                  read_only_folder,             "image.d88", two_disks, -1, "open error '%s'\nresult -1\nexit 0\n", "image.d88 2000 bytes (old)\n"},
        {"another user's file open to all",   with_mode("image.d88", 0666), "image.d88", two_disks, -1, "result 0\nexit 0\n",                     "image.d88 5728 bytes (image)\n"},
    };
    // clang-format on
    expect_child_cases(cases, std::size(cases), true);
}
#endif

}  // namespace
