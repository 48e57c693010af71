// Reading files along their cluster chains, and the address conversions.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "capture_stdout.h"
#include "fat12_test_util.h"

namespace {

const fat12_test_layout xdf = fat12_test_layout::xdf;
const fat12_test_layout dd9 = fat12_test_layout::dd9;
const fat12_test_layout dd8 = fat12_test_layout::dd8;

byte_vector part(const byte_vector& bytes, size_t from, size_t count)
{
    return byte_vector(bytes.begin() + long(from), bytes.begin() + long(from + count));
}

byte_vector join(std::initializer_list<byte_vector> parts)
{
    byte_vector all;
    for (const byte_vector& p : parts)
        all.insert(all.end(), p.begin(), p.end());
    return all;
}

byte_vector untouched(size_t count)
{
    return byte_vector(count, 0xAA);
}

const std::string file_name = fat12_entry_name("F", "BIN");
const byte_vector data = fat12_test_bytes(4096, 1);  // every cluster is 1,024 bytes

TEST(Fat12Read, FollowsTheChainAndReportsEveryBrokenOne)
{
    struct row {
        const char* what;
        fat12_test_layout layout;
        size_t size;  // of the file
        std::vector<int> clusters;
        int end_mark;
        size_t dest_size;
        int result;
        std::string out;
        byte_vector dest;
    };
    const row rows[] = {
        {"contiguous", xdf, 3000, {2, 3, 4}, 0xFFF, 3000, 0, "", part(data, 0, 3000)},
        {"contiguous", dd9, 3000, {2, 3, 4}, 0xFFF, 3000, 0, "", part(data, 0, 3000)},
        {"contiguous", dd8, 3000, {2, 3, 4}, 0xFFF, 3000, 0, "", part(data, 0, 3000)},
        {"fragmented", xdf, 3500, {40, 7, 300, 8}, 0xFF8, 3500, 0, "", part(data, 0, 3500)},
        {"fragmented", dd8, 3500, {40, 7, 300, 8}, 0xFF8, 3500, 0, "", part(data, 0, 3500)},
        {"half a sector", dd9, 1300, {9, 5}, 0xFFF, 1300, 0, "", part(data, 0, 1300)},
        {"larger dest",
         xdf,
         3000,
         {2, 3, 4},
         0xFFF,
         3100,
         0,
         "file size mismatch 'F.BIN' 3000 != 3100 ... ignored\n",
         join({part(data, 0, 3000), untouched(100)})},
        {"smaller dest",
         xdf,
         3000,
         {2, 3, 4},
         0xFFF,
         2999,
         -1,
         "file size error 'F.BIN' 3000 > 2999\n",
         untouched(2999)},
        {"empty file", xdf, 0, {}, 0, 0, 0, "", {}},
        {"empty file, larger dest",
         dd8,
         0,
         {},
         0,
         16,
         0,
         "file size mismatch 'F.BIN' 0 != 16 ... ignored\n",
         untouched(16)},
        {"end of chain early",
         xdf,
         3000,
         {2, 3},
         0xFFF,
         3000,
         -1,
         "illegal cluster 0xFFF\n",
         join({part(data, 0, 2048), untouched(952)})},
        {"bad cluster mark",
         dd9,
         3000,
         {2, 3},
         0xFF7,
         3000,
         -1,
         "illegal cluster 0xFF7\n",
         join({part(data, 0, 2048), untouched(952)})},
        {"free cluster in chain",
         dd8,
         3000,
         {2},
         0,
         3000,
         -1,
         "illegal cluster 0x0\n",
         join({part(data, 0, 1024), untouched(1976)})},
        {"reserved mark",
         xdf,
         3000,
         {2},
         0xFF0,
         3000,
         -1,
         "illegal cluster 0xFF0\n",
         join({part(data, 0, 1024), untouched(1976)})},
        {"loop",
         xdf,
         3072,
         {2, 3},
         2,
         3072,
         0,
         "",
         join({part(data, 0, 2048), part(data, 0, 1024)})},
        {"chain longer than file", dd9, 1500, {2, 3, 4}, 0xFF0, 1500, 0, "", part(data, 0, 1500)},
        {"last data clusters",
         xdf,
         3000,
         {1220, 1221, 1222},
         0xFFF,
         3000,
         0,
         "",
         part(data, 0, 3000)},
        {"last data clusters", dd9, 2000, {713, 714}, 0xFFF, 2000, 0, "", part(data, 0, 2000)},
        {"last data clusters", dd8, 2000, {634, 635}, 0xFFF, 2000, 0, "", part(data, 0, 2000)},
        {"past the data area",
         xdf,
         2000,
         {1222},
         1223,
         2000,
         -1,
         "can't get sector from cluster 0x4C7\n",
         join({part(data, 0, 1024), untouched(976)})},
        {"past the data area",
         dd9,
         2000,
         {714},
         715,
         2000,
         -1,
         "can't get sector from cluster 0x2CB\n",
         join({part(data, 0, 1024), untouched(976)})},
        {"past the data area",
         dd8,
         2000,
         {635},
         0xFEF,
         2000,
         -1,
         "can't get sector from cluster 0xFEF\n",
         join({part(data, 0, 1024), untouched(976)})},
    };
    for (const row& r : rows) {
        SCOPED_TRACE(r.what);
        // The chain holds what fits in its clusters; the size field may ask
        // for more.
        fat12_test_image built = make_blank_fat12_image(r.layout);
        size_t stored = std::min(r.size, r.clusters.size() * 1024);
        put_fat12_file(built, 4, file_name, part(data, 0, stored), r.clusters, r.end_mark);
        set_fat12_file_size(built, 4, unsigned(r.size));
        temp_dir dir;
        opened_image opened = open_test_image(dir, built.bytes);
        ASSERT_EQ(opened.result, 0);
        read_result read = read_test_file(opened.image, "F.BIN", r.dest_size);
        EXPECT_EQ(read.result, r.result);
        EXPECT_EQ(read.out, r.out);
        EXPECT_EQ(read.dest, r.dest);
        free_fat12_image(&opened.image, false);
    }
}

TEST(Fat12Read, FirstClusterAndNameFailures)
{
    fat12_test_image built = make_blank_fat12_image(xdf);
    put_fat12_dir_entry(built, 0, fat12_entry_name("ONE", ""), 1, 10);
    put_fat12_dir_entry(built, 1, fat12_entry_name("BEYOND", ""), 1223, 10);
    put_fat12_file(built, 2, fat12_entry_name("lower", "bin"), part(data, 0, 10), {2});
    temp_dir dir;
    opened_image opened = open_test_image(dir, built.bytes);
    ASSERT_EQ(opened.result, 0);

    struct row {
        std::string name;
        bool ignore_case;
        int result;
        std::string out;
        byte_vector dest;
    };
    const row rows[] = {
        {"ONE", false, -1, "illegal cluster 0x1\n", untouched(10)},
        {"BEYOND", false, -1, "can't get sector from cluster 0x4C7\n", untouched(10)},
        {"LOWER.BIN", true, 0, "", part(data, 0, 10)},
        {"LOWER.BIN", false, -1, "can't find 'LOWER.BIN'\n", untouched(10)},
        {"LOWERCASE.BIN", true, -1, "illegal filename 'LOWERCASE.BIN'\n", untouched(10)},
    };
    for (const row& r : rows) {
        SCOPED_TRACE(r.name);
        read_result read = read_test_file(opened.image, r.name, 10, r.ignore_case);
        EXPECT_EQ(read.result, r.result);
        EXPECT_EQ(read.out, r.out);
        EXPECT_EQ(read.dest, r.dest);
    }
    free_fat12_image(&opened.image, false);
}

// The size field is signed: a negative size is never larger than the
// destination, so nothing is copied; a negative destination size is smaller
// than any file of size 0 or more.
TEST(Fat12Read, SignedFileAndDestinationSizes)
{
    struct row {
        unsigned size_field;
        int dest_size;         // the destination itself always has 16 bytes
        std::string size_out;  // get_fat12_file_size: result, then what it printed
        int result;
        std::string out;
        byte_vector dest;
    };
    const row rows[] = {
        {10, 16, "10", 0, "file size mismatch 'F.BIN' 10 != 16 ... ignored\n",
         join({part(data, 0, 10), untouched(6)})},
        {0x80000000u, 16, "-2147483648", 0,
         "file size mismatch 'F.BIN' -2147483648 != 16 ... ignored\n", untouched(16)},
        {0xFFFFFFFEu, 0, "-2", 0, "file size mismatch 'F.BIN' -2 != 0 ... ignored\n",
         untouched(16)},
        {0xFFFFFFFFu, 16, "-1", 0, "file size mismatch 'F.BIN' -1 != 16 ... ignored\n",
         untouched(16)},
        {10, -1, "10", -1, "file size error 'F.BIN' 10 > -1\n", untouched(16)},
        {0, -1, "0", -1, "file size error 'F.BIN' 0 > -1\n", untouched(16)},
        {10, -2147483647 - 1, "10", -1, "file size error 'F.BIN' 10 > -2147483648\n",
         untouched(16)},
        {0x80000000u, -1, "-2147483648", 0,
         "file size mismatch 'F.BIN' -2147483648 != -1 ... ignored\n", untouched(16)},
        {0xFFFFFFFEu, -5, "-2", -1, "file size error 'F.BIN' -2 > -5\n", untouched(16)},
        {0xFFFFFFFFu, -1, "-1", 0, "", untouched(16)},
        {0x80000000u, -2147483647 - 1, "-2147483648", 0, "", untouched(16)},
    };
    for (const row& r : rows) {
        SCOPED_TRACE(std::to_string(r.size_field) + " " + std::to_string(r.dest_size));
        fat12_test_image built = make_blank_fat12_image(xdf);
        put_fat12_file(built, 0, file_name, part(data, 0, 10), {2});
        set_fat12_file_size(built, 0, r.size_field);
        temp_dir dir;
        opened_image opened = open_test_image(dir, built.bytes);
        ASSERT_EQ(opened.result, 0);
        int size = 0;
        std::string size_out =
            capture_stdout([&] { size = get_fat12_file_size(&opened.image, "F.BIN", false); });
        EXPECT_EQ(std::to_string(size) + size_out, r.size_out);
        byte_vector dest = untouched(16);
        int result = 0;
        std::string out = capture_stdout([&] {
            result = read_fat12_file(&opened.image, "F.BIN", dest.data(), r.dest_size, false);
        });
        EXPECT_EQ(result, r.result);
        EXPECT_EQ(out, r.out);
        EXPECT_EQ(dest, r.dest);
        free_fat12_image(&opened.image, false);
    }
}

TEST(Fat12Address, ConvertsBetweenClustersSectorsAndPhysicalAddresses)
{
    struct row {
        fat12_test_layout layout;
        int cluster;
        int sector;                  // cluster_to_sector
        int cylinder, head, record;  // cluster_to_chs
    };
    const row rows[] = {
        {xdf, 2, 11, 0, 1, 4},    {xdf, 3, 12, 0, 1, 5}, {xdf, 1222, 1231, 76, 1, 8},
        {xdf, 1223, -1, 0, 0, 0}, {xdf, 1, -1, 0, 0, 0}, {xdf, -5, -1, 0, 0, 0},
        {dd9, 2, 14, 0, 1, 6},    {dd9, 3, 16, 0, 1, 8}, {dd9, 714, 1438, 79, 1, 8},
        {dd9, 715, -1, 0, 0, 0},  {dd8, 2, 12, 0, 1, 5}, {dd8, 635, 1278, 79, 1, 7},
        {dd8, 636, -1, 0, 0, 0},
    };
    for (const row& r : rows) {
        SCOPED_TRACE(r.cluster);
        temp_dir dir;
        opened_image opened = open_test_image(dir, make_blank_fat12_image(r.layout).bytes);
        ASSERT_EQ(opened.result, 0);
        const fat12_image* image = &opened.image;
        int c = -9, h = -9, s = -9;
        cluster_to_chs(image, r.cluster, &c, &h, &s);
        EXPECT_EQ((std::vector<int>{cluster_to_sector(image, r.cluster), c, h, s}),
                  (std::vector<int>{r.sector, r.cylinder, r.head, r.record}));
        if (r.sector >= 0) {
            int index = -9, chs_index = -9;
            EXPECT_EQ(sector_to_cluster(image, r.sector, &index), r.cluster);
            EXPECT_EQ(chs_to_cluster(image, c, h, s, &chs_index), r.cluster);
            EXPECT_EQ((std::vector<int>{index, chs_index}), (std::vector<int>{0, 0}));
        }
        free_fat12_image(&opened.image, false);
    }

    // Second sectors of a cluster, sectors before the data area, and the
    // byte position of a sector behind a header.
    temp_dir dir;
    byte_vector with_header = fat12_image_with_header(make_blank_fat12_image(dd9), 100);
    opened_image opened = open_test_image(dir, with_header, 100);
    ASSERT_EQ(opened.result, 0);
    struct sector_row {
        int sector;
        int cluster;
        int index;
    };
    const sector_row sector_rows[] = {
        {14, 2, 0}, {15, 2, 1}, {1439, 714, 1}, {13, 2, -1}, {11, 1, -1}};
    for (const sector_row& r : sector_rows) {
        int index = -9;
        EXPECT_EQ((std::vector<int>{sector_to_cluster(&opened.image, r.sector, &index), index}),
                  (std::vector<int>{r.cluster, r.index}));
    }
    EXPECT_EQ(sector_to_cluster(&opened.image, 15, nullptr), 2);
    EXPECT_EQ(chs_to_cluster(&opened.image, 0, 1, 7, nullptr), 2);
    EXPECT_EQ(get_sector_offset(&opened.image, 14), 100 + 14 * 512);
    EXPECT_EQ(get_sector_offset(&opened.image, 0), 100);
    free_fat12_image(&opened.image, false);
}

// Sector 0 of a track stands for the last sector of the track before it;
// sectors before the data area give cluster numbers below 2, and the index
// keeps the sign of the distance to the data area.
TEST(Fat12Address, PhysicalAddressesOutsideTheDataArea)
{
    struct row {
        fat12_test_layout layout;
        int cylinder, head, sector;
        int cluster, index;
    };
    const row rows[] = {
        {xdf, 0, 1, 0, -2, 0},  {xdf, 0, 1, 3, 1, 0},   {xdf, 0, 0, 0, -10, 0},
        {xdf, 1, 0, 0, 6, 0},   {dd9, 0, 0, 0, -5, -1}, {dd9, 0, 1, 0, -1, 0},
        {dd9, 0, 1, 5, 2, -1},  {dd9, 1, 0, 0, 3, 1},   {dd9, 79, 1, 9, 714, 1},
        {dd8, 0, 0, 0, -4, -1}, {dd8, 0, 1, 0, 0, -1},  {dd8, 0, 1, 5, 2, 0},
        {dd8, 0, 1, 6, 2, 1},   {dd8, 1, 0, 0, 3, 1},   {dd8, 79, 1, 8, 635, 1},
    };
    for (const row& r : rows) {
        SCOPED_TRACE(std::to_string(r.cylinder) + "/" + std::to_string(r.head) + "/" +
                     std::to_string(r.sector));
        temp_dir dir;
        opened_image opened = open_test_image(dir, make_blank_fat12_image(r.layout).bytes);
        ASSERT_EQ(opened.result, 0);
        int index = -9;
        int cluster = chs_to_cluster(&opened.image, r.cylinder, r.head, r.sector, &index);
        EXPECT_EQ((std::vector<int>{cluster, index}), (std::vector<int>{r.cluster, r.index}));
        free_fat12_image(&opened.image, false);
    }
}

// The 655,360-byte layout behind a header: byte positions of its areas, and
// clusters of its sectors.
TEST(Fat12Address, SectorPositionsOfThe655360ByteLayout)
{
    const fat12_test_image built = make_blank_fat12_image(dd8);
    temp_dir dir;
    opened_image opened = open_test_image(dir, fat12_image_with_header(built, 64), 64);
    ASSERT_EQ(opened.result, 0);
    struct row {
        int sector;
        int position;  // get_sector_offset
        int cluster, index;
    };
    const row rows[] = {
        {0, 64, -4, 0},            // boot sector
        {1, 64 + 0x200, -3, -1},   // FAT copy 1
        {3, 64 + 0x600, -2, -1},   // FAT copy 2
        {5, 64 + 0xA00, -1, -1},   // root directory
        {11, 64 + 0x1600, 2, -1},  // last root sector
        {12, 64 + 0x1800, 2, 0},   // cluster 2
        {13, 64 + 0x1A00, 2, 1},
        {14, 64 + 0x1C00, 3, 0},
        {1279, 64 + 0x9FE00, 635, 1},  // last sector of the image
    };
    for (const row& r : rows) {
        SCOPED_TRACE(r.sector);
        int index = -9;
        int cluster = sector_to_cluster(&opened.image, r.sector, &index);
        EXPECT_EQ((std::vector<int>{get_sector_offset(&opened.image, r.sector), cluster, index}),
                  (std::vector<int>{r.position, r.cluster, r.index}));
    }
    // The last sector's bytes are those of the built image.
    int last = get_sector_offset(&opened.image, 1279);
    EXPECT_EQ(byte_vector(opened.image.buffer + last, opened.image.buffer + last + 512),
              part(built.bytes, 0x9FE00, 512));
    free_fat12_image(&opened.image, false);
}

// A closed record has no geometry: every conversion gives its failure value
// and writes every out-parameter it was given.
TEST(Fat12Address, ClosedRecord)
{
    fat12_image closed;
    memset(&closed, 0, sizeof closed);
    int index = -9, chs_index = -9, c = -9, h = -9, s = -9;
    std::vector<int> got = {
        cluster_to_sector(&closed, 2),
        sector_to_cluster(&closed, 11, &index),
        chs_to_cluster(&closed, 0, 1, 4, &chs_index),
        get_fat_entry(&closed, 0),
        get_sector_offset(&closed, 5),
    };
    cluster_to_chs(&closed, 2, &c, &h, &s);
    got.insert(got.end(), {index, chs_index, c, h, s});
    EXPECT_EQ(got, (std::vector<int>{-1, -1, -1, -1, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(sector_to_cluster(&closed, 11, nullptr), -1);
    EXPECT_EQ(chs_to_cluster(&closed, 0, 1, 4, nullptr), -1);
    EXPECT_EQ(find_dir_entry(&closed, -1, 192, "TALKDATABIN", true), nullptr);
    read_result read = read_test_file(closed, "TALKDATA.BIN", 8, true);
    EXPECT_EQ(read.out + std::to_string(read.result), "can't find 'TALKDATA.BIN'\n-1");
    EXPECT_EQ(read.dest, untouched(8));
}

TEST(Fat12Address, LittleEndianFields)
{
    const unsigned char bytes[] = {0x01, 0x82, 0xF3, 0xA4, 0x55};
    EXPECT_EQ(fat12::read_le16(bytes), 0x8201u);
    EXPECT_EQ(fat12::read_le16(bytes + 1), 0xF382u);
    EXPECT_EQ(fat12::read_le32(bytes), 0xA4F38201u);
    EXPECT_EQ(fat12::read_le32(bytes + 1), 0x55A4F382u);
}

}  // namespace

namespace {

// The builder never drops bytes: a file whose data the clusters cannot hold
// is refused and the image stays as it was.
TEST(Fat12Builder, RefusesDataThatDoesNotFitItsClusters)
{
    struct row {
        fat12_test_layout layout;
        size_t size;
        std::vector<int> clusters;
        bool refused;
    };
    const row rows[] = {
        {xdf, 2048, {2, 3}, false}, {xdf, 2049, {2, 3}, true}, {dd9, 1024, {9}, false},
        {dd9, 1025, {9}, true},     {dd8, 0, {}, false},       {dd8, 1, {}, true},
    };
    for (const row& r : rows) {
        SCOPED_TRACE(r.size);
        fat12_test_image built = make_blank_fat12_image(r.layout);
        const byte_vector blank = built.bytes;
        bool refused = false;
        try {
            put_fat12_file(built, 0, file_name, part(data, 0, r.size), r.clusters);
        } catch (const std::invalid_argument&) {
            refused = true;
        }
        EXPECT_EQ(refused, r.refused);
        EXPECT_EQ(built.bytes == blank, r.refused);
    }
}

}  // namespace
