// The walk over the 256 records: the common layout, the question block,
// the order of fetching and what a failing record leaves printed.
#include <gtest/gtest.h>

#include "listing_harness.h"

namespace {

// The DOS record of the worked example: Ann the smith.
byte_vector ann_the_smith()
{
    talk_slot_texts texts = {
        "Ann",          "She",   "a smith", "I forge\nblades.", "Fine.", "FORGE",
        "I work here.", "BLADE", "Sharp.",  "Art thou brave?",  "Good.", "Pity."};
    return make_talk_record(talk_edition::dos, {0x03, 0x1A, 0x00}, texts);
}

const char ann_the_smith_body[] =
    "\t\t03 1A 00\n"
    "\tname:\tAnn\n"
    "\tpronoun:\tShe\n"
    "\tlook:\ta smith\n"
    "\tjob:\tI forge\n"
    "\t\tblades.\n"
    "\tquestion:\n"
    "\t\tArt thou brave?\n"
    "\tyes:\tGood.\n"
    "\tno:\tPity.\n"
    "\thealth:\tFine.\n"
    "\tword1:\tFORGE\n"
    "\t\tI work here.\n"
    "\tword2:\tBLADE\n"
    "\t\tSharp.\n"
    "\n";

TEST(ListingWalk, DosExampleListsAll256RecordsInTownOrder)
{
    byte_vector buffer =
        make_talk_buffer(talk_edition::dos, [](int, int) { return ann_the_smith(); });
    listing_run run = list_buffer(talk_profile_dos, buffer);
    EXPECT_EQ(run.result, 0);
    EXPECT_EQ(run.out, repeated_listing(ann_the_smith_body));
}

TEST(ListingWalk, JapaneseExamplesPrintTheirCharacters)
{
    talk_slot_texts pc_texts = {"\x41\xB1\x0A\x96", "", "", "", "", "", "", "", "", "", "", ""};
    listing_run pc = list_one_record(
        talk_profile_pc8801, make_talk_record(talk_edition::pc8801, {0, 0, 0, 0}, pc_texts));
    const std::string empty_tail =
        "\t\x91\xE3\x96\xBC\x8E\x8C:\t\n"  // pronoun
        "\t\x8C\xA9\x82\xE9:\t\n"          // look
        "\t\x8E\x64\x8E\x96:\t\n"          // job
        "\t\x82\xA9\x82\xE7\x82\xBE:\t\n"  // health
        "\t\x89\xEF\x98\x62"
        "1:\t\n"  // keyword 1
        "\t\t\n"  // reply 1
        "\t\x89\xEF\x98\x62"
        "2:\t\n"                           // keyword 2
        "\t\t\n"                           // reply 2
        "\t\x8E\xBF\x96\xE2:\t\n"          // question
        "\t\x82\xCD\x82\xA2:\t\n"          // yes
        "\t\x82\xA2\x82\xA2\x82\xA6:\t\n"  // no
        "\n";
    EXPECT_EQ(pc.out, heading(0, 0) +
                          "\t\t00 00 00 00\n\t\x96\xBC\x91\x4F:\t\x82\x60\x82\xA0\n\t\t\x83\x4A\n" +
                          empty_tail + one_record_end);

    talk_slot_texts x_texts = {"\x41\x82\xA0", "", "", "", "", "", "", "", "", "", "", ""};
    listing_run x = list_one_record(talk_profile_x68000,
                                    make_talk_record(talk_edition::x68000, {0, 0, 0, 0}, x_texts));
    EXPECT_EQ(x.out, heading(0, 0) + "\t\t00 00 00 00\n\t\x96\xBC\x91\x4F:\t\x82\x60\x82\xA0\n" +
                         empty_tail + one_record_end);
}

// Texts "0" to "9", "A", "B" in display slots 0 to 11 make the order of
// the printed slots visible.
struct flag_case {
    unsigned char flag;
    std::vector<int> slot_order;
};

class QuestionBlock : public ::testing::TestWithParam<flag_case> {};

TEST_P(QuestionBlock, FollowsTheSlotTheFlagNames)
{
    const char* const texts[12] = {"0", "1", "2", "3", "4", "5", "6", "7", "8", "9", "A", "B"};
    talk_slot_texts slots;
    for (size_t i = 0; i < 12; i++)
        slots[i] = texts[i];
    const flag_case& c = GetParam();
    byte_vector record = make_talk_record(talk_edition::dos, {c.flag, 0xAB, 0xCD}, slots);

    char header[32];
    snprintf(header, sizeof header, "\t\t%02X AB CD\n", c.flag);
    std::string body = header;
    for (int slot : c.slot_order)
        body += english_labels[static_cast<size_t>(slot)] + texts[slot] + "\n";
    body += "\n";
    listing_run run = list_one_record(talk_profile_dos, record);
    EXPECT_EQ(run.out, heading(0, 0) + body + one_record_end);
}

INSTANTIATE_TEST_SUITE_P(EveryValidFlag, QuestionBlock,
                         ::testing::Values(flag_case{0, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}},
                                           flag_case{1, {0, 1, 9, 10, 11, 2, 3, 4, 5, 6, 7, 8}},
                                           flag_case{2, {0, 1, 2, 9, 10, 11, 3, 4, 5, 6, 7, 8}},
                                           flag_case{3, {0, 1, 2, 3, 9, 10, 11, 4, 5, 6, 7, 8}},
                                           flag_case{4, {0, 1, 2, 3, 4, 9, 10, 11, 5, 6, 7, 8}},
                                           flag_case{5, {0, 1, 2, 3, 4, 5, 6, 9, 10, 11, 7, 8}},
                                           flag_case{6, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}},
                                           flag_case{10, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}}));

// The flag sits at offset 252 in the Apple II records and the Japanese
// question label has no line break of its own.
TEST(ListingWalk, QuestionBlockInTheOtherEditions)
{
    const struct {
        talk_edition edition;
        const talk_profile* profile;
        unsigned char flag;
        std::vector<int> slot_order;
    } cases[] = {
        {talk_edition::apple2, &talk_profile_apple2, 3, {0, 1, 2, 3, 9, 10, 11, 4, 5, 6, 7, 8}},
        {talk_edition::apple2, &talk_profile_apple2, 10, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}},
        {talk_edition::pc8801, &talk_profile_pc8801, 5, {0, 1, 2, 3, 4, 5, 6, 9, 10, 11, 7, 8}},
        {talk_edition::x68000, &talk_profile_x68000, 1, {0, 1, 9, 10, 11, 2, 3, 4, 5, 6, 7, 8}},
    };
    const char* const texts[12] = {"0", "1", "2", "3", "4", "5", "6", "7", "8", "9", "A", "B"};
    // Game codes print the full-width digits and letters.
    const char* const wide[12] = {"\x82\x4F", "\x82\x50", "\x82\x51", "\x82\x52",
                                  "\x82\x53", "\x82\x54", "\x82\x55", "\x82\x56",
                                  "\x82\x57", "\x82\x58", "\x82\x60", "\x82\x61"};
    for (const auto& c : cases) {
        talk_slot_texts slots;
        for (size_t i = 0; i < 12; i++)
            slots[i] = texts[i];
        byte_vector record = make_talk_record(c.edition, {c.flag, 0x11, 0x22, 0x33}, slots);
        bool english = c.edition == talk_edition::apple2;
        char header[32];
        snprintf(header, sizeof header, "\t\t%02X 11 22 33\n", c.flag);
        std::string body = header;
        for (int slot : c.slot_order)
            body += (english ? english_labels : japanese_labels)[static_cast<size_t>(slot)] +
                    (english ? texts : wide)[slot] + "\n";
        listing_run run = list_one_record(*c.profile, record);
        EXPECT_EQ(run.out, heading(0, 0) + body + "\n" + one_record_end) << int(c.flag);
    }
}

TEST(ListingWalk, EveryOtherFlagValueLeavesOnlyTheErrorLine)
{
    const struct {
        talk_edition edition;
        const talk_profile* profile;
        const char* line;
    } cases[] = {
        {talk_edition::dos, &talk_profile_dos, "error: illegal data Castle of Lord Varnel[0]\n"},
        {talk_edition::apple2, &talk_profile_apple2,
         "error: illegal data Castle of Lord Varnel[0]\n"},
        {talk_edition::pc8801, &talk_profile_pc8801, "error: illegal data 10/00/01\n"},
        {talk_edition::x68000, &talk_profile_x68000,
         "error: illegal data Castle of Lord Varnel[0]\n"},
    };
    for (const auto& c : cases) {
        for (int flag = 0; flag < 256; flag++) {
            if (flag <= 6 || flag == 10)
                continue;
            byte_vector record =
                make_talk_record(c.edition, {static_cast<unsigned char>(flag), 0, 0, 0}, {});
            listing_run run = list_one_record(*c.profile, record);
            EXPECT_EQ(run.out, c.line) << flag;
        }
    }
}

// A valid record of each edition with a known body, and the two ways a
// record can fail: in its flag (nothing of it printed) or in a text (its
// heading and header line stay).
struct edition_case {
    const char* name;
    const talk_profile* profile;
    talk_edition edition;
    byte_vector header;      // of the valid records
    std::string plain_body;  // what each valid record prints after its heading
    size_t flag_offset;
};

std::vector<edition_case> edition_cases()
{
    const std::string english =
        "\tname:\tN\n\tpronoun:\t\n\tlook:\t\n\tjob:\t\n\thealth:\t\n\tword1:\t\n\t\t\n"
        "\tword2:\t\n\t\t\n\tquestion:\n\t\t\n\tyes:\t\n\tno:\t\n\n";
    const std::string japanese =
        "\t\x96\xBC\x91\x4F:\t\x82\x6D\n\t\x91\xE3\x96\xBC\x8E\x8C:\t\n\t\x8C\xA9\x82\xE9:\t\n"
        "\t\x8E\x64\x8E\x96:\t\n\t\x82\xA9\x82\xE7\x82\xBE:\t\n\t\x89\xEF\x98\x62"
        "1:\t\n\t\t\n"
        "\t\x89\xEF\x98\x62"
        "2:\t\n\t\t\n\t\x8E\xBF\x96\xE2:\t\n\t\x82\xCD\x82\xA2:\t\n"
        "\t\x82\xA2\x82\xA2\x82\xA6:\t\n\n";
    return {
        {"dos", &talk_profile_dos, talk_edition::dos, {0, 1, 2}, "\t\t00 01 02\n" + english, 0},
        {"apple2",
         &talk_profile_apple2,
         talk_edition::apple2,
         {0, 1, 2, 3},
         "\t\t00 01 02 03\n" + english,
         252},
        {"pc8801",
         &talk_profile_pc8801,
         talk_edition::pc8801,
         {0, 1, 2, 3},
         "\t\t00 01 02 03\n" + japanese,
         0},
        {"x68000",
         &talk_profile_x68000,
         talk_edition::x68000,
         {0, 1, 2, 3},
         "\t\t00 01 02 03\n" + japanese,
         0},
    };
}

byte_vector plain_record(const edition_case& c)
{
    return make_talk_record(c.edition, c.header, {"N", "", "", "", "", "", "", "", "", "", "", ""});
}

std::string illegal_data_line(const edition_case& c, int town, int person)
{
    char line[80];
    if (c.profile == &talk_profile_pc8801)
        snprintf(line, sizeof line, "error: illegal data %02X/%02X/%02X\n", 0x10 + town / 2,
                 town % 2, person + 1);
    else
        snprintf(line, sizeof line, "error: illegal data %s[%d]\n", town_label(town), person);
    return line;
}

TEST(ListingWalk, ValidDataOfEveryEditionListsAll256Records)
{
    for (const edition_case& c : edition_cases()) {
        byte_vector buffer = make_talk_buffer(c.edition, [&](int, int) { return plain_record(c); });
        listing_run run = c.profile == &talk_profile_pc8801 ? list_fetched(*c.profile, buffer)
                                                            : list_buffer(*c.profile, buffer);
        EXPECT_EQ(run.result, 0) << c.name;
        EXPECT_EQ(run.out, repeated_listing(c.plain_body)) << c.name;
    }
}

TEST(ListingWalk, BadFlagStopsWithOnlyTheErrorLineAfterEarlierRecords)
{
    const int bad_town = 3, bad_person = 5, bad_index = bad_town * 16 + bad_person;
    for (const edition_case& c : edition_cases()) {
        byte_vector buffer = make_talk_buffer(c.edition, [&](int town, int person) {
            byte_vector record = plain_record(c);
            if (town * 16 + person == bad_index)
                record[c.flag_offset] = 7;
            return record;
        });
        std::vector<int> calls;
        listing_run run = list_fetched(*c.profile, buffer, -1, &calls);
        EXPECT_EQ(run.result, -1) << c.name;
        EXPECT_EQ(run.out, listing_prefix(bad_index, c.plain_body) +
                               illegal_data_line(c, bad_town, bad_person))
            << c.name;
        EXPECT_EQ(calls.size(), static_cast<size_t>(bad_index + 1)) << c.name;
    }
}

TEST(ListingWalk, BadTextLeavesHeadingAndHeaderLineThenTheErrorLine)
{
    for (int bad_index : {16 * 7 + 9, 16 * 15 + 15}) {
        int town = bad_index / 16, person = bad_index % 16;
        for (const edition_case& c : edition_cases()) {
            const talk_record_layout& layout = talk_layout(c.edition);
            byte_vector buffer = make_talk_buffer(c.edition, [&](int t, int p) {
                byte_vector record = plain_record(c);
                if (t * 16 + p == bad_index)  // the last text never ends
                    for (size_t i = layout.text_offset + 2; i < layout.text_end; i++)
                        record[i] = 'Z';
                return record;
            });
            std::vector<int> calls;
            listing_run run = list_fetched(*c.profile, buffer, -1, &calls);
            std::string header_line = c.plain_body.substr(0, c.plain_body.find('\n') + 1);
            EXPECT_EQ(run.result, -1) << c.name;
            EXPECT_EQ(run.out, listing_prefix(bad_index, c.plain_body) + heading(town, person) +
                                   header_line + illegal_data_line(c, town, person))
                << c.name;
            EXPECT_EQ(calls.size(), static_cast<size_t>(bad_index + 1)) << c.name;
        }
    }
}

TEST(ListingWalk, MissingRecordStopsWithTheReadSectorLine)
{
    const edition_case c = edition_cases()[2];
    byte_vector buffer = make_talk_buffer(c.edition, [&](int, int) { return plain_record(c); });
    std::vector<int> calls;
    listing_run run = list_fetched(talk_profile_pc8801, buffer, 16 * 9 + 4, &calls);
    EXPECT_EQ(run.result, -1);
    EXPECT_EQ(run.out, listing_prefix(16 * 9 + 4, c.plain_body) + "error: read sector 14/01/05\n");
    std::vector<int> expected_calls;
    for (int i = 0; i <= 16 * 9 + 4; i++)
        expected_calls.push_back(i);
    EXPECT_EQ(calls, expected_calls);
}

}  // namespace
