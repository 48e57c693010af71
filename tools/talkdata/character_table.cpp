#include "character_table.h"

#include <vector>

#include "field_codec.h"

namespace {

const char hex_digits[] = "0123456789ABCDEF";

// A code of a text, one byte or a Shift-JIS pair (lead << 8 | trail), and
// the character it shows.
struct table_code {
    unsigned code;
    std::string shown;
};

// The bytes of a code as a text holds them.
std::string code_bytes(unsigned code)
{
    if (code < 0x100)
        return std::string(1, static_cast<char>(code));
    return {static_cast<char>(code >> 8), static_cast<char>(code & 0xFF)};
}

void append_hex(std::string* out, unsigned code)
{
    for (int shift = code < 0x100 ? 4 : 12; shift >= 0; shift -= 4)
        *out += hex_digits[code >> shift & 0xF];
}

// Adds a code that shows a character: show_talk_text writes an escape
// ({XX}, {XXXX}) for one without, a lone '{' for the DOS and Apple II brace.
void add_if_shown(const field_codec& codec, unsigned code, std::vector<table_code>* codes)
{
    const std::string bytes = code_bytes(code);
    std::string shown =
        show_talk_text(codec, reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
    if (shown.size() > 1 && shown[0] == '{')
        return;
    codes->push_back({code, std::move(shown)});
}

// Every code the edition's texts may hold that shows a character, in
// ascending order: the one-byte codes, then the pairs.
std::vector<table_code> shown_codes(const field_codec& codec)
{
    std::vector<table_code> codes;
    const talk_text_rule& rule = codec.rule;
    for (unsigned byte = 0; byte < 256; byte++)
        if (rule.kind[byte] == talk_byte_plain || rule.kind[byte] == talk_byte_break)
            add_if_shown(codec, byte, &codes);
    for (unsigned lead = 0; lead < 256; lead++) {
        if (rule.kind[lead] != talk_byte_lead)
            continue;
        for (unsigned trail = 0; trail < 256; trail++)
            if (rule.trail[trail])
                add_if_shown(codec, lead << 8 | trail, &codes);
    }
    return codes;
}

// The code that an import writes a character with, or 0 (the NUL, no
// character's code) when it writes none or more than one code.
unsigned written_code(const field_codec& codec, const std::string& shown)
{
    std::string bytes;
    encode_failure failure;
    if (encode_talk_text(codec, shown, &bytes, &failure) < 0 || bytes.empty() || bytes.size() > 2)
        return 0;
    unsigned code = static_cast<uint8_t>(bytes[0]);
    if (bytes.size() == 2)
        code = code << 8 | static_cast<uint8_t>(bytes[1]);
    return code;
}

// How the edition's bytes map to characters, one comment line.
const char* mapping_line(talk_char_rule rule)
{
    switch (rule) {
    case char_rule_ascii:
    case char_rule_apple2:
        return "# Each byte is the ASCII character it shows; there are no Shift-JIS pairs.\n";
    case char_rule_table:
        return "# Each byte is a game code shown through the edition's character table; "
               "there are no Shift-JIS pairs.\n";
    case char_rule_sjis:
        break;
    }
    return "# Bytes below 0x80 are game codes shown through the edition's character table; "
           "Shift-JIS pairs are read as the CP932 code page reads them (pairs without a "
           "character and those of the private-use area are left out).\n";
}

}  // namespace

std::string character_table_text(const edition_entry* edition)
{
    if (edition == nullptr)
        return "";
    const field_codec& codec = edition_codec(edition);
    std::string out = "# Character table of the ";
    out += edition->title;
    out += " edition: HEX=text entries, *HEX for the line break.\n";
    out += mapping_line(codec.profile->char_rule);
    out +=
        "# Where two codes show one character, the first listed is the one an import "
        "writes.\n";

    const std::vector<table_code> codes = shown_codes(codec);
    // Each code's place in codes, by its value (codes.size() for none).
    std::vector<size_t> place(0x10000, codes.size());
    for (size_t i = 0; i < codes.size(); i++)
        place[codes[i].code] = i;
    std::vector<bool> listed(codes.size(), false);
    auto list = [&](size_t i) {
        listed[i] = true;
        const table_code& entry = codes[i];
        if (entry.shown == "\n") {
            out += '*';
            append_hex(&out, entry.code);
            out += '\n';
            return;
        }
        append_hex(&out, entry.code);
        out += '=';
        out += entry.shown;
        out += '\n';
    };
    // Ascending order, but a code whose character the import writes as a
    // later code comes after that one.
    for (size_t i = 0; i < codes.size(); i++) {
        if (listed[i])
            continue;
        size_t other = place[written_code(codec, codes[i].shown)];
        if (other < codes.size() && other != i && !listed[other] &&
            codes[other].shown == codes[i].shown)
            list(other);
        list(i);
    }
    return out;
}
