#include "record_fields.h"

#include <cstdio>
#include <vector>

namespace {

std::string hex_byte(unsigned value)
{
    char text[8];
    snprintf(text, sizeof text, "0x%02X", value & 0xFF);
    return text;
}

// Why a text failed the listing's check at stop, in words: its field, the
// byte and where it lies.
std::string text_problem(const field_codec& codec, const uint8_t* record, const char* field,
                         unsigned stop)
{
    const unsigned end = codec.profile->text_end;
    if (stop >= end)
        return std::string(field) + ": no NUL before offset " + std::to_string(end);
    if (codec.rule.kind[record[stop]] == talk_byte_lead)
        return std::string(field) + ": Shift-JIS lead byte " + hex_byte(record[stop]) +
               " at offset " + std::to_string(stop) + " has no valid trail byte before offset " +
               std::to_string(end);
    return std::string(field) + ": byte " + hex_byte(record[stop]) + " at offset " +
           std::to_string(stop) + " is not a character of the " + codec.edition_title + " edition";
}

}  // namespace

// clang-format off
const char* const field_names[] = {
    "name", "pronoun", "look", "job", "health", "keyword1",
    "reply1", "keyword2", "reply2", "question", "yes", "no",
};
// clang-format on
static_assert(sizeof field_names / sizeof *field_names == talk_slot_count);

int find_field(const std::string& name)
{
    // The first letters tell most names apart before a whole compare.
    for (int i = 0; i < talk_slot_count; i++)
        if (name[0] == field_names[i][0] && name == field_names[i])
            return i;
    return -1;
}

std::string question_flag_problem(const std::string& flag)
{
    // The runs of valid flags: "0 to 6", "10".
    std::vector<std::string> runs;
    for (unsigned first = 0; first < 256; first++) {
        if (talk_question_slot(first) == talk_slot_count)
            continue;
        unsigned last = first;
        while (last + 1 < 256 && talk_question_slot(last + 1) != talk_slot_count)
            last++;
        runs.push_back(std::to_string(first) + (last > first ? " to " + std::to_string(last) : ""));
        first = last;
    }
    std::string text;
    for (size_t i = 0; i < runs.size(); i++)
        text += (i == 0 ? "" : i + 1 < runs.size() ? ", " : " or ") + runs[i];
    return "question flag " + flag + " is not " + text;
}

bool is_keyword_slot(const talk_profile* profile, unsigned slot)
{
    return profile->keyword_offsets != nullptr &&
           (slot == talk_slot_keyword1 || slot == talk_slot_keyword2);
}

int split_record_fields(const field_codec& codec, const uint8_t* record, record_fields* fields,
                        std::string* problem)
{
    const talk_profile* profile = codec.profile;
    unsigned flag = record[profile->header_offset];
    if (talk_question_slot(flag) == talk_slot_count) {
        *problem = question_flag_problem(hex_byte(flag));
        return -1;
    }
    unsigned pos = profile->text_offset;
    const unsigned end = profile->text_end;
    for (unsigned k = 0; k < profile->stored_fields; k++) {
        unsigned slot = profile->field_order[k];
        unsigned stop = end;
        int behind = scan_talk_text(&codec.rule, record, pos, &stop);
        if (behind < 0) {
            *problem = text_problem(codec, record, field_names[slot], stop);
            return -1;
        }
        fields->start[slot] = pos;
        fields->length[slot] = static_cast<unsigned>(behind) - 1 - pos;
        pos = static_cast<unsigned>(behind);
    }
    fields->text_end = pos;
    if (profile->keyword_offsets != nullptr) {
        fields->start[talk_slot_keyword1] = profile->keyword_offsets[0];
        fields->start[talk_slot_keyword2] = profile->keyword_offsets[1];
        fields->length[talk_slot_keyword1] = fields->length[talk_slot_keyword2] = talk_keyword_size;
    }
    return 0;
}

std::string export_field(const field_codec& codec, const uint8_t* record,
                         const record_fields& fields, unsigned slot)
{
    if (is_keyword_slot(codec.profile, slot))
        return decode_keyword_field(codec, record + fields.start[slot]);
    return decode_talk_text(codec, record + fields.start[slot], fields.length[slot]);
}

std::string show_field(const field_codec& codec, const uint8_t* record, const record_fields& fields,
                       unsigned slot)
{
    if (is_keyword_slot(codec.profile, slot))
        return show_keyword_field(codec, record + fields.start[slot]);
    return show_talk_text(codec, record + fields.start[slot], fields.length[slot]);
}
