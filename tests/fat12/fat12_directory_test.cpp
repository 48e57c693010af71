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

}  // namespace
