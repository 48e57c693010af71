// The UTF-8 codec of talkdata: every code of every edition exports and
// encodes back to itself, the escapes stand where a code has no character
// of its own, and what an edition cannot store is refused with its reason.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "cp932.h"
#include "edition_table.h"
#include "field_codec.h"

namespace {

std::string encoded(const field_codec& codec, const std::string& text, bool keyword = false)
{
    encode_failure failure;
    std::string bytes;
    uint8_t field[talk_keyword_size];
    int result = keyword ? encode_keyword_field(codec, text, field, &failure)
                         : encode_talk_text(codec, text, &bytes, &failure);
    if (result < 0)
        return "refused at " + std::to_string(failure.character) + ": " + failure.reason;
    return keyword ? std::string(reinterpret_cast<char*>(field), talk_keyword_size) : bytes;
}

std::string decoded(const field_codec& codec, const std::string& bytes)
{
    return decode_talk_text(codec, reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
}

TEST(TalkdataCodec, EveryCodeOfATextExportsAndEncodesBackToItself)
{
    // The characters each edition's rule admits, its pairs included.
    const std::map<std::string, int> expected = {
        {"dos", 96}, {"apple2", 70}, {"pc8801", 215}, {"x68000", 96 + cp932_pair_count}};
    ASSERT_EQ(talk_editions.count, expected.size());
    for (const edition_entry* edition : talk_editions) {
        const field_codec& codec = edition_codec(edition);
        int codes = 0;
        for (unsigned byte = 1; byte < 256; byte++) {
            unsigned char kind = codec.rule.kind[byte];
            if (kind == talk_byte_plain || kind == talk_byte_break) {
                std::string bytes(1, static_cast<char>(byte));
                EXPECT_EQ(encoded(codec, decoded(codec, bytes)), bytes)
                    << edition->name << " byte " << byte;
                codes++;
            }
            if (kind != talk_byte_lead)
                continue;
            for (unsigned trail = 0x40; trail <= 0xFC; trail++) {
                if (trail == 0x7F)
                    continue;
                std::string pair{static_cast<char>(byte), static_cast<char>(trail)};
                EXPECT_EQ(encoded(codec, decoded(codec, pair)), pair)
                    << edition->name << " pair " << byte << " " << trail;
                codes++;
            }
        }
        EXPECT_EQ(codes, expected.at(edition->name)) << edition->name;
    }
}

TEST(TalkdataCodec, EveryByteOfAnAppleIIKeywordExportsAndEncodesBack)
{
    const field_codec& codec = edition_codec(find_edition("apple2"));
    for (unsigned byte = 0; byte < 256; byte++) {
        const uint8_t field[talk_keyword_size] = {static_cast<uint8_t>(byte), 'A', ' ',
                                                  static_cast<uint8_t>(byte), ' ', ' '};
        std::string text = decode_keyword_field(codec, field);
        EXPECT_EQ(encoded(codec, text, true), std::string(reinterpret_cast<const char*>(field), 6))
            << "byte " << byte << " exported as " << text;
    }
}

struct export_case {
    const char* edition;
    std::string bytes;
    std::string text;
};

TEST(TalkdataCodec, CodesWithoutACharacterOfTheirOwnExportAsEscapes)
{
    const export_case cases[] = {
        {"dos", "a{b}\nc\\", "a{7B}b}\nc\\"},
        {"apple2",
         "A{\x8D"
         "B",
         "A{7B}\nB"},
        {"pc8801", "\x40\x60\x90\xB0\x7E\x20\xB6\xDE", "＠{60}ー{B0}?　か゛"},
        {"x68000", "\x41\x82\x60\x40\x60\x81\x97", "Ａ{8260}＠{60}{8197}"},
        {"x68000", "\x7E\x81\x60\x2D\x81\x7C\x87\x40\xFA\x40", "～{8160}－{817C}①ⅰ"},
        {"x68000", "\xED\x40\xFA\x5C\x85\x40\xF0\x40\x81\xCA\xEE\xF9",
         "{ED40}纊{8540}{F040}￢{EEF9}"},
        {"x68000", "\x20\x81\x40\x0A", "　{8140}\n"},
    };
    for (const export_case& c : cases) {
        const field_codec& codec = edition_codec(find_edition(c.edition));
        EXPECT_EQ(decoded(codec, c.bytes), c.text) << c.edition;
        EXPECT_EQ(encoded(codec, c.text), c.bytes) << c.edition;
    }
    const field_codec& apple2 = edition_codec(find_edition("apple2"));
    const uint8_t keyword[talk_keyword_size] = {'a', '{', 0x8D, ' ', 0x00, ' '};
    EXPECT_EQ(decode_keyword_field(apple2, keyword), "{61}{7B}{8D} {00}");
}

struct encode_case {
    const char* edition;
    std::string text;
    bool keyword;
    std::string result;  // the bytes, or the refusal
};

TEST(TalkdataCodec, EncodingTakesAliasesAndRefusesWhatAnEditionCannotStore)
{
    const encode_case cases[] = {
        {"pc8801", "ダパ A?", false, "\xE0\xDE\xEA\xDF\x20\x41\x7E"},
        {"x68000", "Ab ダ", false, "\x41\x62\x20\x83\x5F"},
        {"dos", "{7b}{41}", false, "{A"},
        {"apple2", "WORD", true, "WORD  "},
        {"apple2", "{01}{00}", true, std::string("\x01\x00    ", 6)},
        {"apple2", "ABc", false,
         "refused at 3: 'c' (U+0063): the Apple II edition has capital letters only"},
        {"apple2", "LONGER", true, "LONGER"},
        {"apple2", "LONGEST", true,
         "refused at 7: a keyword holds at most 6 characters, this one 7"},
        {"apple2", "A\nB", true, "refused at 2: a keyword holds no line break"},
        {"pc8801", "あ漢", false,
         "refused at 2: '漢' (U+6F22) is not a character of the PC-8801 edition"},
        {"x68000", "ｱ", false,
         "refused at 1: 'ｱ' (U+FF71) is half-width katakana, which the X68000 edition cannot "
         "store"},
        {"x68000", "{8140}{A1}", false,
         "refused at 2: {A1} is not a character of the X68000 edition"},
        {"dos", "A{09}", false, "refused at 2: {09} is not a character of the DOS edition"},
        {"dos", "{4142}", false, "refused at 1: {4142} is not a character of the DOS edition"},
        {"dos", "é", false, "refused at 1: 'é' (U+00E9) is not a character of the DOS edition"},
        {"dos", "A{7", false,
         "refused at 2: '{' starts no escape: write {XX} with two hex digits, or {7B} for the "
         "brace"},
        {"dos", "A\xFF", false, "refused at 2: byte 0xFF starts no UTF-8 character"},
        {"dos", "{00}", false, "refused at 1: {00} is not a character of the DOS edition"},
    };
    for (const encode_case& c : cases) {
        const field_codec& codec = edition_codec(find_edition(c.edition));
        EXPECT_EQ(encoded(codec, c.text, c.keyword), c.result) << c.edition << " " << c.text;
    }
}

}  // namespace
