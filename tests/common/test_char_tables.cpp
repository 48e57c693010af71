// The character tables of the two Japanese editions, checked against the
// characters they stand for: every entry is converted from UTF-8 with the
// system's own Shift-JIS (code page 932) converter.
#include <gtest/gtest.h>

#include <string>

#include "capture_stdout.h"
#include "talk_listing.h"

#ifndef _WIN32
#include <iconv.h>
#endif

namespace {

#ifndef _WIN32
// Code points as UTF-8.
std::string utf8(char32_t code_point)
{
    std::string out;
    if (code_point < 0x80) {
        out += static_cast<char>(code_point);
    } else if (code_point < 0x800) {
        out += static_cast<char>(0xC0 | (code_point >> 6));
        out += static_cast<char>(0x80 | (code_point & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (code_point >> 12));
        out += static_cast<char>(0x80 | ((code_point >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code_point & 0x3F));
    }
    return out;
}

// Splits a UTF-8 text of three-byte characters into its characters.
std::vector<std::string> characters(const std::string& text)
{
    std::vector<std::string> out;
    for (size_t i = 0; i + 3 <= text.size(); i += 3)
        out.push_back(text.substr(i, 3));
    return out;
}

// The character each code stands for, "" for none; 0x7E differs by edition.
std::vector<std::string> expected_characters(bool pc8801)
{
    std::vector<std::string> chars(pc8801 ? 256 : 128);
    chars[0x0A] = "\n";
    chars[0x20] = utf8(0x3000);
    for (char32_t code = 0x21; code <= 0x7D; code++)
        chars[code] = utf8(0xFF00 + code - 0x20);  // full-width forms of ASCII
    chars[0x22] = utf8(0x201D);
    chars[0x27] = utf8(0x2019);
    chars[0x60] = utf8(0xFF20);
    chars[0x7E] = pc8801 ? "?" : utf8(0xFF5E);
    if (!pc8801)
        return chars;
    const struct {
        int first;
        const char* text;
    } runs[] = {
        {0x86, "ヲァィゥェォャュョッーアイウエオカキクケコサシスセソ"},
        {0xA1,
         "。「」、・をぁぃぅぇぉゃゅょっーあいうえおかきくけこさしすせそたちつてとなにぬねの"
         "はひふへほまみむめもやゆよらりるれろわん゛゜"},
        {0xE0, "タチツテトナニヌネノハヒフヘホマミムメモヤユヨラリルレロワン"},
    };
    for (const auto& run : runs) {
        int code = run.first;
        for (const std::string& c : characters(run.text))
            chars[static_cast<size_t>(code++)] = c;
    }
    return chars;
}

std::string to_shift_jis(const std::string& text)
{
    iconv_t converter = iconv_open("CP932", "UTF-8");
    if (converter == reinterpret_cast<iconv_t>(-1))
        return "(no converter)";
    std::string in = text;
    char out[16] = {};
    char* in_pos = in.data();
    size_t in_left = in.size();
    char* out_pos = out;
    size_t out_left = sizeof out;
    size_t done = iconv(converter, &in_pos, &in_left, &out_pos, &out_left);
    iconv_close(converter);
    if (done == static_cast<size_t>(-1) || in_left != 0)
        return "(not convertible)";
    return std::string(out, static_cast<size_t>(out_pos - out));
}

void check_table(const char* const* table, bool pc8801)
{
    if (iconv_t probe = iconv_open("CP932", "UTF-8"); probe == reinterpret_cast<iconv_t>(-1))
        GTEST_SKIP() << "the C library has no CP932 converter";
    else
        iconv_close(probe);
    std::vector<std::string> chars = expected_characters(pc8801);
    for (size_t code = 0; code < chars.size(); code++) {
        std::string expected = chars[code].empty() || chars[code] == "\n" || chars[code] == "?"
                                   ? chars[code]
                                   : to_shift_jis(chars[code]);
        EXPECT_EQ(std::string(table[code]), expected) << "code " << code;
    }
}
#else
void check_table(const char* const*, bool)
{
    GTEST_SKIP() << "no UTF-8 to Shift-JIS converter on this platform";
}
#endif

TEST(CharTables, Pc8801EntriesAreTheShiftJisOfTheirCharacters)
{
    check_table(talk_char_table_pc8801, true);
}

TEST(CharTables, X68000EntriesAreTheShiftJisOfTheirCharacters)
{
    check_table(talk_char_table_x68000, false);
}

// The entries whose bytes the tables are known by.
TEST(CharTables, KnownBytes)
{
    const struct {
        const char* const* table;
        int code;
        const char* bytes;
    } cases[] = {
        {talk_char_table_pc8801, 0x2D, "\x81\x7C"}, {talk_char_table_pc8801, 0x5C, "\x81\x5F"},
        {talk_char_table_pc8801, 0x40, "\x81\x97"}, {talk_char_table_pc8801, 0x60, "\x81\x97"},
        {talk_char_table_pc8801, 0x90, "\x81\x5B"}, {talk_char_table_pc8801, 0xB0, "\x81\x5B"},
        {talk_char_table_pc8801, 0xDE, "\x81\x4A"}, {talk_char_table_pc8801, 0xDF, "\x81\x4B"},
        {talk_char_table_pc8801, 0x7E, "\x3F"},     {talk_char_table_x68000, 0x7E, "\x81\x60"},
        {talk_char_table_x68000, 0x22, "\x81\x68"}, {talk_char_table_x68000, 0x27, "\x81\x66"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(std::string(c.table[c.code]), c.bytes) << c.code;
}

// A kana followed by a voicing mark prints two characters: codes are never
// combined with their neighbours.
TEST(CharTables, VoicingMarksPrintAsCharactersOfTheirOwn)
{
    const unsigned char ka_voiced[] = {0xB6, 0xDE, 0x96, 0xDF, 0};
    std::string printed =
        capture_stdout([&] { print_talk_field(&talk_profile_pc8801, ka_voiced); });
    EXPECT_EQ(printed, "\x82\xA9\x81\x4A\x83\x4A\x81\x4B");
}

}  // namespace
