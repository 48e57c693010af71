// Writing images and disks to files: the file holds exactly the
// serialised bytes, and no failure ever harms the file being replaced or
// leaves a new file behind.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <vector>

#ifndef _WIN32
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

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

// Every file and folder under dir with the contents of the files, sorted.
std::string folder_listing(const std::string& dir)
{
    std::vector<std::string> lines;
    for (const auto& entry : fs::recursive_directory_iterator(dir)) {
        std::string name = fs::relative(entry.path(), dir).generic_string();
        if (entry.is_directory()) {
            lines.push_back(name + "/");
        } else {
            byte_vector bytes = read_file(entry.path().string());
            lines.push_back(name + " " + std::to_string(bytes.size()) + " bytes" +
                            (bytes == image_bytes ? " (image)" : "") +
                            (bytes == old_bytes ? " (old)" : ""));
        }
    }
    std::sort(lines.begin(), lines.end());
    std::string out;
    for (const std::string& line : lines)
        out += line + "\n";
    return out;
}

std::string with_path(std::string text, const std::string& path)
{
    for (size_t at; (at = text.find("%s")) != std::string::npos;)
        text.replace(at, 2, path);
    return text;
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

enum image_kind { two_disks, no_disks, oversized };

struct file_case {
    const char* name;
    std::function<void(const std::string& dir)> setup;
    const char* target;  // relative to the folder
    image_kind image;
    int result;
    std::string out;      // %s: the target's path
    std::string listing;  // the folder afterwards
};

const file_case file_cases[] = {
    {"a new file", nullptr, "image.d88", two_disks, 0, "", "image.d88 5728 bytes (image)\n"},
    {"an existing longer file is replaced whole",
     [](const std::string& dir) { write_file(dir + "/image.d88", old_bytes); }, "image.d88",
     two_disks, 0, "", "image.d88 5728 bytes (image)\n"},
    {"names of other files are passed over for the new file",
     [](const std::string& dir) {
         write_file(dir + "/image.d88", old_bytes);
         write_file(dir + "/image.d88.0.new", std::string("keep"));
         fs::create_directory(dir + "/image.d88.1.new");
     },
     "image.d88", two_disks, 0, "",
     "image.d88 5728 bytes (image)\nimage.d88.0.new 4 bytes\nimage.d88.1.new/\n"},
    {"a folder that does not exist", nullptr, "missing/image.d88", two_disks, -1,
     "open error '%s'\n", ""},
    {"a folder that is a file",
     [](const std::string& dir) { write_file(dir + "/plain", old_bytes); }, "plain/image.d88",
     two_disks, -1, "open error '%s'\n", "plain 2000 bytes (old)\n"},
    {"a target that is a folder with a file in it",
     [](const std::string& dir) {
         fs::create_directory(dir + "/image.d88");
         write_file(dir + "/image.d88/inside", old_bytes);
     },
     "image.d88", two_disks, -1, "write error '%s'\n",
     "image.d88/\nimage.d88/inside 2000 bytes (old)\n"},
    {"an image without disks leaves the old file",
     [](const std::string& dir) { write_file(dir + "/image.d88", old_bytes); }, "image.d88",
     no_disks, -1, "write error '%s'\n", "image.d88 2000 bytes (old)\n"},
    {"an image without disks makes no file", nullptr, "image.d88", no_disks, -1,
     "write error '%s'\n", ""},
    {"an image too large to serialise leaves the old file",
     [](const std::string& dir) { write_file(dir + "/image.d88", old_bytes); }, "image.d88",
     oversized, -1, "memory exhaust!\nwrite image data error '%s'\n",
     "image.d88 2000 bytes (old)\n"},
};

TEST(WriteImageFile, WritesTheWholeImageOrLeavesTheOldFileAsItWas)
{
    held_image source;
    ASSERT_EQ(read_image_bytes(&source.image, image_bytes).result, 2);
    oversized_disk large;
    d88_image empty = {0, nullptr};
    d88_image too_large = {1, &large.disk};
    for (const file_case& c : file_cases) {
        SCOPED_TRACE(c.name);
        temp_dir dir;
        if (c.setup)
            c.setup(dir.path());
        std::string target = dir.file(c.target);
        const d88_image* image = c.image == two_disks  ? &source.image
                                 : c.image == no_disks ? &empty
                                                       : &too_large;
        int result = 0;
        std::string out =
            capture_stdout([&] { result = write_d88_image_file(image, target.c_str()); });
        EXPECT_EQ(result, c.result);
        EXPECT_EQ(out, with_path(c.out, target));
        EXPECT_EQ(folder_listing(dir.path()), c.listing);
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

#ifndef _WIN32
// A file size limit makes the write of the new file come up short: the
// new file goes, the old one stays. Run in a child process, which alone
// gets the limit.
TEST(WriteImageFile, AShortWriteLeavesTheOldFileAsItWas)
{
    held_image source;
    ASSERT_EQ(read_image_bytes(&source.image, image_bytes).result, 2);
    temp_dir dir;
    std::string target = dir.file("image.d88");
    write_file(target, old_bytes);
    int pipe_ends[2];
    ASSERT_EQ(pipe(pipe_ends), 0);
    fflush(stdout);
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        close(pipe_ends[0]);
        signal(SIGXFSZ, SIG_IGN);
        struct rlimit limit = {1000, 1000};
        setrlimit(RLIMIT_FSIZE, &limit);
        int result = 0;
        std::string out =
            capture_stdout([&] { result = write_d88_image_file(&source.image, target.c_str()); });
        out += "result " + std::to_string(result) + "\n";
        ssize_t written = write(pipe_ends[1], out.data(), out.size());
        _exit(written == static_cast<ssize_t>(out.size()) ? 0 : 1);
    }
    close(pipe_ends[1]);
    std::string out;
    char chunk[256];
    ssize_t got;
    while ((got = read(pipe_ends[0], chunk, sizeof chunk)) > 0)
        out.append(chunk, static_cast<size_t>(got));
    close(pipe_ends[0]);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_EQ(out, "write error '" + target + "'\nresult -1\n");
    EXPECT_EQ(folder_listing(dir.path()), "image.d88 2000 bytes (old)\n");
}
#endif

}  // namespace
