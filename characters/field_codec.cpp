#include "field_codec.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "cp932.h"
#include "kana_marks.h"
#include "utf8.h"

namespace {

const uint8_t escape_start = '{';
const uint8_t escape_end = '}';

const char hex_digits[] = "0123456789ABCDEF";

std::string byte_escape(unsigned byte)
{
    return {'{', hex_digits[byte >> 4 & 0xF], hex_digits[byte & 0xF], '}'};
}

std::string pair_escape(unsigned lead, unsigned trail)
{
    return byte_escape(lead).substr(0, 3) + byte_escape(trail).substr(1);
}

enum { bmp_size = 0x10000 };  // the characters a table entry can show

// The character of a character-table entry: one Shift-JIS pair, or one
// ASCII byte.
char32_t entry_character(const char* entry)
{
    unsigned first = static_cast<unsigned char>(entry[0]);
    if (first < 0x80)
        return first;
    return cp932_character(first, static_cast<unsigned char>(entry[1]));
}

exported_code exported_as(const std::string& text)
{
    exported_code code = {static_cast<uint8_t>(text.size()), {}};
    std::copy(text.begin(), text.end(), code.bytes);
    return code;
}

void prepare_byte_texts(field_codec* codec)
{
    const talk_profile* profile = codec->profile;
    for (unsigned code = 0; code < 256; code++) {
        exported_code& text = codec->byte_text[code];
        unsigned char kind = codec->rule.kind[code];
        if (kind == talk_byte_break) {
            text = exported_as("\n");
            continue;
        }
        if (kind != talk_byte_plain) {
            text = exported_as(byte_escape(code));  // met only in keywords and unchecked texts
            continue;
        }
        if (talk_rule_prints_bytes(profile->char_rule)) {
            text = exported_as(code == escape_start ? byte_escape(code)
                                                    : std::string(1, static_cast<char>(code)));
            continue;
        }
        // A table code: the lowest code that shows a character is its plain form.
        char32_t character = entry_character(profile->char_table[code]);
        if (character == 0 || character >= bmp_size || codec->codes[character] >= 0) {
            text = exported_as(byte_escape(code));
            continue;
        }
        codec->codes[character] = static_cast<int16_t>(code);
        std::string shown;
        append_utf8(&shown, character);
        text = exported_as(shown);
    }
}

// The export of an X68000 Shift-JIS pair, worked out once.
const exported_code& pair_text(const field_codec& codec, unsigned lead, unsigned trail)
{
    exported_code& code = codec.pair_text[cp932_index_of_pair(lead, trail)];
    if (code.length != 0)
        return code;
    char32_t character = cp932_shown_character(lead, trail);
    bool plain =
        character != 0 && codec.codes[character] < 0 && !is_cp932_alternate_pair(lead << 8 | trail);
    if (plain) {
        code.length = static_cast<uint8_t>(put_utf8(code.bytes, character) - code.bytes);
    } else {
        std::string escape = pair_escape(lead, trail);
        std::copy(escape.begin(), escape.end(), code.bytes);
        code.length = 6;
    }
    return code;
}

// The bytes of a keyword field before the spaces that pad it.
size_t keyword_length(const uint8_t* field)
{
    size_t length = talk_keyword_size;
    while (length > 0 && field[length - 1] == talk_keyword_padding)
        length--;
    return length;
}

int hex_value(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

// Reads the escape at text[*pos] ('{'): two hex digits for a byte, four
// for a pair. The number of bytes (1 or 2) in *value, or 0 when malformed.
int read_escape(const std::string& text, size_t* pos, unsigned* value)
{
    size_t start = *pos + 1;
    size_t end = text.find(static_cast<char>(escape_end), start);
    if (end == std::string::npos || (end - start != 2 && end - start != 4))
        return 0;
    unsigned v = 0;
    for (size_t i = start; i < end; i++) {
        int digit = hex_value(text[i]);
        if (digit < 0)
            return 0;
        v = v << 4 | static_cast<unsigned>(digit);
    }
    *pos = end + 1;
    *value = v;
    return static_cast<int>(end - start) / 2;
}

// A character for a message: 'é' (U+00E9), or U+000D alone for a control
// character, which would not show.
std::string describe(char32_t c)
{
    char code[16];
    snprintf(code, sizeof code, "U+%04X", static_cast<unsigned>(c));
    if (c < 0x20 || (c >= 0x7F && c < 0xA0))
        return code;
    std::string text = "'";
    append_utf8(&text, c);
    return text + "' (" + code + ")";
}

bool is_ascii_alias(char32_t c)
{
    return c >= 0x20 && c <= 0x7E && c != escape_start;
}

// The bytes of one character of a text in a table edition, or an empty
// string with the reason.
std::string encode_table_character(const field_codec& codec, char32_t c, std::string* reason)
{
    int code = c < bmp_size ? codec.codes[c] : -1;
    if (code >= 0)
        return std::string(1, static_cast<char>(code));
    if (is_ascii_alias(c))
        return std::string(1, static_cast<char>(c));
    if (codec.profile->char_rule == char_rule_table) {
        char32_t kana, mark;
        if (split_voicing_mark(c, &kana, &mark) && codec.codes[kana] >= 0 && codec.codes[mark] >= 0)
            return std::string(1, static_cast<char>(codec.codes[kana])) +
                   static_cast<char>(codec.codes[mark]);
    } else {
        unsigned pair = cp932_pair_of_character(c);
        if (pair != 0)
            return std::string{static_cast<char>(pair >> 8), static_cast<char>(pair & 0xFF)};
        if (c >= 0xFF61 && c <= 0xFF9F) {
            *reason = describe(c) + " is half-width katakana, which the " + codec.edition_title +
                      " edition cannot store";
            return "";
        }
    }
    *reason = describe(c) + " is not a character of the " + codec.edition_title + " edition";
    return "";
}

// The byte of one character of a DOS or Apple II text or keyword, or -1.
int encode_plain_character(const field_codec& codec, char32_t c, std::string* reason)
{
    if (c < 0x80 && c != escape_start && codec.rule.kind[c] == talk_byte_plain)
        return static_cast<int>(c);
    if (codec.profile->char_rule == char_rule_apple2 && c >= 'a' && c <= 'z')
        *reason =
            describe(c) + ": the " + codec.edition_title + " edition has capital letters only";
    else
        *reason = describe(c) + " is not a character of the " + codec.edition_title + " edition";
    return -1;
}

// Encodes text into bytes: a text (keyword false) or an Apple II keyword.
int encode_string(const field_codec& codec, const std::string& text, bool keyword,
                  std::string* bytes, encode_failure* failure)
{
    bytes->clear();
    size_t pos = 0;
    for (size_t index = 1; pos < text.size(); index++) {
        failure->character = index;
        if (static_cast<uint8_t>(text[pos]) == escape_start) {
            unsigned value = 0;
            int count = read_escape(text, &pos, &value);
            if (count == 0) {
                failure->reason =
                    "'{' starts no escape: write {XX} with two hex digits, or {7B} "
                    "for the brace";
                return -1;
            }
            if (count == 2) {
                unsigned lead = value >> 8, trail = value & 0xFF;
                if (codec.profile->char_rule != char_rule_sjis || keyword ||
                    codec.rule.kind[lead] != talk_byte_lead || !codec.rule.trail[trail]) {
                    failure->reason = pair_escape(lead, trail) + " is not a character of the " +
                                      codec.edition_title + " edition";
                    return -1;
                }
                *bytes += static_cast<char>(lead);
                *bytes += static_cast<char>(trail);
                continue;
            }
            // A keyword field holds any byte; a text only its edition's characters.
            unsigned char kind = codec.rule.kind[value];
            if (!keyword && kind != talk_byte_plain && kind != talk_byte_break) {
                failure->reason = byte_escape(value) + " is not a character of the " +
                                  codec.edition_title + " edition";
                return -1;
            }
            *bytes += static_cast<char>(value);
            continue;
        }
        char32_t c;
        uint8_t first = static_cast<uint8_t>(text[pos]);
        if (!next_utf8(text, &pos, &c)) {
            char reason[48];
            snprintf(reason, sizeof reason, "byte 0x%02X starts no UTF-8 character", first);
            failure->reason = reason;
            return -1;
        }
        if (c == '\n') {
            if (keyword) {
                failure->reason = "a keyword holds no line break";
                return -1;
            }
            *bytes += static_cast<char>(codec.profile->line_break);
            continue;
        }
        if (!talk_rule_prints_bytes(codec.profile->char_rule)) {
            std::string code = encode_table_character(codec, c, &failure->reason);
            if (code.empty())
                return -1;
            *bytes += code;
            continue;
        }
        int code = encode_plain_character(codec, c, &failure->reason);
        if (code < 0)
            return -1;
        *bytes += static_cast<char>(code);
    }
    return 0;
}

}  // namespace

void prepare_field_codec(const talk_profile* profile, const char* edition_title, field_codec* codec)
{
    codec->profile = profile;
    codec->edition_title = edition_title;
    prepare_talk_text_rule(codec->profile, &codec->rule);
    codec->codes.assign(bmp_size, -1);
    codec->pair_text.assign(codec->profile->char_rule == char_rule_sjis ? cp932_pair_count : 0,
                            exported_code{0, {}});
    prepare_byte_texts(codec);
    for (unsigned code = 0; code < 256; code++)
        codec->verbatim[code] = codec->byte_text[code].length == 1 &&
                                static_cast<uint8_t>(codec->byte_text[code].bytes[0]) == code;
}

std::string decode_talk_text(const field_codec& codec, const uint8_t* text, size_t length)
{
    // Most English texts export as they are stored.
    size_t plain = 0;
    while (plain < length && codec.verbatim[text[plain]])
        plain++;
    if (plain == length)
        return std::string(reinterpret_cast<const char*>(text), length);

    // No byte exports as more than four bytes: an escape {XX}, or a
    // character of up to three UTF-8 bytes (a pair's six-byte escape is
    // three a byte). Eight bytes of room more let every copy take eight.
    std::string out(length * 4 + 8, '\0');
    char* at = &out[0];
    for (size_t i = 0; i < length; i++) {
        uint8_t byte = text[i];
        const exported_code* code = &codec.byte_text[byte];
        if (codec.rule.kind[byte] == talk_byte_lead && i + 1 < length) {
            code = &pair_text(codec, byte, text[i + 1]);
            i++;
        }
        memcpy(at, code->bytes, sizeof code->bytes);
        at += code->length;
    }
    out.resize(static_cast<size_t>(at - out.data()));
    return out;
}

std::string decode_keyword_field(const field_codec& codec, const uint8_t* field)
{
    size_t length = keyword_length(field);
    std::string out;
    for (size_t i = 0; i < length; i++) {
        uint8_t byte = field[i];
        bool plain = codec.rule.kind[byte] == talk_byte_plain && byte != escape_start;
        out += plain ? std::string(1, static_cast<char>(byte)) : byte_escape(byte);
    }
    return out;
}

std::string show_talk_text(const field_codec& codec, const uint8_t* text, size_t length)
{
    const talk_profile* profile = codec.profile;
    std::string out;
    for (size_t i = 0; i < length; i++) {
        uint8_t byte = text[i];
        unsigned char kind = codec.rule.kind[byte];
        char32_t character = 0;
        if (kind == talk_byte_lead && i + 1 < length) {
            character = cp932_shown_character(byte, text[i + 1]);
            if (character == 0) {
                out += pair_escape(byte, text[i + 1]);
                i++;
                continue;
            }
            i++;
        } else if (kind == talk_byte_break) {
            character = '\n';
        } else if (kind == talk_byte_plain) {
            bool table = !talk_rule_prints_bytes(profile->char_rule);
            character = table ? entry_character(profile->char_table[byte]) : byte;
        }
        if (character == 0)
            out += byte_escape(byte);
        else
            append_utf8(&out, character);
    }
    return out;
}

std::string show_keyword_field(const field_codec&, const uint8_t* field)
{
    size_t length = keyword_length(field);
    std::string out;
    for (size_t i = 0; i < length; i++) {
        uint8_t byte = field[i];
        bool shown = byte >= 0x20 && byte < 0x7F;  // printable ASCII, as the listing prints it
        out += shown ? std::string(1, static_cast<char>(byte)) : byte_escape(byte);
    }
    return out;
}

int encode_talk_text(const field_codec& codec, const std::string& text, std::string* bytes,
                     encode_failure* failure)
{
    // A text of bytes that export as themselves encodes as itself.
    size_t plain = 0;
    while (plain < text.size() && codec.verbatim[static_cast<uint8_t>(text[plain])] &&
           static_cast<uint8_t>(text[plain]) < 0x80)
        plain++;
    if (plain == text.size()) {
        *bytes = text;
        return 0;
    }
    return encode_string(codec, text, false, bytes, failure);
}

int encode_keyword_field(const field_codec& codec, const std::string& text, uint8_t* field,
                         encode_failure* failure)
{
    std::string bytes;
    if (encode_string(codec, text, true, &bytes, failure) < 0)
        return -1;
    if (bytes.size() > talk_keyword_size) {
        failure->character = talk_keyword_size + 1;
        failure->reason = "a keyword holds at most " + std::to_string(talk_keyword_size) +
                          " characters, this one " + std::to_string(bytes.size());
        return -1;
    }
    for (size_t i = 0; i < talk_keyword_size; i++)
        field[i] = i < bytes.size() ? static_cast<uint8_t>(bytes[i]) : talk_keyword_padding;
    return 0;
}
