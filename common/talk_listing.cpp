// The walk over the 256 talk records: fetch, check, print.
#include "talk_listing.h"

#include <cstdio>
#include <cstring>

#include "talk_text.h"
#include "talk_writer.h"

namespace {

// The slot after which the question block is printed, by question flag.
// Flags 7-9 and every flag past the table are invalid: no_question_slot.
const unsigned no_question_slot = talk_slot_count;
const unsigned question_slots[] = {
    talk_slot_reply2,   // 0
    talk_slot_pronoun,  // 1
    talk_slot_look,     // 2
    talk_slot_job,      // 3
    talk_slot_health,   // 4
    talk_slot_reply1,   // 5
    talk_slot_reply2,   // 6
    no_question_slot,   // 7
    no_question_slot,   // 8
    no_question_slot,   // 9
    talk_slot_reply2,   // 10
};
const unsigned question_flag_count = sizeof question_slots / sizeof *question_slots;

// The twelve display slots of the current record, as positions inside it.
struct talk_slots {
    const unsigned char* text[talk_slot_count];
    size_t length[talk_slot_count];   // bytes before the NUL (keyword fields: talk_keyword_size)
    bool as_stored[talk_slot_count];  // the text prints as its bytes: a byte rule, no line break
};

// Splits the record into its display slots, checking every stored text.
int split_talk_texts(const talk_text_rule* rule, const unsigned char* record, talk_slots* slots)
{
    const talk_profile* profile = rule->profile;
    unsigned pos = profile->text_offset;
    if (rule->run_count > 0) {
        // The whole text area at once.
        unsigned nuls[talk_slot_count];
        unsigned unbroken = 0;
        if (split_talk_record(rule, record, nuls, &unbroken) < 0)
            return -1;
        const bool byte_rule = talk_rule_prints_bytes(profile->char_rule);
        for (unsigned k = 0; k < profile->stored_fields; k++) {
            const unsigned slot = profile->field_order[k];
            slots->text[slot] = record + pos;
            slots->length[slot] = nuls[k] - pos;
            slots->as_stored[slot] = byte_rule && (unbroken >> k & 1) != 0;
            pos = nuls[k] + 1;
        }
    } else {
        for (unsigned k = 0; k < profile->stored_fields; k++) {
            int next = scan_talk_text(rule, record, pos);
            if (next < 0)
                return -1;
            slots->text[profile->field_order[k]] = record + pos;
            slots->length[profile->field_order[k]] = static_cast<unsigned>(next - 1) - pos;
            pos = static_cast<unsigned>(next);
        }
    }
    if (profile->keyword_offsets != nullptr) {
        slots->text[talk_slot_keyword1] = record + profile->keyword_offsets[0];
        slots->text[talk_slot_keyword2] = record + profile->keyword_offsets[1];
        slots->length[talk_slot_keyword1] = slots->length[talk_slot_keyword2] = talk_keyword_size;
    }
    return 0;
}

// A fixed keyword field: up to six bytes, ending before the first space.
unsigned char* write_keyword_field(unsigned char* out, const unsigned char* field)
{
    for (unsigned i = 0; i < talk_keyword_size && field[i] != talk_keyword_padding; i++)
        *out++ = field[i];
    return out;
}

// A field: its label, its text and the line end. The caller has made room
// for the whole record.
inline unsigned char* put_talk_slot(unsigned char* out, const talk_text_rule* rule,
                                    const talk_slots* slots, unsigned slot)
{
    const talk_profile* profile = rule->profile;
    const size_t length = slots->length[slot];
    out = put_talk_label(out, rule, slot);
    bool keyword = profile->keyword_offsets != nullptr &&
                   (slot == talk_slot_keyword1 || slot == talk_slot_keyword2);
    if (keyword) {
        out = write_keyword_field(out, slots->text[slot]);
    } else if (slots->as_stored[slot]) {
        memcpy(out, slots->text[slot], length);
        out += length;
    } else {
        out = put_talk_text_bytes(out, rule, slots->text[slot], length);
    }
    *out++ = '\n';
    return out;
}

// The most that one record prints: its heading (within the margin), twelve
// labels (each stored as talk_label_room bytes), the texts at their most,
// each with the byte that a four-byte glyph store may run over and its line
// end, and the blank line.
size_t talk_record_room(const talk_profile* profile)
{
    return talk_writer_margin + talk_slot_count * (talk_label_room + 2) +
           talk_text_expansion * profile->record_size + 1;
}

// "[town][person]" and the header bytes in hex; the caller has made room.
unsigned char* put_record_heading(unsigned char* out, const talk_profile* profile,
                                  const unsigned char* record, int town, int person)
{
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

unsigned talk_question_slot(unsigned flag)
{
    return flag < question_flag_count ? question_slots[flag] : no_question_slot;
}

void print_talk_field(const talk_profile* profile, const unsigned char* text)
{
    talk_text_rule rule;
    prepare_talk_text_rule(profile, &rule);
    size_t length = strlen(reinterpret_cast<const char*>(text));
    talk_writer writer;
    start_talk_writer(&writer);
    // A long unchecked text is printed in pieces that fit the buffer.
    const size_t piece = (talk_writer_size - 1) / talk_text_expansion;
    for (size_t done = 0; done < length; done += piece) {
        size_t count = length - done < piece ? length - done : piece;
        writer.cursor = write_talk_text(&writer, writer.cursor, &rule, text + done, count);
    }
    flush_talk_writer(&writer);
}

int print_talk_data(const talk_profile* profile, talk_record_fetch fetch, void* context)
{
    talk_text_rule rule;
    prepare_talk_text_rule(profile, &rule);
    talk_writer writer;
    start_talk_writer(&writer);
    const size_t record_room = talk_record_room(profile);
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
            unsigned question_after = talk_question_slot(record[profile->header_offset]);
            if (question_after == no_question_slot) {
                flush_talk_writer(&writer);
                print_illegal_data(profile, town, person, &location);
                return -1;
            }
            unsigned char* out = talk_room_for(&writer, writer.cursor, record_room);
            writer.cursor = put_record_heading(out, profile, record, town, person);

            talk_slots slots = {};
            if (split_talk_texts(&rule, record, &slots) < 0) {
                flush_talk_writer(&writer);
                print_illegal_data(profile, town, person, &location);
                return -1;
            }
            out = writer.cursor;
            for (unsigned slot = 0; slot < talk_slot_question; slot++) {
                out = put_talk_slot(out, &rule, &slots, slot);
                if (slot == question_after) {
                    for (unsigned q = talk_slot_question; q < talk_slot_count; q++)
                        out = put_talk_slot(out, &rule, &slots, q);
                }
            }
            *out++ = '\n';
            writer.cursor = out;
        }
    }
    flush_talk_writer(&writer);
    // A listing that could not be written out whole is not complete.
    if (writer.failed || fflush(stdout) != 0 || ferror(stdout))
        return -1;
    return 0;
}

int print_talk_data(const talk_profile* profile, const unsigned char* buffer)
{
    talk_buffer_source source = {buffer, profile->record_size};
    return print_talk_data(profile, fetch_buffer_record, &source);
}
