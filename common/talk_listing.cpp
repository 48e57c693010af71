// The walk over the 256 talk records: fetch, check, print.
#include "talk_listing.h"

#include <cstdio>

#include "talk_writer.h"

namespace {

const unsigned keyword_field_size = 6;
const unsigned char keyword_padding = 0x20;

// The twelve display slots of the current record, as positions inside it.
struct talk_slots {
    const unsigned char* text[talk_slot_count];
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
long scan_talk_text(const talk_profile* profile, const unsigned char* record, unsigned pos)
{
    const unsigned end = profile->text_end;
    while (pos < end && record[pos] != 0) {
        unsigned char code = record[pos];
        switch (profile->char_rule) {
        case char_rule_ascii:
        case char_rule_apple2:
            if (!check_talk_char(profile->char_rule, code))
                return -1;
            pos += 1;
            break;
        case char_rule_table:
            if (!has_char_entry(profile, code))
                return -1;
            pos += 1;
            break;
        case char_rule_sjis:
            if (code < 0x80) {
                if (!has_char_entry(profile, code))
                    return -1;
                pos += 1;
            } else {
                if (!is_sjis_lead(code) || pos + 1 >= end || !is_sjis_trail(record[pos + 1]))
                    return -1;
                pos += 2;
            }
            break;
        }
    }
    if (pos >= end)
        return -1;
    return static_cast<long>(pos) + 1;
}

// Splits the record into its display slots, checking every stored text.
int split_talk_texts(const talk_profile* profile, const unsigned char* record, talk_slots* slots)
{
    unsigned pos = profile->text_offset;
    for (unsigned k = 0; k < profile->stored_fields; k++) {
        long next = scan_talk_text(profile, record, pos);
        if (next < 0)
            return -1;
        slots->text[profile->field_order[k]] = record + pos;
        pos = static_cast<unsigned>(next);
    }
    if (profile->keyword_offsets != nullptr) {
        slots->text[5] = record + profile->keyword_offsets[0];
        slots->text[7] = record + profile->keyword_offsets[1];
    }
    return 0;
}

void write_talk_field(talk_writer* writer, const talk_profile* profile, const unsigned char* text)
{
    const unsigned char line_break = profile->line_break;
    const unsigned char* p = text;
    while (*p != 0) {
        unsigned char code = *p;
        if (code == line_break) {
            write_talk_byte(writer, '\n');
            p++;
            if (*p != 0)
                write_talk_text(writer, "\t\t");
            continue;
        }
        switch (profile->char_rule) {
        case char_rule_ascii:
        case char_rule_apple2: {
            const unsigned char* run_end = p;
            while (*run_end != 0 && *run_end != line_break)
                run_end++;
            write_talk_bytes(writer, p, static_cast<size_t>(run_end - p));
            p = run_end;
            break;
        }
        case char_rule_table:
            write_talk_text(writer, profile->char_table[code]);
            p++;
            break;
        case char_rule_sjis:
            if (code < 0x80) {
                write_talk_text(writer, profile->char_table[code]);
                p++;
            } else {
                if (p[1] == 0)  // a checked text never ends inside a pair
                    return;
                write_talk_bytes(writer, p, 2);
                p += 2;
            }
            break;
        }
    }
}

// A fixed keyword field: up to six bytes, ending before the first space.
void write_keyword_field(talk_writer* writer, const unsigned char* field)
{
    unsigned length = 0;
    while (length < keyword_field_size && field[length] != keyword_padding)
        length++;
    write_talk_bytes(writer, field, length);
}

void write_talk_slot(talk_writer* writer, const talk_profile* profile, const talk_slots* slots,
                     unsigned slot)
{
    write_talk_text(writer, profile->labels[slot]);
    bool keyword = profile->keyword_offsets != nullptr && (slot == 5 || slot == 7);
    if (keyword)
        write_keyword_field(writer, slots->text[slot]);
    else
        write_talk_field(writer, profile, slots->text[slot]);
    write_talk_byte(writer, '\n');
}

// "[town][person]" and the header bytes in hex.
void write_record_heading(talk_writer* writer, const talk_profile* profile,
                          const unsigned char* record, int town, int person)
{
    write_talk_byte(writer, '[');
    write_talk_text(writer, town_labels[town]);
    write_talk_text(writer, "][");
    write_talk_decimal(writer, static_cast<unsigned>(person));
    write_talk_text(writer, "]\n\t\t");
    for (unsigned i = 0; i < profile->header_count; i++) {
        if (i > 0)
            write_talk_byte(writer, ' ');
        write_talk_hex2(writer, record[profile->header_offset + i]);
    }
    write_talk_byte(writer, '\n');
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
    writer.used = 0;
    write_talk_field(&writer, profile, text);
    flush_talk_writer(&writer);
}

int print_talk_data(const talk_profile* profile, talk_record_fetch fetch, void* context)
{
    talk_writer writer;
    writer.used = 0;
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
            write_record_heading(&writer, profile, record, town, person);

            talk_slots slots = {};
            if (split_talk_texts(profile, record, &slots) < 0) {
                flush_talk_writer(&writer);
                print_illegal_data(profile, town, person, &location);
                return -1;
            }
            unsigned question_after = question_slot(flag);
            for (unsigned slot = 0; slot <= 8; slot++) {
                write_talk_slot(&writer, profile, &slots, slot);
                if (slot == question_after) {
                    for (unsigned q = 9; q < talk_slot_count; q++)
                        write_talk_slot(&writer, profile, &slots, q);
                }
            }
            write_talk_byte(&writer, '\n');
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
