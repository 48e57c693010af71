// Overwriting files inside an open image, and writing the image back to a
// file through the file layer (whose own tests cover the replacement).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <map>

#include "capture_stdout.h"
#include "fat12_test_util.h"

namespace fs = std::filesystem;

namespace {

const fat12_test_layout xdf = fat12_test_layout::xdf;
const fat12_test_layout dd9 = fat12_test_layout::dd9;
const fat12_test_layout dd8 = fat12_test_layout::dd8;

const std::string file_name = fat12_entry_name("F", "BIN");
const byte_vector old_data = fat12_test_bytes(4096, 1);  // every cluster is 1,024 bytes
const byte_vector new_data = fat12_test_bytes(4096, 2);

byte_vector first(const byte_vector& bytes, size_t count)
{
    return byte_vector(bytes.begin(), bytes.begin() + long(count));
}

// The decoded FAT table of an open image.
std::vector<int> fat_table(const fat12_image& image)
{
    return std::vector<int>(image.fat, image.fat + image.cluster_count + 2);
}

byte_vector buffer_of(const fat12_image& image)
{
    return byte_vector(image.buffer, image.buffer + image.file_size);
}

struct write_result {
    int result;
    std::string out;
};

write_result write_test_file(fat12_image& image, const std::string& name, const byte_vector& source,
                             int source_size, bool ignore_case)
{
    write_result written{0, ""};
    written.out = capture_stdout([&] {
        written.result =
            write_fat12_file(&image, name.c_str(), source.data(), source_size, ignore_case);
    });
    return written;
}

// Writes source_size bytes of new_data into the file name names inside the
// image built (behind a header of offset bytes) and compares the whole
// buffer afterwards: the new bytes land in the clusters of `landed`, in
// order, as far as landed_bytes reach; every other byte, the boot sector,
// FAT copies and directory included, keeps its old value, and so do the
// record's fields and its decoded FAT.
void expect_write(const fat12_test_image& built, int offset, const std::string& name,
                  bool ignore_case, int source_size, int result, const std::string& out,
                  const std::vector<int>& landed, size_t landed_bytes)
{
    const byte_vector input = fat12_image_with_header(built, size_t(offset));
    fat12_test_image changed = built;
    fill_fat12_clusters(changed, first(new_data, landed_bytes), landed);
    const byte_vector expected = fat12_image_with_header(changed, size_t(offset));

    temp_dir dir;
    opened_image opened = open_test_image(dir, input, offset);
    ASSERT_EQ(opened.result, 0);
    const std::vector<int> fields = fat12_fields(opened.image);
    const std::vector<int> fat = fat_table(opened.image);
    write_result written = write_test_file(opened.image, name, new_data, source_size, ignore_case);
    EXPECT_EQ(written.result, result);
    EXPECT_EQ(written.out, out);
    EXPECT_TRUE(buffer_of(opened.image) == expected);
    size_t data_area =
        size_t(offset) + size_t(opened.image.data_start) * size_t(opened.image.bytes_per_sector);
    EXPECT_TRUE(first(buffer_of(opened.image), data_area) == first(input, data_area));
    EXPECT_EQ(fat12_fields(opened.image), fields);
    EXPECT_EQ(fat_table(opened.image), fat);
    free_fat12_image(&opened.image, false);
}

// The image of most cases: F.BIN, 3,000 bytes on clusters 2 to 4 in root
// slot 3, with a neighbour G.BIN on clusters 5 and 6 in slot 0.
fat12_test_image image_with_file(fat12_test_layout layout, unsigned size,
                                 const std::vector<int>& clusters, int end_mark = 0xFFF)
{
    fat12_test_image built = make_blank_fat12_image(layout);
    put_fat12_file(built, 0, fat12_entry_name("G", "BIN"), first(old_data, 1500), {5, 6});
    size_t stored = std::min(size_t(size), clusters.size() * 1024);
    put_fat12_file(built, 3, file_name, first(old_data, stored), clusters, end_mark);
    set_fat12_file_size(built, 3, size);
    return built;
}

const std::string mismatch = "file size mismatch 'F.BIN' 3000 != ";
const std::string too_large = "file size error 'F.BIN' 3000 < 3001\n";

TEST(Fat12Write, SourceSizesNamesAndHeaders)
{
    struct row {
        const char* what;
        fat12_test_layout layout;
        int offset;
        std::string name;
        bool ignore_case;
        int source_size;
        int result;
        std::string out;
        size_t landed_bytes;  // on clusters 2, 3, 4
    };
    // clang-format off
    const row rows[] = {
        {"exact size",                  xdf, 0,   "F.BIN",         false, 3000, 0,  "",                                                      3000},
        {"exact size",                  dd9, 0,   "F.BIN",         false, 3000, 0,  "",                                                      3000},
        {"exact size",                  dd8, 0,   "F.BIN",         false, 3000, 0,  "",                                                      3000},
        {"exact size behind a header",  xdf, 256, "F.BIN",         false, 3000, 0,  "",                                                      3000},
        {"exact size behind a header",  dd9, 3,   "F.BIN",         false, 3000, 0,  "",                                                      3000},
        {"fewer bytes",                 xdf, 0,   "F.BIN",         false, 2500, 0,  mismatch + "2500 ... ignored\n",                         2500},
        {"fewer bytes",                 dd8, 256, "F.BIN",         false, 2500, 0,  mismatch + "2500 ... ignored\n",                         2500},
        {"fewer bytes, half a sector",  dd9, 0,   "F.BIN",         false, 1300, 0,  mismatch + "1300 ... ignored\n",                         1300},
        {"one byte",                    dd8, 0,   "F.BIN",         false, 1,    0,  mismatch + "1 ... ignored\n",                            1},
        {"zero bytes",                  xdf, 0,   "F.BIN",         false, 0,    0,  mismatch + "0 ... ignored\n",                            0},
        {"one byte more",               xdf, 0,   "F.BIN",         false, 3001, -1, too_large,                                               0},
        {"one byte more",               dd9, 256, "F.BIN",         false, 3001, -1, too_large,                                               0},
        {"lower-case name, any case",   xdf, 0,   "f.bin",         true,  3000, 0,  "",                                                      3000},
        {"mixed-case name, any case",   dd8, 0,   "f.Bin",         true,  2000, 0,  "file size mismatch 'f.Bin' 3000 != 2000 ... ignored\n", 2000},
        {"lower-case name, exact case", xdf, 0,   "f.bin",         false, 3000, -1, "can't find 'f.bin'\n",                                  0},
        {"no such file",                xdf, 0,   "H.BIN",         true,  3000, -1, "can't find 'H.BIN'\n",                                  0},
        {"name too long",               xdf, 0,   "FILENAMES.BIN", false, 3000, -1, "illegal filename 'FILENAMES.BIN'\n",                    0},
        {"extension too long",          xdf, 0,   "F.BINS",        false, 3000, -1, "illegal filename 'F.BINS'\n",                           0},
    };
    // clang-format on
    for (const row& r : rows) {
        SCOPED_TRACE(std::string(r.what) + " " +
                     std::to_string(fat12_geometry(r.layout).image_size));
        expect_write(image_with_file(r.layout, 3000, {2, 3, 4}), r.offset, r.name, r.ignore_case,
                     r.source_size, r.result, r.out, {2, 3, 4}, r.landed_bytes);
    }
}

// F.BIN's size field says size; its chain holds what fits of the old bytes,
// and exactly size bytes are written.
TEST(Fat12Write, FollowsTheChainAndStopsWhereItBreaks)
{
    struct row {
        const char* what;
        fat12_test_layout layout;
        int offset;
        int size;
        std::vector<int> clusters;
        int end_mark;
        int result;
        std::string out;
        std::vector<int> landed;
        size_t landed_bytes;
    };
    // clang-format off
    const row rows[] = {
        {"fragmented",             xdf, 0,   3500, {40, 7, 300, 8}, 0xFF8, 0,  "",                                      {40, 7, 300, 8}, 3500},
        {"fragmented",             dd9, 0,   3500, {40, 7, 300, 8}, 0xFF8, 0,  "",                                      {40, 7, 300, 8}, 3500},
        {"loop",                   xdf, 0,   3072, {2, 3},          2,     0,  "",                                      {2, 3, 2},       3072},
        {"chain longer than file", dd8, 0,   1500, {2, 3, 4},       0xFF0, 0,  "",                                      {2, 3},          1500},
        {"empty file",             xdf, 0,   0,    {},              0,     0,  "",                                      {},              0},
        {"end of chain early",     xdf, 0,   3000, {2, 3},          0xFFF, -1, "illegal cluster 0xFFF\n",               {2, 3},          2048},
        {"bad cluster mark",       dd9, 0,   3000, {2, 3},          0xFF7, -1, "illegal cluster 0xFF7\n",               {2, 3},          2048},
        {"free cluster in chain",  dd8, 0,   3000, {2},             0,     -1, "illegal cluster 0x0\n",                 {2},             1024},
        {"first cluster 0",        xdf, 0,   10,   {},              0,     -1, "illegal cluster 0x0\n",                 {},              0},
        {"cluster 1 in the chain", xdf, 0,   3000, {2, 3},          1,     -1, "illegal cluster 0x1\n",                 {2, 3},          2048},
        {"cluster 0xFF0 in chain", dd9, 0,   3000, {2, 3},          0xFF0, -1, "illegal cluster 0xFF0\n",               {2, 3},          2048},
        {"past the data area",     xdf, 0,   2000, {1222},          1223,  -1, "can't get sector from cluster 0x4C7\n", {1222},          1024},
        {"past the data area",     dd9, 0,   2000, {714},           715,   -1, "can't get sector from cluster 0x2CB\n", {714},           1024},
        {"past the data area",     dd8, 0,   2000, {635},           0xFEF, -1, "can't get sector from cluster 0xFEF\n", {635},           1024},
        {"last two data clusters", xdf, 0,   2048, {1221, 1222},    0xFFF, 0,  "",                                      {1221, 1222},    2048},
        {"last two data clusters", xdf, 256, 2048, {1221, 1222},    0xFFF, 0,  "",                                      {1221, 1222},    2048},
        {"last two data clusters", dd9, 0,   2048, {713, 714},      0xFFF, 0,  "",                                      {713, 714},      2048},
        {"last two data clusters", dd8, 17,  2048, {634, 635},      0xFFF, 0,  "",                                      {634, 635},      2048},
    };
    // clang-format on
    for (const row& r : rows) {
        SCOPED_TRACE(std::string(r.what) + " " +
                     std::to_string(fat12_geometry(r.layout).image_size));
        expect_write(image_with_file(r.layout, unsigned(r.size), r.clusters, r.end_mark), r.offset,
                     "F.BIN", false, r.size, r.result, r.out, r.landed, r.landed_bytes);
    }
}

// Both sizes are signed: a negative source count is smaller than any file
// and writes nothing; a negative size field is smaller than any source.
TEST(Fat12Write, SignedFileAndSourceSizes)
{
    struct row {
        unsigned size_field;
        int source_size;
        int result;
        std::string out;
        size_t landed_bytes;
    };
    // clang-format off
    const row rows[] = {
        {10,          10,              0,  "",                                                          10},
        {10,          -1,              0,  "file size mismatch 'F.BIN' 10 != -1 ... ignored\n",         0},
        {0,           -2147483647 - 1, 0,  "file size mismatch 'F.BIN' 0 != -2147483648 ... ignored\n", 0},
        {0xFFFFFFFFu, 0,               -1, "file size error 'F.BIN' -1 < 0\n",                          0},
        {0xFFFFFFFFu, -1,              0,  "",                                                          0},
        {0xFFFFFFFEu, -1,              -1, "file size error 'F.BIN' -2 < -1\n",                         0},
        {0x80000000u, 1,               -1, "file size error 'F.BIN' -2147483648 < 1\n",                 0},
        {0x7FFFFFFFu, 16,              0,  "file size mismatch 'F.BIN' 2147483647 != 16 ... ignored\n", 16},
    };
    // clang-format on
    for (const row& r : rows) {
        SCOPED_TRACE(std::to_string(r.size_field) + " " + std::to_string(r.source_size));
        expect_write(image_with_file(xdf, r.size_field, {2}), 0, "F.BIN", false, r.source_size,
                     r.result, r.out, {2}, r.landed_bytes);
    }
}

// Every file and folder below root with its contents ("/" for a folder),
// to see that a write changed nothing but what it should.
std::map<std::string, byte_vector> snapshot(const std::string& root)
{
    std::map<std::string, byte_vector> files;
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(root)) {
        std::string name = entry.path().lexically_relative(root).generic_string();
        if (entry.is_directory())
            files[name + "/"] = {};
        else
            files[name] = read_file(entry.path().string());
    }
    return files;
}

// Files and folders to make in a test folder, in order: a name ending in
// "/" is a folder; any other gets the text as its contents.
using entries = std::vector<std::pair<std::string, std::string>>;

void make_entries(const temp_dir& dir, const entries& list)
{
    for (const auto& [name, text] : list) {
        if (name.back() == '/')
            fs::create_directory(dir.file(name));
        else
            write_file(dir.file(name), text);
    }
}

write_result write_test_image(const fat12_image& image, const std::string& path)
{
    write_result written{0, ""};
    written.out =
        capture_stdout([&] { written.result = write_fat12_image_file(&image, path.c_str()); });
    return written;
}

// The image read from disk.img goes to target, new or replacing what is
// there, byte for byte as the buffer holds it; nothing else appears in or
// vanishes from the folder.
TEST(Fat12WriteImage, WritesTheBufferBackByteForByte)
{
    struct row {
        const char* what;
        fat12_test_layout layout;
        int offset;
        bool overwrite;      // write new bytes into F.BIN first
        std::string target;  // in the folder of disk.img
        entries before;      // made in the folder first
    };
    const std::string longer(1300000, 'x');
    // clang-format off
    const row rows[] = {
        {"unchanged, new file",                   xdf, 0,   false, "out.xdf",  {}},
        {"unchanged, header, over a longer file", xdf, 256, false, "out.xdf",  {{"out.xdf", longer}}},
        {"unchanged, over itself",                dd9, 0,   false, "disk.img", {}},
        {"unchanged, over itself",                dd8, 0,   false, "disk.img", {}},
        {"changed, header, over a short file",    dd8, 3,   true,  "out.img",  {{"out.img", "old"}}},
        {"changed, header, over itself",          xdf, 256, true,  "disk.img", {}},
    };
    // clang-format on
    for (const row& r : rows) {
        SCOPED_TRACE(std::string(r.what) + " " +
                     std::to_string(fat12_geometry(r.layout).image_size));
        fat12_test_image built = make_blank_fat12_image(r.layout);
        put_fat12_file(built, 3, file_name, first(old_data, 3000), {2, 3, 4});
        const byte_vector input = fat12_image_with_header(built, size_t(r.offset));
        fat12_test_image changed = built;
        if (r.overwrite)
            fill_fat12_clusters(changed, first(new_data, 3000), {2, 3, 4});

        temp_dir dir;
        make_entries(dir, r.before);
        opened_image opened = open_test_image(dir, input, r.offset);
        ASSERT_EQ(opened.result, 0);
        if (r.overwrite) {
            ASSERT_EQ(write_test_file(opened.image, "F.BIN", new_data, 3000, false).result, 0);
        }
        std::map<std::string, byte_vector> expected = snapshot(dir.path());
        expected[r.target] = fat12_image_with_header(changed, size_t(r.offset));

        write_result written = write_test_image(opened.image, dir.file(r.target));
        EXPECT_EQ(written.result, 0);
        EXPECT_EQ(written.out, "");
        EXPECT_TRUE(snapshot(dir.path()) == expected);
        // The record is left as it was.
        EXPECT_TRUE(buffer_of(opened.image) == expected[r.target]);
        free_fat12_image(&opened.image, false);
    }
}

// Each failure prints its line with the target path, returns -1 and leaves
// the folder exactly as it was: the old target byte for byte, no new file.
// Tests may run as root, so the failures come from the paths themselves.
TEST(Fat12WriteImage, FailuresLeaveTheOldFileAsItWas)
{
    struct row {
        const char* what;
        std::string target;
        entries before;  // made in the folder first
        const char* message;
        bool closed_record;  // write a record that holds no image
    };
    const entries old_file = {{"out.xdf", "old image"}};
    // clang-format off
    const row rows[] = {
        {"missing folder",                 "missing/out.xdf", {},                                        "open error",  false},
        {"non-empty folder at the target", "out.xdf",         {{"out.xdf/", ""}, {"out.xdf/k", "kept"}}, "open error",  false},
        {"closed record",                  "out.xdf",         old_file,                                  "write error", true},
    };
    // clang-format on
    fat12_test_image built = make_blank_fat12_image(xdf);
    put_fat12_file(built, 3, file_name, first(old_data, 3000), {2, 3, 4});
    for (const row& r : rows) {
        SCOPED_TRACE(r.what);
        temp_dir dir;
        opened_image opened = open_test_image(dir, fat12_image_with_header(built, 256), 256);
        ASSERT_EQ(opened.result, 0);
        make_entries(dir, r.before);
        const std::map<std::string, byte_vector> before = snapshot(dir.path());
        fat12_image closed;
        memset(&closed, 0, sizeof closed);
        const fat12_image& image = r.closed_record ? closed : opened.image;
        const std::string target = dir.file(r.target);

        write_result written = write_test_image(image, target);
        EXPECT_EQ(written.result, -1);
        EXPECT_EQ(written.out, std::string(r.message) + " '" + target + "'\n");
        EXPECT_TRUE(snapshot(dir.path()) == before);
        free_fat12_image(&opened.image, false);
    }
}

}  // namespace
