#include "talk_text.h"

#include <cstring>

namespace {

bool is_sjis_lead(unsigned char code)
{
    return (code >= 0x81 && code <= 0x9F) || (code >= 0xE0 && code <= 0xFC);
}

bool is_sjis_trail(unsigned char code)
{
    return (code >= 0x40 && code <= 0x7E) || (code >= 0x80 && code <= 0xFC);
}

talk_byte_kind kind_of(const talk_profile* profile, unsigned code)
{
    unsigned char byte = static_cast<unsigned char>(code);
    if (code == 0)
        return talk_byte_end;
    switch (profile->char_rule) {
    case char_rule_ascii:
    case char_rule_apple2:
        if (!check_talk_char(profile->char_rule, byte))
            return talk_byte_invalid;
        break;
    case char_rule_table:
        if (profile->char_table[code][0] == '\0')
            return talk_byte_invalid;
        break;
    case char_rule_sjis:
        if (code >= talk_sjis_table_size)
            return is_sjis_lead(byte) ? talk_byte_lead : talk_byte_invalid;
        if (profile->char_table[code][0] == '\0')
            return talk_byte_invalid;
        break;
    }
    return byte == profile->line_break ? talk_byte_break : talk_byte_plain;
}

// Stores the whole entry; the cursor moves by its length.
unsigned char* put_glyph(unsigned char* out, const talk_glyph& glyph)
{
    memcpy(out, &glyph, sizeof glyph);
    return out + glyph.length;
}

// A line break ends the line; the next line is indented by two tabs. A
// text that ends with the break keeps no indent.
const talk_glyph line_break_glyph = {{'\n', '\t', '\t'}, 3};
const unsigned line_break_indent = 2;

}  // namespace

bool check_talk_char(talk_char_rule rule, unsigned char code)
{
    switch (rule) {
    case char_rule_ascii:
        return code == 0x0A || (code >= 0x20 && code <= 0x7E);
    case char_rule_apple2:
        return (code >= 0x20 && code <= 0x60) || (code >= 0x7B && code <= 0x7E) || code == 0x8D;
    case char_rule_table:
    case char_rule_sjis:
        break;
    }
    return false;
}

void prepare_talk_text_rule(const talk_profile* profile, talk_text_rule* rule)
{
    rule->profile = profile;
    for (unsigned slot = 0; slot < talk_slot_count; slot++) {
        size_t length = strlen(profile->labels[slot]);
        memset(rule->label[slot], 0, talk_label_room);
        memcpy(rule->label[slot], profile->labels[slot], length);
        rule->label_length[slot] = static_cast<unsigned char>(length);
    }
    for (unsigned code = 0; code < 256; code++) {
        rule->kind[code] = kind_of(profile, code);
        rule->trail[code] = is_sjis_trail(static_cast<unsigned char>(code));
        talk_glyph& glyph = rule->glyph[code];
        glyph = talk_glyph{{0, 0, 0}, 0};
        bool table_code = profile->char_rule == char_rule_table ||
                          (profile->char_rule == char_rule_sjis && code < talk_sjis_table_size);
        // Under a table rule a plain byte prints its entry, the line break
        // its own glyph, any other byte nothing.
        if (rule->kind[code] == talk_byte_break) {
            glyph = line_break_glyph;
        } else if (table_code && rule->kind[code] == talk_byte_plain) {
            const char* entry = profile->char_table[code];
            for (unsigned i = 0; i < talk_glyph_size && entry[i] != '\0'; i++) {
                glyph.bytes[i] = static_cast<unsigned char>(entry[i]);
                glyph.length = static_cast<unsigned char>(i + 1);
            }
        }
    }
}

int scan_talk_text(const talk_text_rule* rule, const unsigned char* record, unsigned pos)
{
    const unsigned end = rule->profile->text_end;
    const unsigned char* kind = rule->kind;
    if (rule->profile->char_rule != char_rule_sjis) {
        // No pairs: every byte up to the NUL is a character of its own.
        // Four bytes a step, with one test of the end.
        while (pos + 4 <= end) {
            if (kind[record[pos]] < talk_byte_plain)
                break;
            if (kind[record[pos + 1]] < talk_byte_plain) {
                pos += 1;
                break;
            }
            if (kind[record[pos + 2]] < talk_byte_plain) {
                pos += 2;
                break;
            }
            if (kind[record[pos + 3]] < talk_byte_plain) {
                pos += 3;
                break;
            }
            pos += 4;
        }
        while (pos < end && kind[record[pos]] >= talk_byte_plain)
            pos++;
        if (pos < end && kind[record[pos]] == talk_byte_end)
            return static_cast<int>(pos) + 1;
        return -1;
    }
    if (pos >= end)
        return -1;
    // Below the last byte, a pair's trail byte lies before end; the last
    // byte can only be the NUL, as a character there would leave none.
    const unsigned last = end - 1;
    while (pos < last) {
        unsigned char byte_kind = kind[record[pos]];
        if (byte_kind >= talk_byte_plain) {  // one character
            pos += 1;
        } else if (byte_kind == talk_byte_lead) {  // a Shift-JIS pair
            if (!rule->trail[record[pos + 1]])
                return -1;
            pos += 2;
        } else if (byte_kind == talk_byte_end) {
            return static_cast<int>(pos) + 1;
        } else {
            return -1;
        }
    }
    if (pos == last && kind[record[pos]] == talk_byte_end)
        return static_cast<int>(pos) + 1;
    return -1;
}

unsigned char* write_talk_text(talk_writer* writer, unsigned char* out, const talk_text_rule* rule,
                               const unsigned char* text, size_t length)
{
    // The most that length bytes print, and one byte more, as put_glyph
    // stores a whole four-byte entry where the last byte may have room for
    // three.
    out = talk_room_for(writer, out, talk_text_expansion * length + 1);
    if (length == 0)
        return out;
    const unsigned char* p = text;
    const unsigned char* end = text + length;
    const unsigned char last = end[-1];
    bool ends_with_break = false;
    switch (rule->profile->char_rule) {
    case char_rule_ascii:
    case char_rule_apple2: {
        // The bytes between line breaks are copied whole.
        const unsigned char line_break = rule->profile->line_break;
        while (p < end) {
            const void* found = memchr(p, line_break, static_cast<size_t>(end - p));
            const unsigned char* run_end =
                found != nullptr ? static_cast<const unsigned char*>(found) : end;
            memcpy(out, p, static_cast<size_t>(run_end - p));
            out += run_end - p;
            if (run_end == end)
                break;
            p = run_end + 1;
            out = put_glyph(out, line_break_glyph);
        }
        ends_with_break = last == line_break;
        break;
    }
    case char_rule_table:
        while (p < end)
            out = put_glyph(out, rule->glyph[*p++]);
        ends_with_break = rule->kind[last] == talk_byte_break;
        break;
    case char_rule_sjis:
        // Below the last byte, a pair's trail byte lies before end.
        while (p < end - 1) {
            unsigned char code = *p;
            if (rule->kind[code] == talk_byte_lead) {  // the pair as it stands
                memcpy(out, p, 2);
                out += 2;
                p += 2;
            } else {
                out = put_glyph(out, rule->glyph[code]);
                p++;
            }
        }
        // A last lead byte (unchecked texts only) prints nothing.
        if (p < end && rule->kind[last] != talk_byte_lead) {
            out = put_glyph(out, rule->glyph[last]);
            ends_with_break = rule->kind[last] == talk_byte_break;
        }
        break;
    }
    if (ends_with_break)
        out -= line_break_indent;
    return out;
}
