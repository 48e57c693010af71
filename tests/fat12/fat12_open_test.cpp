// Opening images: the layout chosen by exact size, the FAT decoded once,
// every failure of opening, and releasing.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#include "capture_stdout.h"
#include "fat12_test_util.h"

#ifdef __linux__
#include <unistd.h>
#endif

namespace {

std::vector<int> expected_fields(int offset, int size, const std::vector<int>& layout)
{
    std::vector<int> fields = {offset, size};
    fields.insert(fields.end(), layout.begin(), layout.end());
    return fields;
}

// cluster_count, cylinders, heads, spt, bps, total, fat_start, fat_sectors,
// root_start, root_entries, root_sectors, data_start, spc
const std::vector<int> xdf_row = {1221, 77, 2, 8, 1024, 1232, 1, 2, 5, 192, 6, 11, 1};
const std::vector<int> dd9_row = {713, 80, 2, 9, 512, 1440, 1, 3, 7, 112, 7, 14, 2};
const std::vector<int> dd8_row = {634, 80, 2, 8, 512, 1280, 1, 2, 5, 112, 7, 12, 2};

bool all_zero(const fat12_image& image)
{
    fat12_image zero;
    memset(&zero, 0, sizeof zero);
    return memcmp(&image, &zero, sizeof zero) == 0;
}

TEST(Fat12Open, ChoosesTheLayoutByExactSizeAndSkipsTheHeader)
{
    struct row {
        fat12_test_layout layout;
        int offset;
        std::vector<int> fields;
    };
    const row rows[] = {
        {fat12_test_layout::xdf, 0, expected_fields(0, 1261568, xdf_row)},
        {fat12_test_layout::dd9, 0, expected_fields(0, 737280, dd9_row)},
        {fat12_test_layout::dd8, 0, expected_fields(0, 655360, dd8_row)},
        {fat12_test_layout::xdf, 256, expected_fields(256, 1261824, xdf_row)},
        {fat12_test_layout::dd9, 3, expected_fields(3, 737283, dd9_row)},
    };
    for (const row& r : rows) {
        SCOPED_TRACE(r.offset);
        fat12_test_image built = make_blank_fat12_image(r.layout);
        byte_vector data = fat12_test_bytes(3000, 7);
        put_fat12_file(built, 0, "FILE    BIN", data, {5, 3, 4});
        byte_vector bytes = fat12_image_with_header(built, static_cast<size_t>(r.offset));

        temp_dir dir;
        opened_image opened = open_test_image(dir, bytes, r.offset);
        ASSERT_EQ(opened.result, 0);
        EXPECT_EQ(opened.out, "");
        EXPECT_EQ(fat12_fields(opened.image), r.fields);
        EXPECT_EQ(byte_vector(opened.image.buffer, opened.image.buffer + bytes.size()), bytes);
        read_result read = read_test_file(opened.image, "FILE.BIN", 3000);
        EXPECT_EQ(read.out, "");
        EXPECT_EQ(read.dest, data);
        free_fat12_image(&opened.image, false);
        EXPECT_TRUE(all_zero(opened.image));
    }
}

// Opening from bytes the record takes over: the messages name the image
// as the caller does, and a failed open releases the bytes (the leak
// checker sees any left behind).
TEST(Fat12Open, FromABufferTheRecordTakesOver)
{
    struct row {
        size_t header;   // bytes before the image
        size_t trailer;  // bytes after it
        int offset;
        int result;
        std::string out;
    };
    // clang-format off
    const row rows[] = {
        {0,   0, 0,   0,  ""},
        {256, 0, 256, 0,  ""},
        {256, 0, 0,   -1, "unsupported image 'memory image'\n"},
        {0,   1, 0,   -1, "unsupported image 'memory image'\n"},
        {0,   0, -1,  -1, "unsupported image 'memory image'\n"},
    };
    // clang-format on
    fat12_test_image built = make_blank_fat12_image(fat12_test_layout::dd9);
    const byte_vector data = fat12_test_bytes(2000, 9);
    put_fat12_file(built, 0, "FILE    BIN", data, {2, 3});
    for (const row& r : rows) {
        SCOPED_TRACE(std::to_string(r.header) + " " + std::to_string(r.trailer) + " " +
                     std::to_string(r.offset));
        byte_vector bytes = fat12_image_with_header(built, r.header);
        bytes.resize(bytes.size() + r.trailer, 0);
        uint8_t* owned = static_cast<uint8_t*>(malloc(bytes.size()));
        memcpy(owned, bytes.data(), bytes.size());
        fat12_image image;
        memset(&image, 0xFF, sizeof image);
        int result = 0;
        std::string out = capture_stdout([&] {
            result =
                open_fat12_image_buffer(&image, "memory image", owned, int(bytes.size()), r.offset);
        });
        EXPECT_EQ(result, r.result);
        EXPECT_EQ(out, r.out);
        if (result == 0) {
            EXPECT_EQ(fat12_fields(image), expected_fields(r.offset, int(bytes.size()), dd9_row));
            EXPECT_EQ(read_test_file(image, "FILE.BIN", 2000).dest, data);
        }
        free_fat12_image(&image, false);
        EXPECT_TRUE(all_zero(image));
    }
}

TEST(Fat12Open, FailuresPrintTheirLineAndLeaveTheRecordClosed)
{
    struct row {
        const char* what;
        size_t size;  // of a file of zeros; 0 makes an empty file
        int offset;
        const char* out;  // %s is the path
    };
    const row rows[] = {
        {"empty file", 0, 0, "read error '%s'\n"},
        {"one byte", 1, 0, "unsupported image '%s'\n"},
        {"xdf - 1", 1261567, 0, "unsupported image '%s'\n"},
        {"xdf + 1", 1261569, 0, "unsupported image '%s'\n"},
        {"737,280 - 1", 737279, 0, "unsupported image '%s'\n"},
        {"737,280 + 1", 737281, 0, "unsupported image '%s'\n"},
        {"655,360 - 1", 655359, 0, "unsupported image '%s'\n"},
        {"655,360 + 1", 655361, 0, "unsupported image '%s'\n"},
        {"xdf size with offset", 1261568, 256, "unsupported image '%s'\n"},
        {"header shorter than offset", 1261568 + 255, 256, "unsupported image '%s'\n"},
        {"negative offset", 1261568 - 256, -256, "unsupported image '%s'\n"},
    };
    for (const row& r : rows) {
        SCOPED_TRACE(r.what);
        temp_dir dir;
        opened_image opened = open_test_image(dir, byte_vector(r.size, 0), r.offset);
        char expected[512];
        snprintf(expected, sizeof expected, r.out, opened.path.c_str());
        EXPECT_EQ(opened.result, -1);
        EXPECT_EQ(opened.out, expected);
        EXPECT_TRUE(all_zero(opened.image));
    }
}

TEST(Fat12Open, FilesThatCannotBeReadWhole)
{
    temp_dir dir;
    fat12_image image;
    memset(&image, 0xFF, sizeof image);  // opening does not trust what the record held
    std::string missing = dir.file("missing.xdf");
    std::string out =
        capture_stdout([&] { EXPECT_EQ(read_fat12_image_file(&image, missing.c_str(), 0), -1); });
    EXPECT_EQ(out, "open error '" + missing + "'\n");
    EXPECT_TRUE(all_zero(image));

#ifdef __linux__
    // A pipe cannot seek.
    int ends[2];
    ASSERT_EQ(pipe(ends), 0);
    std::string pipe_path = "/proc/self/fd/" + std::to_string(ends[0]);
    out =
        capture_stdout([&] { EXPECT_EQ(read_fat12_image_file(&image, pipe_path.c_str(), 0), -1); });
    close(ends[0]);
    close(ends[1]);
    EXPECT_EQ(out, "seek error '" + pipe_path + "' (SEEK_END)\n");
    EXPECT_TRUE(all_zero(image));

    // A sparse file larger than a 32-bit size: refused before any allocation.
    std::string huge = dir.file("huge.xdf");
    write_file(huge, byte_vector{});
    std::filesystem::resize_file(huge, 0x80000000ull + 1261568);
    out = capture_stdout([&] { EXPECT_EQ(read_fat12_image_file(&image, huge.c_str(), 0), -1); });
    EXPECT_EQ(out, "read error '" + huge + "'\n");
    EXPECT_TRUE(all_zero(image));
#endif
}

TEST(Fat12LoadFat, DecodesEveryEntryUpToTheLastDataCluster)
{
    struct row {
        fat12_test_layout layout;
        int media_entry;
        int last;  // cluster_count + 1
    };
    const row rows[] = {
        {fat12_test_layout::xdf, 0xFFE, 1222},
        {fat12_test_layout::dd9, 0xFF9, 714},
        {fat12_test_layout::dd8, 0xFFB, 635},
    };
    for (const row& r : rows) {
        SCOPED_TRACE(r.last);
        fat12_test_image built = make_blank_fat12_image(r.layout);
        const std::vector<std::pair<int, int>> set = {
            {2, 0xABC}, {3, 0x123}, {4, 0xFFF},          {5, 0x800},
            {6, 0x0F0}, {7, 0x00F}, {r.last - 1, 0xFF7}, {r.last, 0xFF8}};
        for (const auto& entry : set)
            set_fat12_entry(built, entry.first, entry.second);
        temp_dir dir;
        opened_image opened = open_test_image(dir, built.bytes);
        ASSERT_EQ(opened.result, 0);

        std::vector<int> got;
        for (int cluster : {-1, 0, 1, 2, 3, 4, 5, 6, 7, 8, r.last - 1, r.last, r.last + 1})
            got.push_back(get_fat_entry(&opened.image, cluster));
        std::vector<int> want = {-1,    r.media_entry, 0xFFF, 0xABC, 0x123, 0xFFF, 0x800,
                                 0x0F0, 0x00F,         0,     0xFF7, 0xFF8, -1};
        EXPECT_EQ(got, want);
        free_fat12_image(&opened.image, false);
    }
}

// Only the first FAT copy is read: a second copy that is empty, or names
// another chain, changes nothing, and a second copy cannot mend the first.
TEST(Fat12LoadFat, FollowsTheFirstFatCopy)
{
    using changes = std::vector<std::pair<int, int>>;  // cluster, entry
    struct row {
        const char* what;
        changes first;   // applied to copy 1 after the file was placed in both
        changes second;  // applied to copy 2
        int result;
        std::string out;
        size_t copied;  // bytes of the file in the destination
    };
    const row rows[] = {
        {"copies equal", {}, {}, 0, "", 3000},
        {"copy 2 empty", {}, {{2, 0}, {3, 0}, {4, 0}}, 0, "", 3000},
        {"copy 2 another chain", {}, {{2, 10}, {10, 11}, {11, 0xFFF}}, 0, "", 3000},
        {"copy 2 ends early", {}, {{3, 0xFFF}}, 0, "", 3000},
        {"copy 1 ends early", {{3, 0xFFF}}, {}, -1, "illegal cluster 0xFFF\n", 2048},
        {"copy 1 leaves the data",
         {{2, 1223}},
         {},
         -1,
         "can't get sector from cluster 0x4C7\n",
         1024},
    };
    const byte_vector data = fat12_test_bytes(3000, 3);
    const byte_vector other = fat12_test_bytes(2048, 4);
    for (fat12_test_layout layout :
         {fat12_test_layout::xdf, fat12_test_layout::dd9, fat12_test_layout::dd8}) {
        for (const row& r : rows) {
            SCOPED_TRACE(std::to_string(fat12_geometry(layout).image_size) + " " + r.what);
            fat12_test_image built = make_blank_fat12_image(layout);
            put_fat12_file(built, 0, "F       BIN", data, {2, 3, 4});
            put_fat12_file(built, 1, "OTHER      ", other, {10, 11}, 0xFFF,
                           fat12_fat_copies::second_only);
            for (const auto& change : r.first)
                set_fat12_entry(built, change.first, change.second, fat12_fat_copies::first_only);
            for (const auto& change : r.second)
                set_fat12_entry(built, change.first, change.second, fat12_fat_copies::second_only);
            temp_dir dir;
            opened_image opened = open_test_image(dir, built.bytes);
            ASSERT_EQ(opened.result, 0);
            read_result read = read_test_file(opened.image, "F.BIN", 3000);
            byte_vector expected(data.begin(), data.begin() + long(r.copied));
            expected.resize(3000, 0xAA);
            EXPECT_EQ(read.result, r.result);
            EXPECT_EQ(read.out, r.out);
            EXPECT_EQ(read.dest, expected);
            // OTHER's chain is in copy 2 alone.
            EXPECT_EQ((std::vector<int>{get_fat_entry(&opened.image, 10),
                                        get_fat_entry(&opened.image, 11)}),
                      (std::vector<int>{0, 0}));
            free_fat12_image(&opened.image, false);
        }
    }
}

// The FAT must hold an entry for every cluster number from 0 to
// cluster_count + 1. With one FAT sector a 1,024-byte sector holds 682
// entries and a 512-byte one 341; one sector more of data area tips the
// count over.
TEST(Fat12LoadFat, CapacityCheckAtItsBoundary)
{
    struct row {
        fat12_test_layout layout;
        int total_sectors;  // with fat_sectors 1
        int result;
        std::string out;
        int cluster_count;
    };
    const row rows[] = {
        {fat12_test_layout::xdf, 691, 0, "", 680},
        {fat12_test_layout::xdf, 692, -1, "can't calculate FAT size\n", 681},
        {fat12_test_layout::xdf, 1232, -1, "can't calculate FAT size\n", 1221},
        {fat12_test_layout::dd9, 693, 0, "", 339},
        {fat12_test_layout::dd9, 694, -1, "can't calculate FAT size\n", 340},
        {fat12_test_layout::dd8, 691, 0, "", 339},
        {fat12_test_layout::dd8, 692, -1, "can't calculate FAT size\n", 340},
    };
    for (const row& r : rows) {
        SCOPED_TRACE(std::to_string(fat12_geometry(r.layout).image_size) + " " +
                     std::to_string(r.total_sectors));
        const int last = r.cluster_count + 1;
        fat12_test_image built = make_blank_fat12_image(r.layout);
        set_fat12_entry(built, 2, 0x123);
        set_fat12_entry(built, last - 1, 0xFF7);
        set_fat12_entry(built, last, 0xABC);
        temp_dir dir;
        opened_image opened = open_test_image(dir, built.bytes);
        ASSERT_EQ(opened.result, 0);

        fat12_image copy = opened.image;
        copy.fat = nullptr;
        copy.fat_sectors = 1;
        copy.total_sectors = r.total_sectors;
        int result = 0;
        std::string out = capture_stdout([&] { result = load_fat(&copy); });
        EXPECT_EQ(result, r.result);
        EXPECT_EQ(out, r.out);
        EXPECT_EQ(copy.cluster_count, r.cluster_count);
        if (r.result == 0) {
            // The last entry lies at the end of the one FAT sector.
            EXPECT_EQ(
                (std::vector<int>{get_fat_entry(&copy, 2), get_fat_entry(&copy, last - 1),
                                  get_fat_entry(&copy, last), get_fat_entry(&copy, last + 1)}),
                (std::vector<int>{0x123, 0xFF7, 0xABC, -1}));
            free(copy.fat);
        } else {
            EXPECT_EQ(copy.fat, nullptr);
        }
        free_fat12_image(&opened.image, false);
    }
}

TEST(Fat12LoadFat, RefusesARecordItCannotDecode)
{
    temp_dir dir;
    opened_image opened =
        open_test_image(dir, make_blank_fat12_image(fat12_test_layout::xdf).bytes);
    ASSERT_EQ(opened.result, 0);
    fat12_image copy = opened.image;
    copy.fat = nullptr;

    // Without a buffer, or with sectors past the buffer's end: no message.
    copy.buffer = nullptr;
    std::string out = capture_stdout([&] { EXPECT_EQ(load_fat(&copy), -1); });
    copy.buffer = opened.image.buffer;
    copy.total_sectors = 1233;
    out += capture_stdout([&] { EXPECT_EQ(load_fat(&copy), -1); });
    EXPECT_EQ(out, "");
    EXPECT_EQ(copy.fat, nullptr);
    free_fat12_image(&opened.image, false);
}

TEST(Fat12Free, ReleasesAHeapRecordOrZeroFillsALocalOne)
{
    temp_dir dir;
    fat12_test_image built = make_blank_fat12_image(fat12_test_layout::dd8);
    std::string path = dir.file("a.img");
    write_file(path, built.bytes);
    fat12_image* heap = static_cast<fat12_image*>(malloc(sizeof(fat12_image)));
    ASSERT_EQ(read_fat12_image_file(heap, path.c_str(), 0), 0);
    EXPECT_EQ(heap->cluster_count, 634);
    free_fat12_image(heap, true);  // the leak checker sees anything left behind

    fat12_image local;
    ASSERT_EQ(read_fat12_image_file(&local, path.c_str(), 0), 0);
    free_fat12_image(&local, false);
    EXPECT_TRUE(all_zero(local));
    free_fat12_image(&local, false);  // a closed record may be freed again
    EXPECT_TRUE(all_zero(local));
}

}  // namespace
