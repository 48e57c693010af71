// The texts of a record: which bytes each edition accepts, where a text may
// end, line breaks and the Apple II keyword fields.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <set>

#include "listing_harness.h"
#include "talk_text.h"

namespace {

struct edition_under_test {
    const char* name;
    const talk_profile* profile;
    talk_edition edition;
    std::string header_line;  // of a record with header bytes 0
    const std::array<std::string, 12>* labels;
    std::string illegal_line;  // for town 0, person 0
};

const edition_under_test dos = {"dos",
                                &talk_profile_dos,
                                talk_edition::dos,
                                "\t\t00 00 00\n",
                                &english_labels,
                                "error: illegal data Castle of Lord Varnel[0]\n"};
const edition_under_test apple2 = {"apple2",
                                   &talk_profile_apple2,
                                   talk_edition::apple2,
                                   "\t\t00 00 00 00\n",
                                   &english_labels,
                                   "error: illegal data Castle of Lord Varnel[0]\n"};
const edition_under_test pc8801 = {"pc8801",
                                   &talk_profile_pc8801,
                                   talk_edition::pc8801,
                                   "\t\t00 00 00 00\n",
                                   &japanese_labels,
                                   "error: illegal data 10/00/01\n"};
const edition_under_test x68000 = {"x68000",
                                   &talk_profile_x68000,
                                   talk_edition::x68000,
                                   "\t\t00 00 00 00\n",
                                   &japanese_labels,
                                   "error: illegal data Castle of Lord Varnel[0]\n"};

byte_vector record_with_name(const edition_under_test& e, const std::string& name)
{
    talk_slot_texts texts = {};
    texts[0] = name;
    return make_talk_record(e.edition, {0, 0, 0, 0}, texts);
}

// What list_one_record prints for a record with question flag 0 (slots in
// their natural order) whose twelve texts print as shown.
std::string listed(const edition_under_test& e, const std::array<std::string, 12>& shown)
{
    std::string out = heading(0, 0) + e.header_line;
    for (size_t slot = 0; slot < 12; slot++)
        out += (*e.labels)[slot] + shown[slot] + "\n";
    return out + "\n" + one_record_end;
}

std::string listed_name(const edition_under_test& e, const std::string& shown)
{
    std::array<std::string, 12> texts = {};
    texts[0] = shown;
    return listed(e, texts);
}

std::string rejected(const edition_under_test& e)
{
    return heading(0, 0) + e.header_line + e.illegal_line;
}

std::set<int> byte_range(int first, int last)
{
    std::set<int> codes;
    for (int c = first; c <= last; c++)
        codes.insert(c);
    return codes;
}

std::set<int> joined(std::initializer_list<std::set<int>> parts)
{
    std::set<int> all;
    for (const std::set<int>& part : parts)
        all.insert(part.begin(), part.end());
    return all;
}

// Every byte value as a one-byte text: accepted exactly when the rule says
// so, and then printed as the edition prints it.
TEST(TextBytes, DosAndAppleIiAcceptTheirPrintableSetsAndPrintThemRaw)
{
    struct rule_case {
        const edition_under_test* edition;
        talk_char_rule rule;
        std::set<int> valid;
        int line_break;
    };
    const rule_case cases[] = {
        {&dos, char_rule_ascii, joined({{0x0A}, byte_range(0x20, 0x7E)}), 0x0A},
        {&apple2, char_rule_apple2,
         joined({byte_range(0x20, 0x60), byte_range(0x7B, 0x7E), {0x8D}}), 0x8D},
    };
    for (const rule_case& c : cases) {
        for (int code = 0; code < 256; code++) {
            bool valid = c.valid.count(code) > 0;
            EXPECT_EQ(check_talk_char(c.rule, static_cast<unsigned char>(code)), valid)
                << c.edition->name << " " << code;
            if (code == 0)
                continue;  // the NUL ends the text: nothing to list
            std::string text(1, static_cast<char>(code));
            listing_run run =
                list_one_record(*c.edition->profile, record_with_name(*c.edition, text));
            std::string expected = !valid                 ? rejected(*c.edition)
                                   : code == c.line_break ? listed_name(*c.edition, "\n")
                                                          : listed_name(*c.edition, text);
            EXPECT_EQ(run.out, expected) << c.edition->name << " " << code;
        }
    }
}

TEST(TextBytes, TableEditionsRejectCodesWithoutAnEntry)
{
    const std::set<int> pc8801_invalid = joined({byte_range(0x01, 0x09),
                                                 byte_range(0x0B, 0x1F),
                                                 byte_range(0x7F, 0x85),
                                                 {0xA0, 0xFE, 0xFF}});
    // X68000 bytes of 0x80 and above are lead bytes; a valid trail follows.
    const std::set<int> x68000_invalid = joined({byte_range(0x01, 0x09),
                                                 byte_range(0x0B, 0x1F),
                                                 {0x7F, 0x80},
                                                 byte_range(0xA0, 0xDF),
                                                 byte_range(0xFD, 0xFF)});
    for (int code = 1; code < 256; code++) {
        std::string one(1, static_cast<char>(code));
        listing_run pc = list_one_record(*pc8801.profile, record_with_name(pc8801, one));
        if (pc8801_invalid.count(code))
            EXPECT_EQ(pc.out, rejected(pc8801)) << code;
        else  // the entry itself is checked against its character elsewhere
            EXPECT_EQ(pc.out, listed_name(pc8801, talk_char_table_pc8801[code])) << code;

        std::string pair = code < 0x80 ? one : one + "\x40";
        listing_run x = list_one_record(*x68000.profile, record_with_name(x68000, pair));
        if (x68000_invalid.count(code))
            EXPECT_EQ(x.out, rejected(x68000)) << code;
        else if (code >= 0x80)
            EXPECT_EQ(x.out, listed_name(x68000, pair)) << code;
        else
            EXPECT_EQ(x.out, listed_name(x68000, talk_char_table_x68000[code])) << code;
    }
}

TEST(TextBytes, ShiftJisTrailBytesMustBeInRange)
{
    for (int trail = 0; trail < 256; trail++) {
        bool valid = (trail >= 0x40 && trail <= 0x7E) || (trail >= 0x80 && trail <= 0xFC);
        std::string pair = "\x88" + std::string(1, static_cast<char>(trail));
        listing_run run = list_one_record(talk_profile_x68000, record_with_name(x68000, pair));
        EXPECT_EQ(run.out, valid ? listed_name(x68000, pair) : rejected(x68000)) << trail;
    }
}

// Records whose texts end exactly at the last allowed offset, or one short
// of a NUL there. The last stored text is the only one that is not empty.
struct boundary_case {
    const char* what;
    const edition_under_test* edition;
    byte_vector record;
    std::string shown_last;  // how a valid record prints its last text
    bool valid;
};

// Eleven (or nine) empty texts, then a last text of the given bytes; the
// bytes behind its NUL are fill.
byte_vector last_text_record(const edition_under_test& e, const std::string& last,
                             unsigned char fill = 0)
{
    size_t count = talk_layout(e.edition).stored_slots.size();
    std::vector<std::string> texts(count - 1, "");
    texts.push_back(last);
    byte_vector record = make_raw_talk_record(e.edition, {0, 0, 0, 0}, texts, fill);
    if (e.edition == talk_edition::apple2)  // blank keyword fields, header bytes 0
        for (size_t i = 240; i < 256; i++)
            record[i] = i < 252 ? ' ' : 0;
    return record;
}

std::string repeated(const std::string& piece, size_t count)
{
    std::string out;
    for (size_t i = 0; i < count; i++)
        out += piece;
    return out;
}

std::vector<boundary_case> boundary_cases()
{
    // The last text starts behind the NULs of the empty ones.
    const size_t dos_room = 287 - (3 + 11), apple_room = 239 - (1 + 9);
    const size_t pc_room = 255 - (4 + 11), x_room = 511 - (4 + 11);
    const std::string full_a = "\x82\x60";
    byte_vector apple_byte0 = last_text_record(apple2, "A");
    apple_byte0[0] = 0xFF;
    return {
        {"dos NUL at 287", &dos, last_text_record(dos, std::string(dos_room, 'A')),
         std::string(dos_room, 'A'), true},
        {"dos no NUL by 287", &dos, last_text_record(dos, std::string(dos_room + 1, 'A')), "",
         false},
        {"dos bytes behind the last NUL", &dos, last_text_record(dos, "A", 0x01), "A", true},
        {"apple2 NUL at 239", &apple2, last_text_record(apple2, std::string(apple_room, 'A')),
         std::string(apple_room, 'A'), true},
        {"apple2 text into the keyword field", &apple2,
         last_text_record(apple2, std::string(apple_room + 1, 'A')), "", false},
        {"apple2 byte 0 is never read", &apple2, apple_byte0, "A", true},
        {"apple2 bytes behind the last NUL", &apple2, last_text_record(apple2, "A", 0x01), "A",
         true},
        {"pc8801 NUL at 255", &pc8801, last_text_record(pc8801, std::string(pc_room, 'A')),
         repeated(full_a, pc_room), true},
        {"pc8801 no NUL by 255", &pc8801, last_text_record(pc8801, std::string(pc_room + 1, 'A')),
         "", false},
        {"pc8801 bytes behind the last NUL", &pc8801, last_text_record(pc8801, "A", 0xFF), full_a,
         true},
        {"x68000 NUL at 511", &x68000, last_text_record(x68000, std::string(x_room, 'A')),
         repeated(full_a, x_room), true},
        {"x68000 pair at 509-510, NUL at 511", &x68000,
         last_text_record(x68000, std::string(x_room - 2, 'A') + "\x82\xA0"),
         repeated(full_a, x_room - 2) + "\x82\xA0", true},
        {"x68000 pair at 510-511 leaves no room for the NUL", &x68000,
         last_text_record(x68000, std::string(x_room - 1, 'A') + "\x82\xA0"), "", false},
        {"x68000 lead byte at 511", &x68000,
         last_text_record(x68000, std::string(x_room, 'A') + "\x82"), "", false},
        {"x68000 bytes behind the last NUL", &x68000, last_text_record(x68000, "A", 0xFF), full_a,
         true},
    };
}

TEST(TextBounds, TextsMustEndBelowTheEndOfTheTexts)
{
    for (const boundary_case& c : boundary_cases()) {
        listing_run run = list_one_record(*c.edition->profile, c.record);
        std::array<std::string, 12> shown = {};
        shown[static_cast<size_t>(talk_layout(c.edition->edition).stored_slots.back())] =
            c.shown_last;
        EXPECT_EQ(run.out, c.valid ? listed(*c.edition, shown) : rejected(*c.edition)) << c.what;
    }
}

// Line breaks continue the text on a line of its own after two tabs; at the
// very end of a text they leave an empty line.
TEST(TextLineBreaks, ContinueAfterTwoTabsOrEndWithAnEmptyLine)
{
    struct break_case {
        const edition_under_test* edition;
        std::string text;
        std::string shown;
    };
    const break_case cases[] = {
        {&dos, "one\ntwo", "one\n\t\ttwo"},
        {&dos, "end\n", "end\n"},
        {&dos, "\n", "\n"},
        {&dos, "\n\nx", "\n\t\t\n\t\tx"},
        {&apple2, "ONE\x8DTWO", "ONE\n\t\tTWO"},
        {&apple2, "END\x8D", "END\n"},
        {&pc8801, "A\nB", "\x82\x60\n\t\t\x82\x61"},
        {&pc8801, "A\n", "\x82\x60\n"},
        {&x68000, "\x82\xA0\n\x82\xA2", "\x82\xA0\n\t\t\x82\xA2"},
        {&x68000, "A\n", "\x82\x60\n"},
    };
    for (const break_case& c : cases) {
        listing_run run =
            list_one_record(*c.edition->profile, record_with_name(*c.edition, c.text));
        EXPECT_EQ(run.out, listed_name(*c.edition, c.shown)) << c.edition->name << " " << c.text;
    }
}

// X68000 texts mix game codes, printed through the table, with Shift-JIS
// pairs, printed as they stand; a trail byte is never a line break or NUL.
TEST(TextShiftJis, GameCodesAndPairsMix)
{
    const struct {
        std::string text;
        std::string shown;
    } cases[] = {
        {"A\x82\xA0", "\x82\x60\x82\xA0"},
        {"\x88\xA4~", "\x88\xA4\x81\x60"},
        {"\xE0\x40 \x9F\xFC", "\xE0\x40\x81\x40\x9F\xFC"},
        {"\"'`@", "\x81\x68\x81\x66\x81\x97\x81\x97"},
    };
    for (const auto& c : cases) {
        listing_run run = list_one_record(talk_profile_x68000, record_with_name(x68000, c.text));
        EXPECT_EQ(run.out, listed_name(x68000, c.shown)) << c.text;
    }
}

// The Apple II keywords are fixed six-byte fields, printed up to the first
// space and never checked.
TEST(AppleIiKeywords, PrintUpToTheFirstSpace)
{
    const struct {
        std::string field;
        std::string shown;
    } cases[] = {
        {"WORD  ", "WORD"}, {"ABCDEF", "ABCDEF"},
        {" XYZ  ", ""},     {"      ", ""},
        {"ab cd ", "ab"},   {std::string("A\0B\x7F\xFF ", 6), std::string("A\0B\x7F\xFF", 5)},
    };
    for (const auto& c : cases) {
        talk_slot_texts texts = {};
        byte_vector record = make_talk_record(talk_edition::apple2, {0, 0, 0, 0}, texts);
        std::copy(c.field.begin(), c.field.end(), record.begin() + 240);
        std::copy(c.field.begin(), c.field.end(), record.begin() + 246);
        listing_run run = list_one_record(talk_profile_apple2, record);
        std::array<std::string, 12> shown = {};
        shown[5] = shown[7] = c.shown;
        EXPECT_EQ(run.out, listed(apple2, shown));
    }
}

}  // namespace

// The whole-area check of a record against the text-by-text scan, on
// records of random bytes drawn mostly from the rule's own characters and
// NULs, with now and then a byte of any value: the same NULs, or the same
// refusal, for every one-byte rule, and the texts without a line break
// where the rule prints the others as their bytes.
TEST(TextBounds, WholeAreaCheckFindsWhatTheTextScanFinds)
{
    for (const talk_profile* profile :
         {&talk_profile_dos, &talk_profile_apple2, &talk_profile_pc8801}) {
        talk_text_rule rule;
        prepare_talk_text_rule(profile, &rule);
        ASSERT_GT(rule.run_count, 0u) << "no runs for a one-byte rule";
        std::vector<unsigned char> characters;
        for (unsigned code = 1; code < 256; code++)
            if (rule.kind[code] >= talk_byte_plain)
                characters.push_back(static_cast<unsigned char>(code));
        uint32_t seed = 12345;
        auto next = [&seed]() { return seed = seed * 1103515245u + 12345u, seed >> 16; };
        int refused = 0;
        for (int trial = 0; trial < 4000; trial++) {
            std::vector<unsigned char> record(profile->record_size);
            const unsigned nul_odds = 2 + next() % 40;  // texts short and long
            for (unsigned char& byte : record) {
                unsigned draw = next() % 1000;
                byte = draw < 1000 / nul_odds ? 0
                       : draw < 995           ? characters[next() % characters.size()]
                                              : static_cast<unsigned char>(next());
            }
            std::vector<unsigned> scanned;
            unsigned no_break = 0;  // the texts without a line break, where it is told
            unsigned pos = profile->text_offset;
            for (unsigned k = 0; k < profile->stored_fields; k++) {
                int behind = scan_talk_text(&rule, record.data(), pos);
                if (behind < 0) {
                    scanned.clear();
                    break;
                }
                scanned.push_back(static_cast<unsigned>(behind) - 1);
                auto text_end = record.begin() + behind - 1;
                if (profile->char_rule != char_rule_table &&
                    std::find(record.begin() + pos, text_end, profile->line_break) == text_end)
                    no_break |= 1u << k;
                pos = static_cast<unsigned>(behind);
            }
            unsigned nuls[talk_slot_count];
            unsigned unbroken = 0;
            int result = split_talk_record(&rule, record.data(), nuls, &unbroken);
            std::vector<unsigned> split;
            if (result == 0)
                split.assign(nuls, nuls + profile->stored_fields);
            ASSERT_EQ(split, scanned)
                << "record size " << profile->record_size << ", trial " << trial;
            if (result == 0) {
                ASSERT_EQ(unbroken, no_break) << "record size " << profile->record_size;
            }
            refused += scanned.empty();
        }
        // Both outcomes were met often enough to tell the two apart.
        EXPECT_GT(refused, 400);
        EXPECT_LT(refused, 3600);
    }
}
