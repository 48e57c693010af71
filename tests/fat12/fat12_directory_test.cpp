// Name keys and the directory search.
#include <gtest/gtest.h>

#include "capture_stdout.h"
#include "fat12_test_util.h"

namespace {

TEST(Fat12Names, MakeFatNameBuildsTheElevenByteKey)
{
    struct row {
        std::string name;
        std::string key;  // the 11 bytes
        int result;
    };
    const row rows[] = {
        {"TALKDATA.BIN", "TALKDATABIN", 0},
        {"A.B", "A       B  ", 0},
        {".BIN", "        BIN", 0},
        {"A.B.C", "A       B.C", 0},
        {"", "           ", 0},
        {"A.", "A          ", 0},
        {"ABCDEFGH", "ABCDEFGH   ", 0},
        {"talkdata.bin", "talkdatabin", 0},
        {"\xE5XY.Z", "\x05XY     Z  ", 0},
        {"\x83\x41\x83\x42.\x95\x5C", "\x83\x41\x83\x42    \x95\x5C ", 0},
        {"A\xE5.B", "A\xE5      B  ", 0},  // 0xE5 after the first byte stays
        {"A.\xE5", "A       \xE5  ", 0},
        {"\xE5\xE5", "\x05\xE5         ", 0},
        {".", "           ", 0},
        {"..", "        .  ", 0},
        {"...", "        .. ", 0},
        {"ABCDEFGHI.BIN", "ABCDEFGH   ", -1},
        {"A.BCDE", "A       BCD", -1},
        {"A.B.CD", "A       B.C", -1},
    };
    for (const row& r : rows) {
        SCOPED_TRACE(r.name);
        char key[12];
        memset(key, 'x', sizeof key);
        EXPECT_EQ(make_fat_name(key, r.name.c_str()), r.result);
        EXPECT_EQ(std::string(key, 12), r.key + '\0');
    }
}

// One image, names in many slots; each search gives the size stored in the
// entry that matches (unique per entry) or the failure lines.
TEST(Fat12Names, RootSearchComparesNamesAndFoldsAsciiLettersOnly)
{
    fat12_test_image built = make_blank_fat12_image(fat12_test_layout::xdf);
    const std::pair<int, std::string> entries[] = {
        {3, fat12_entry_name("TALKDATA", "BIN")},
        {5, fat12_entry_name("lower", "txt")},
        {7, fat12_entry_name("\xE5"
                             "DEL",
                             "")},                       // name beginning with 0xE5
        {9, std::string("\xE5") + "ONE    TXT"},         // a deleted entry
        {11, fat12_entry_name("\x83\x41\x83\xC1", "")},  // two-byte characters
        {191, fat12_entry_name("LAST", "")},             // the last root slot
    };
    for (const auto& entry : entries)
        put_fat12_dir_entry(built, entry.first, entry.second, 0, 1000u + unsigned(entry.first));
    // A name in the first data sector, just past the root directory.
    std::string past = fat12_entry_name("PAST", "");
    std::copy(past.begin(), past.end(), built.bytes.begin() + 11 * 1024);

    temp_dir dir;
    opened_image opened = open_test_image(dir, built.bytes);
    ASSERT_EQ(opened.result, 0);

    struct row {
        std::string name;
        bool ignore_case;
        std::string out;  // the result, then what was printed
    };
    const row rows[] = {
        {"TALKDATA.BIN", false, "1003"},
        {"TALKDATA.BIN", true, "1003"},
        {"talkdata.bin", true, "1003"},
        {"TalkData.Bin", true, "1003"},
        {"talkdata.bin", false, "-1can't find 'talkdata.bin'\n"},
        {"TalkData.Bin", false, "-1can't find 'TalkData.Bin'\n"},
        {"lower.txt", false, "1005"},
        {"LOWER.TXT", true, "1005"},
        {"LOWER.TXT", false, "-1can't find 'LOWER.TXT'\n"},
        {"\xE5"
         "DEL",
         false, "1007"},
        {"\x05"
         "DEL",
         false, "1007"},
        {"\xE5ONE.TXT", false, "-1can't find '\xE5ONE.TXT'\n"},
        {"\x83\x41\x83\xC1", false, "1011"},
        {"\x83\x61\x83\xC1", true, "1011"},  // trail byte 0x41 folds like the letter
        {"\x83\x61\x83\xC1", false, "-1can't find '\x83\x61\x83\xC1'\n"},
        {"\x83\x41\x83\xE1", true, "-1can't find '\x83\x41\x83\xE1'\n"},  // no fold above 0x7F
        {"LAST", false, "1191"},
        {"last", true, "1191"},
        {"PAST", false, "-1can't find 'PAST'\n"},
        {"TALKDATA.BINX", true, "-1illegal filename 'TALKDATA.BINX'\n"},
        {"TALKDATAX.BIN", true, "-1illegal filename 'TALKDATAX.BIN'\n"},
    };
    for (const row& r : rows) {
        SCOPED_TRACE(r.name);
        int size = 0;
        std::string out = capture_stdout(
            [&] { size = get_fat12_file_size(&opened.image, r.name.c_str(), r.ignore_case); });
        EXPECT_EQ(std::to_string(size) + out, r.out);
    }
    free_fat12_image(&opened.image, false);
}

TEST(Fat12Names, FindDirEntryWalksRootSectorsAndSubdirectoryChains)
{
    // 737,280 layout: 16 entries a sector, two sectors a cluster.
    fat12_test_image built = make_blank_fat12_image(fat12_test_layout::dd9);
    const std::string key = fat12_entry_name("FOUND", "");
    auto put_name = [&](size_t at) {
        std::copy(key.begin(), key.end(), built.bytes.begin() + long(at));
    };
    put_name(7 * 512 + 40 * 32);                          // root entry 40, third sector
    put_name(fat12_cluster_offset(built, 30) + 20 * 32);  // entry 20 of the subdirectory 10 -> 30
    put_name(fat12_cluster_offset(built, 12) + 0);        // subdirectory 12, no chain after it
    set_fat12_entry(built, 10, 30);
    set_fat12_entry(built, 30, 0xFFF);
    set_fat12_entry(built, 12, 0xFFF);
    set_fat12_entry(built, 14, 715);  // past the last data cluster
    temp_dir dir;
    opened_image opened = open_test_image(dir, built.bytes);
    ASSERT_EQ(opened.result, 0);
    const unsigned char* buffer = opened.image.buffer;

    struct row {
        int dir_cluster;
        int entry_count;
        bool ignore_case;
        long expected;  // offset of the entry in buffer, or -1
    };
    const row rows[] = {
        {-1, 41, false, 7 * 512 + 40 * 32},
        {-1, 40, false, -1},
        {0, 112, false, 7 * 512 + 40 * 32},
        {1, 112, true, 7 * 512 + 40 * 32},
        {10, 53, false, long(fat12_cluster_offset(built, 30)) + 20 * 32},
        {10, 52, false, -1},
        {10, 1000, false, long(fat12_cluster_offset(built, 30)) + 20 * 32},
        {12, 1, false, long(fat12_cluster_offset(built, 12))},
        {13, 1000, false, -1},   // the chain ends at a free entry
        {14, 1000, false, -1},   // the chain leaves the data area
        {715, 1000, false, -1},  // no such cluster
        {-1, 0, false, -1},
    };
    for (const row& r : rows) {
        SCOPED_TRACE(std::to_string(r.dir_cluster) + " " + std::to_string(r.entry_count));
        const unsigned char* entry = nullptr;
        std::string out = capture_stdout([&] {
            entry = find_dir_entry(&opened.image, r.dir_cluster, r.entry_count, key.c_str(),
                                   r.ignore_case);
        });
        EXPECT_EQ(entry == nullptr ? -1 : entry - buffer, r.expected);
        EXPECT_EQ(out, "");
    }
    // A count far beyond the root directory stops at the end of the image.
    const std::string absent = fat12_entry_name("ABSENT", "");
    EXPECT_EQ(find_dir_entry(&opened.image, -1, 1000000, absent.c_str(), true), nullptr);
    free_fat12_image(&opened.image, false);
}

// With ignore_case only the 26 ASCII letters fold. Pairs that differ in
// the same bit as a letter's two cases (0x20) stay different.
TEST(Fat12Names, IgnoreCaseFoldsNoOtherPair)
{
    struct row {
        unsigned char stored;
        unsigned char key;
        bool found;  // with ignore_case set; never with it clear
    };
    const row rows[] = {
        {'a', 'A', true},   {'A', 'a', true},    {'z', 'Z', true},   {'Z', 'z', true},
        {'@', '`', false},  {'`', '@', false},   {'[', '{', false},  {'{', '[', false},
        {'\\', '|', false}, {']', '}', false},   {'^', '~', false},  {'~', '^', false},
        {'_', 0x7F, false}, {0x7F, '_', false},  {' ', 0x00, false}, {0x00, ' ', false},
        {'0', 0x10, false}, {0xC1, 0xE1, false},
    };
    // Row i is stored in root slot i as "NN" (its number), the byte, "X".
    fat12_test_image built = make_blank_fat12_image(fat12_test_layout::xdf);
    auto name_of = [](int i, unsigned char c) {
        std::string name = fat12_entry_name("00X", "");
        name[0] = char('0' + i / 10);
        name[1] = char('0' + i % 10);
        name[2] = char(c);
        return name;
    };
    int count = int(sizeof rows / sizeof rows[0]);
    for (int i = 0; i < count; i++)
        put_fat12_dir_entry(built, i, name_of(i, rows[i].stored), 0, 0);
    temp_dir dir;
    opened_image opened = open_test_image(dir, built.bytes);
    ASSERT_EQ(opened.result, 0);
    for (int i = 0; i < count; i++) {
        SCOPED_TRACE(i);
        const std::string key = name_of(i, rows[i].key);
        const unsigned char* slot = opened.image.buffer + 5 * 1024 + i * 32;
        EXPECT_EQ(find_dir_entry(&opened.image, -1, 192, key.c_str(), true),
                  rows[i].found ? slot : nullptr);
        EXPECT_EQ(find_dir_entry(&opened.image, -1, 192, key.c_str(), false), nullptr);
    }
    free_fat12_image(&opened.image, false);
}

// In every layout the root search reaches the last slot and never the first
// data sector behind it, unless asked for one entry more.
TEST(Fat12Names, RootDirectoryEndsAtItsLastSlot)
{
    for (fat12_test_layout layout :
         {fat12_test_layout::xdf, fat12_test_layout::dd9, fat12_test_layout::dd8}) {
        const fat12_test_geometry& g = fat12_geometry(layout);
        SCOPED_TRACE(g.image_size);
        fat12_test_image built = make_blank_fat12_image(layout);
        put_fat12_dir_entry(built, 0, fat12_entry_name("FIRST", ""), 0, 7);
        put_fat12_dir_entry(built, g.root_entries - 1, fat12_entry_name("LAST", ""), 0, 9);
        const std::string past = fat12_entry_name("PAST", "");
        const size_t data_start = size_t(g.data_start * g.bytes_per_sector);
        std::copy(past.begin(), past.end(), built.bytes.begin() + long(data_start));
        temp_dir dir;
        opened_image opened = open_test_image(dir, built.bytes);
        ASSERT_EQ(opened.result, 0);

        std::string got;
        for (const char* name : {"FIRST", "LAST", "last", "PAST"}) {
            int size = 0;
            got += capture_stdout([&] { size = get_fat12_file_size(&opened.image, name, true); });
            got += std::to_string(size) + "\n";
        }
        EXPECT_EQ(got, "7\n9\n9\ncan't find 'PAST'\n-1\n");
        const unsigned char* buffer = opened.image.buffer;
        EXPECT_EQ(find_dir_entry(&opened.image, -1, g.root_entries, past.c_str(), false), nullptr);
        EXPECT_EQ(find_dir_entry(&opened.image, -1, g.root_entries + 1, past.c_str(), false),
                  buffer + data_start);
        free_fat12_image(&opened.image, false);
    }
}

// Subdirectory chains in the 737,280-byte layout (32 entries a cluster):
// up to the last data cluster, in a loop, ended by reserved, bad and end
// marks, and with a name that occurs twice.
TEST(Fat12Names, SubdirectoryChainsToTheirEnd)
{
    fat12_test_image built = make_blank_fat12_image(fat12_test_layout::dd9);
    auto put_name = [&](const std::string& key, int cluster, int entry) {
        size_t at = fat12_cluster_offset(built, cluster) + size_t(entry) * 32;
        std::copy(key.begin(), key.end(), built.bytes.begin() + long(at));
        return long(at);
    };
    const std::string last = fat12_entry_name("LASTCLUS", "");
    const std::string looped = fat12_entry_name("LOOPED", "");
    const std::string twice = fat12_entry_name("TWICE", "");
    const std::string absent = fat12_entry_name("ABSENT", "");
    const long in_last = put_name(last, 714, 31);  // second sector of cluster_count + 1
    set_fat12_entry(built, 20, 714);
    set_fat12_entry(built, 714, 0xFFF);
    const long in_loop = put_name(looped, 41, 3);
    set_fat12_entry(built, 40, 41);
    set_fat12_entry(built, 41, 40);
    const long first_twice = put_name(twice, 60, 30);
    const long second_twice = put_name(twice, 61, 0);
    set_fat12_entry(built, 60, 61);
    set_fat12_entry(built, 61, 0xFFF);
    const long pair_first = put_name(twice, 70, 2);
    put_name(twice, 70, 3);
    // A chain that ends at a mark, 0 or 1 included, is not continued in
    // the root directory, which a cluster below 2 stands for at the start.
    const std::string in_root = fat12_entry_name("INROOT", "");
    put_fat12_dir_entry(built, 0, in_root, 0, 0);
    const int marks[] = {0xFF0, 0xFF1, 0xFF6, 0xFF7, 0xFF8, 0xFFF, 0, 1};
    for (int i = 0; i < 8; i++)
        set_fat12_entry(built, 100 + i, marks[i]);
    temp_dir dir;
    opened_image opened = open_test_image(dir, built.bytes);
    ASSERT_EQ(opened.result, 0);

    struct row {
        int dir_cluster;
        int entry_count;
        std::string key;
        long expected;  // offset of the entry in buffer, or -1
    };
    std::vector<row> rows = {
        {20, 64, last, in_last},       {20, 63, last, -1},          {714, 32, last, in_last},
        {714, 31, last, -1},           {40, 36, looped, in_loop},   {40, 35, looped, -1},
        {41, 4, looped, in_loop},      {40, 1000000, absent, -1},   {60, 64, twice, first_twice},
        {61, 32, twice, second_twice}, {70, 32, twice, pair_first}, {1, 1, in_root, 7 * 512},
    };
    for (int i = 0; i < 8; i++)
        rows.push_back({100 + i, 1000, in_root, -1});
    for (const row& r : rows) {
        SCOPED_TRACE(std::to_string(r.dir_cluster) + " " + std::to_string(r.entry_count) + " " +
                     r.key);
        const unsigned char* entry = nullptr;
        std::string out = capture_stdout([&] {
            entry =
                find_dir_entry(&opened.image, r.dir_cluster, r.entry_count, r.key.c_str(), false);
        });
        EXPECT_EQ(entry == nullptr ? -1 : entry - opened.image.buffer, r.expected);
        EXPECT_EQ(out, "");
    }
    free_fat12_image(&opened.image, false);
}

}  // namespace
