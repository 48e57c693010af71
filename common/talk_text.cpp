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

// A line break ends the line; unless the text ends there, the next line is
// indented by two tabs.
unsigned char* put_line_break(unsigned char* out, const unsigned char* after,
                              const unsigned char* end)
{
    *out++ = '\n';
    if (after < end) {
        *out++ = '\t';
        *out++ = '\t';
    }
    return out;
}

// The entry of a table code: talk_glyph_size bytes are always copied, the
// cursor moves by the entry's length.
unsigned char* put_glyph(unsigned char* out, const talk_text_rule* rule, unsigned char code)
{
    unsigned char length = rule->glyph_length[code];
    unsigned char pair[talk_glyph_size] = {rule->glyph[code][0], rule->glyph[code][1]};
    memcpy(out, pair, talk_glyph_size);
    return out + length;
}

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
        rule->glyph[code][0] = rule->glyph[code][1] = 0;
        rule->glyph_length[code] = 0;
        bool table_code = profile->char_rule == char_rule_table ||
                          (profile->char_rule == char_rule_sjis && code < talk_sjis_table_size);
        if (table_code) {
            const char* entry = profile->char_table[code];
            for (unsigned i = 0; i < talk_glyph_size && entry[i] != '\0'; i++) {
                rule->glyph[code][i] = static_cast<unsigned char>(entry[i]);
                rule->glyph_length[code] = static_cast<unsigned char>(i + 1);
            }
        }
    }
}

int scan_talk_text(const talk_text_rule* rule, const unsigned char* record, unsigned pos)
{
    const unsigned end = rule->profile->text_end;
    while (pos < end) {
        unsigned char kind = rule->kind[record[pos]];
        if (kind >= talk_byte_plain) {  // one character
            pos += 1;
        } else if (kind == talk_byte_lead) {  // a Shift-JIS pair
            if (pos + 1 >= end || !rule->trail[record[pos + 1]])
                return -1;
            pos += 2;
        } else if (kind == talk_byte_end) {
            return static_cast<int>(pos) + 1;
        } else {
            return -1;
        }
    }
    return -1;
}

unsigned char* write_talk_text(talk_writer* writer, unsigned char* out, const talk_text_rule* rule,
                               const unsigned char* text, size_t length)
{
    // The most that length bytes print, and one byte more, as put_glyph
    // stores talk_glyph_size bytes even for a one-byte entry.
    out = talk_room_for(writer, out, talk_text_expansion * length + 1);
    const unsigned char line_break = rule->profile->line_break;
    const unsigned char* p = text;
    const unsigned char* end = text + length;
    switch (rule->profile->char_rule) {
    case char_rule_ascii:
    case char_rule_apple2:
        // The bytes between line breaks are copied whole.
        while (p < end) {
            const void* found = memchr(p, line_break, static_cast<size_t>(end - p));
            const unsigned char* run_end =
                found != nullptr ? static_cast<const unsigned char*>(found) : end;
            memcpy(out, p, static_cast<size_t>(run_end - p));
            out += run_end - p;
            if (run_end == end)
                break;
            p = run_end + 1;
            out = put_line_break(out, p, end);
        }
        break;
    case char_rule_table:
        while (p < end) {
            unsigned char code = *p++;
            unsigned char kind = rule->kind[code];
            if (kind == talk_byte_plain)
                out = put_glyph(out, rule, code);
            else if (kind == talk_byte_break)
                out = put_line_break(out, p, end);
            // any other byte is met only in unchecked texts: it prints nothing
        }
        break;
    case char_rule_sjis:
        while (p < end) {
            unsigned char code = *p++;
            unsigned char kind = rule->kind[code];
            if (kind == talk_byte_lead) {
                if (p == end)  // a checked text never ends inside a pair
                    break;
                out[0] = code;
                out[1] = *p++;
                out += 2;
            } else if (kind == talk_byte_plain) {
                out = put_glyph(out, rule, code);
            } else if (kind == talk_byte_break) {
                out = put_line_break(out, p, end);
            }
        }
        break;
    }
    return out;
}
