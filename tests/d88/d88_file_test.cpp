// Loading D88 files: the loader's own failures and what it passes on.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "capture_stdout.h"
#include "d88_test_helpers.h"
#include "message_lines.h"

namespace {

struct file_case {
    const char* name;
    std::function<void(const std::string& path)> make;  // nothing: no file
    int result;
    std::string out;  // %s stands for the path
};

d88_disk_builder disk_named(unsigned char name)
{
    d88_disk_builder d;
    d.name = {name};
    d.add_track(0, {small_sector(0, 0, 1, {0x55})});
    return d;
}

const file_case file_cases[] = {
    {"missing file", nullptr, -1, "open error '%s'\n"},
    {"empty file", [](const std::string& path) { write_file(path, byte_vector()); }, -1,
     "read error '%s'\n"},
    {"too short for a disk", [](const std::string& path) { write_file(path, byte_vector(300, 0)); },
     0, "data size too short ... garbage? ... ignored\n"},
    {"two disks",
     [](const std::string& path) {
         write_file(path, d88_file({disk_named('A').bytes(), disk_named('B').bytes()}));
     },
     2, ""},
    {"a damaged disk",
     [](const std::string& path) {
         auto bad = disk_named('B');
         bad.media_type = 0x01;
         write_file(path, d88_file({disk_named('A').bytes(), bad.bytes()}));
     },
     -1, "illegal data: [B] disk type = 0x01\nread disk 2 error\nread image data error '%s'\n"},
};

std::string with_path(std::string text, const std::string& path)
{
    for (size_t at; (at = text.find("%s")) != std::string::npos;)
        text.replace(at, 2, path);
    return text;
}

class LoadFile : public testing::TestWithParam<file_case> {};

TEST_P(LoadFile, ReportsWithThePath)
{
    SCOPED_TRACE(GetParam().name);
    temp_dir dir;
    std::string path = dir.file("image.d88");
    if (GetParam().make)
        GetParam().make(path);
    d88_image image = {0, nullptr};
    int result = 0;
    std::string out = capture_stdout([&] { result = read_d88_image_file(&image, path.c_str()); });
    EXPECT_EQ(result, GetParam().result);
    EXPECT_EQ(out, with_path(GetParam().out, path));
    EXPECT_EQ(image.disk_count, result < 0 ? 0 : result);
    free_d88_image(&image, 0);
}

INSTANTIATE_TEST_SUITE_P(Loader, LoadFile, testing::ValuesIn(file_cases));

TEST(LoadFile, GivesTheSameModelAsTheBufferReader)
{
    temp_dir dir;
    std::string path = dir.file("two.d88");
    byte_vector bytes = d88_file({disk_named('A').bytes(), disk_named('B').bytes()});
    write_file(path, bytes);
    d88_image from_file = {0, nullptr};
    d88_image from_buffer = {0, nullptr};
    std::string out = capture_stdout([&] { read_d88_image_file(&from_file, path.c_str()); });
    EXPECT_EQ(out, "");
    ASSERT_EQ(read_image_bytes(&from_buffer, bytes).result, 2);
    EXPECT_EQ(dump_d88_image(from_file), dump_d88_image(from_buffer));
    free_d88_image(&from_file, 0);
    free_d88_image(&from_buffer, 0);
}

// With a sink set, the lines of a failing read go there in order, each
// with its line end, a line longer than any fixed buffer too, and nothing
// reaches standard output.
TEST(LoadFile, SendsItsLinesToTheMessageSink)
{
    temp_dir dir;
    std::string path = dir.file(std::string(240, 'n') + ".d88");
    for (const file_case& c : file_cases)
        if (std::string(c.name) == "a damaged disk")
            c.make(path);
    std::vector<std::string> lines;
    set_message_sink(
        [](void* context, const char* line) {
            static_cast<std::vector<std::string>*>(context)->push_back(line);
        },
        &lines);
    d88_image image = {0, nullptr};
    int result = 0;
    std::string out = capture_stdout([&] { result = read_d88_image_file(&image, path.c_str()); });
    set_message_sink(nullptr, nullptr);
    EXPECT_EQ(result, -1);
    EXPECT_EQ(out, "");
    EXPECT_EQ(lines, (std::vector<std::string>{"illegal data: [B] disk type = 0x01\n",
                                               "read disk 2 error\n",
                                               "read image data error '" + path + "'\n"}));
}

// Positions are signed 32-bit values: a file of 2 GiB or more cannot be
// addressed and is refused where its length is taken.
TEST(LoadFile, RefusesAFileOf2GiB)
{
    temp_dir dir;
    std::string path = dir.file("huge.d88");
    write_file(path, byte_vector());
    std::error_code error;
    std::filesystem::resize_file(path, std::uintmax_t{1} << 31, error);  // sparse
    if (error)
        GTEST_SKIP() << "no sparse file here: " << error.message();
    d88_image image = {0, nullptr};
    int result = 0;
    std::string out = capture_stdout([&] { result = read_d88_image_file(&image, path.c_str()); });
    EXPECT_EQ(result, -1);
    EXPECT_EQ(out, "seek error(SEEK_END) '" + path + "'\n");
}

}  // namespace
