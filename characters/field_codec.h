// The texts of one edition in UTF-8 and back, without loss: every stored
// text exports as one string, and that string encodes to the same bytes.
//
// A byte or Shift-JIS pair exports as its character, or as an escape of its
// hex digits in braces ({60}, {8260}) where it has no character of its own:
// - a code that shows the same character as a lower code or as a one-byte
//   code (PC-8801 0x60 shows ＠ as 0x40 does; an X68000 pair 82 60 shows Ａ
//   as the one-byte code 0x41 does) and a pair that CP932 writes another way;
// - a byte or pair without a character (a CP932 pair without one, or in the
//   private-use area; an Apple II keyword's control bytes, lower-case
//   letters and padding inside it);
// - the brace { itself (0x7B) in the DOS and Apple II editions.
// A line break exports as "\n". No decoded character is an ASCII brace, so
// an escape is never mistaken for text.
//
// Encoding takes the same strings back. It also takes, where nothing else
// means them: ASCII characters in the two Japanese editions as the game
// codes of the same value (which show as full-width characters), and a
// voiced kana in the PC-8801 edition as the kana and its voicing mark.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "talk_text.h"

// The export of one byte or pair: at most six bytes ({XXXX}), padded.
struct exported_code {
    uint8_t length;  // 0 for a pair not yet worked out
    char bytes[8];   // copied whole, so that a copy needs no length
};

struct field_codec {
    const talk_profile* profile;
    const char* edition_title;     // names the edition in messages: "X68000"
    talk_text_rule rule;           // the kind of every byte in a text
    exported_code byte_text[256];  // what a byte of a text exports as
    bool verbatim[256];            // the byte exports as itself
    // By character (all lie below 0x10000): its one-byte code, or -1.
    std::vector<int16_t> codes;
    // What each Shift-JIS pair exports as, worked out when first met.
    mutable std::vector<exported_code> pair_text;
};

// Works out the codec of the texts that profile describes; edition_title
// names the edition in the reasons of a refused text.
void prepare_field_codec(const talk_profile* profile, const char* edition_title,
                         field_codec* codec);

// Exports length bytes of a text that passed the record checks.
std::string decode_talk_text(const field_codec& codec, const uint8_t* text, size_t length);

// Exports an Apple II keyword field of six bytes: its bytes up to the
// trailing spaces.
std::string decode_keyword_field(const field_codec& codec, const uint8_t* field);

// What the game shows of a text or keyword: every code that shows a
// character as that character (the brace too, and a pair whose character a
// one-byte code or another pair also shows); only bytes and pairs without
// a character stay escapes. Not lossless: for comparing.
std::string show_talk_text(const field_codec& codec, const uint8_t* text, size_t length);
std::string show_keyword_field(const field_codec& codec, const uint8_t* field);

struct encode_failure {
    size_t character;  // the position in the string, counted from 1
    std::string reason;
};

// Encodes an exported string as the bytes of a text (without its NUL).
// 0, or -1 with the first character that the edition cannot store.
int encode_talk_text(const field_codec& codec, const std::string& text, std::string* bytes,
                     encode_failure* failure);

// Encodes an Apple II keyword into its six-byte field, padded with spaces.
int encode_keyword_field(const field_codec& codec, const std::string& text, uint8_t* field,
                         encode_failure* failure);
