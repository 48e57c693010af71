// The walk over the 256 talk records: fetch, check, print.
#include "talk_listing.h"

#include <cstdio>
#include <cstring>

#include "talk_writer.h"

namespace {

const unsigned keyword_field_size = 6;
const unsigned char keyword_padding = 0x20;

// The twelve display slots of the current record, as positions inside it.
struct talk_slots {
    const unsigned char* text[talk_slot_count];
    size_t length[talk_slot_count];  // bytes before the NUL (keyword fields: 6)
};

bool has_char_entry(const talk_profile* profile, unsigned char code)
{
    return profile->char_table[code][0] != '\0';
}

bool is_sjis_lead(unsigned char code)
{
    return (code >= 0x81 && code <= 0x9F) || (code >= 0xE0 && code <= 0xFC);
}

bool is_sjis_trail(unsigned char code)
{
    return (code >= 0x40 && code <= 0x7E) || (code >= 0x80 && code <= 0xFC);
}

// Checks the text that starts at pos under the profile's character rule.
// Returns the position behind its NUL, or -1 when a byte is invalid or no
// NUL lies below text_end.
int scan_talk_text(const talk_profile* profile, const unsigned char* record, unsigned pos)
{
    const unsigned end = profile->text_end;
    switch (profile->char_rule) {
    case char_rule_ascii:
    case char_rule_apple2:
        for (; pos < end && record[pos] != 0; pos++)
            if (!check_talk_char(profile->char_rule, record[pos]))
                return -1;
        break;
    case char_rule_table:
        for (; pos < end && record[pos] != 0; pos++)
            if (!has_char_entry(profile, record[pos]))
                return -1;
        break;
    case char_rule_sjis:
        while (pos < end && record[pos] != 0) {
            unsigned char code = record[pos];
            if (code < 0x80) {
                if (!has_char_entry(profile, code))
                    return -1;
                pos += 1;
            } else {
                if (!is_sjis_lead(code) || pos + 1 >= end || !is_sjis_trail(record[pos + 1]))
                    return -1;
                pos += 2;
            }
        }
        break;
    }
    if (pos >= end)
        return -1;
    return static_cast<int>(pos) + 1;
}

// Splits the record into its display slots, checking every stored text.
int split_talk_texts(const talk_profile* profile, const unsigned char* record, talk_slots* slots)
{
    unsigned pos = profile->text_offset;
    for (unsigned k = 0; k < profile->stored_fields; k++) {
        int next = scan_talk_text(profile, record, pos);
        if (next < 0)
            return -1;
        slots->text[profile->field_order[k]] = record + pos;
        slots->length[profile->field_order[k]] = static_cast<unsigned>(next - 1) - pos;
        pos = static_cast<unsigned>(next);
    }
    if (profile->keyword_offsets != nullptr) {
        slots->text[5] = record + profile->keyword_offsets[0];
        slots->text[7] = record + profile->keyword_offsets[1];
        slots->length[5] = slots->length[7] = keyword_field_size;
    }
    return 0;
}

// A line break ends the line; unless the text ends there (at end), the
// next line is indented by two tabs.
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

// A character table entry: one or two bytes (a code without an entry, only
// met in unchecked texts, prints nothing).
unsigned char* put_char_entry(unsigned char* out, const char* entry)
{
    if (entry[0] == '\0')
        return out;
    out[0] = static_cast<unsigned char>(entry[0]);
    out[1] = static_cast<unsigned char>(entry[1]);
    return out + (entry[1] != '\0' ? 2 : 1);
}

// Prints the length bytes of a text (which hold no NUL).
unsigned char* write_talk_field(talk_writer* writer, unsigned char* out,
                                const talk_profile* profile, const unsigned char* text,
                                size_t length)
{
    const unsigned char line_break = profile->line_break;
    const char* const* table = profile->char_table;
    const unsigned char* p = text;
    const unsigned char* end = text + length;
    switch (profile->char_rule) {
    case char_rule_ascii:
    case char_rule_apple2:
        // The bytes between line breaks are copied whole.
        while (p < end) {
            const void* found = memchr(p, line_break, static_cast<size_t>(end - p));
            const unsigned char* run_end =
                found != nullptr ? static_cast<const unsigned char*>(found) : end;
            out = write_talk_bytes(writer, out, p, static_cast<size_t>(run_end - p));
            if (run_end == end)
                break;
            p = run_end + 1;
            out = put_line_break(talk_room(writer, out), p, end);
        }
        break;
    case char_rule_table:
        for (; p < end; p++) {
            out = talk_room(writer, out);
            if (*p == line_break)
                out = put_line_break(out, p + 1, end);
            else
                out = put_char_entry(out, table[*p]);
        }
        break;
    case char_rule_sjis:
        while (p < end) {
            out = talk_room(writer, out);
            if (*p == line_break) {
                p++;
                out = put_line_break(out, p, end);
            } else if (*p < 0x80) {
                out = put_char_entry(out, table[*p++]);
            } else {
                if (end - p < 2)  // a checked text never ends inside a pair
                    break;
                *out++ = p[0];
                *out++ = p[1];
                p += 2;
            }
        }
        break;
    }
    return out;
}

// A fixed keyword field: up to six bytes, ending before the first space.
unsigned char* write_keyword_field(unsigned char* out, const unsigned char* field)
{
    for (unsigned i = 0; i < keyword_field_size && field[i] != keyword_padding; i++)
        *out++ = field[i];
    return out;
}

unsigned char* write_talk_slot(talk_writer* writer, unsigned char* out, const talk_profile* profile,
                               const talk_slots* slots, unsigned slot)
{
    out = put_talk_text(talk_room(writer, out), profile->labels[slot]);
    bool keyword = profile->keyword_offsets != nullptr && (slot == 5 || slot == 7);
    if (keyword)
        out = write_keyword_field(out, slots->text[slot]);
    else
        out = write_talk_field(writer, out, profile, slots->text[slot], slots->length[slot]);
    out = talk_room(writer, out);
    *out++ = '\n';
    return out;
}

// "[town][person]" and the header bytes in hex.
unsigned char* write_record_heading(talk_writer* writer, unsigned char* out,
                                    const talk_profile* profile, const unsigned char* record,
                                    int town, int person)
{
    out = talk_room(writer, out);
    *out++ = '[';
    out = put_talk_text(out, town_labels[town]);
    out = put_talk_text(out, "][");
    out = put_talk_decimal(out, static_cast<unsigned>(person));
    out = put_talk_text(out, "]\n\t\t");
    for (unsigned i = 0; i < profile->header_count; i++) {
        if (i > 0)
            *out++ = ' ';
        out = put_talk_hex2(out, record[profile->header_offset + i]);
    }
    *out++ = '\n';
    return out;
}

// The slot after which the question block (slots 9-11) is printed.
unsigned question_slot(unsigned char flag)
{
    switch (flag) {
    case 5:
        return 6;
    case 0:
    case 6:
    case 10:
        return 8;
    default:
        return flag;
    }
}

bool is_valid_question_flag(unsigned char flag)
{
    return flag <= 6 || flag == 10;
}

void print_illegal_data(const talk_profile* profile, int town, int person,
                        const talk_location* location)
{
    if (profile->error_form == error_form_location)
        printf("error: illegal data %02X/%02X/%02X\n", location->cylinder, location->head,
               location->sector);
    else
        printf("error: illegal data %s[%d]\n", town_labels[town], person);
}

struct talk_buffer_source {
    const unsigned char* records;
    unsigned record_size;
};

const unsigned char* fetch_buffer_record(void* context, int town, int person,
                                         talk_location* /*location*/)
{
    const talk_buffer_source* source = static_cast<const talk_buffer_source*>(context);
    unsigned index = static_cast<unsigned>(town * talk_person_count + person);
    return source->records + index * source->record_size;
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

void print_talk_field(const talk_profile* profile, const unsigned char* text)
{
    talk_writer writer;
    start_talk_writer(&writer);
    writer.cursor = write_talk_field(&writer, writer.cursor, profile, text,
                                     strlen(reinterpret_cast<const char*>(text)));
    flush_talk_writer(&writer);
}

int print_talk_data(const talk_profile* profile, talk_record_fetch fetch, void* context)
{
    talk_writer writer;
    start_talk_writer(&writer);
    for (int town = 0; town < talk_town_count; town++) {
        for (int person = 0; person < talk_person_count; person++) {
            talk_location location = {0, 0, 0};
            const unsigned char* record = fetch(context, town, person, &location);
            if (record == nullptr) {
                flush_talk_writer(&writer);
                printf("error: read sector %02X/%02X/%02X\n", location.cylinder, location.head,
                       location.sector);
                return -1;
            }
            unsigned char flag = record[profile->header_offset];
            if (!is_valid_question_flag(flag)) {
                flush_talk_writer(&writer);
                print_illegal_data(profile, town, person, &location);
                return -1;
            }
            writer.cursor =
                write_record_heading(&writer, writer.cursor, profile, record, town, person);

            talk_slots slots = {};
            if (split_talk_texts(profile, record, &slots) < 0) {
                flush_talk_writer(&writer);
                print_illegal_data(profile, town, person, &location);
                return -1;
            }
            unsigned question_after = question_slot(flag);
            unsigned char* out = writer.cursor;
            for (unsigned slot = 0; slot <= 8; slot++) {
                out = write_talk_slot(&writer, out, profile, &slots, slot);
                if (slot == question_after) {
                    for (unsigned q = 9; q < talk_slot_count; q++)
                        out = write_talk_slot(&writer, out, profile, &slots, q);
                }
            }
            out = talk_room(&writer, out);
            *out++ = '\n';
            writer.cursor = out;
        }
    }
    flush_talk_writer(&writer);
    // A listing that could not be written out whole is not complete.
    if (fflush(stdout) != 0 || ferror(stdout))
        return -1;
    return 0;
}

int print_talk_data(const talk_profile* profile, const unsigned char* buffer)
{
    talk_buffer_source source = {buffer, profile->record_size};
    return print_talk_data(profile, fetch_buffer_record, &source);
}
