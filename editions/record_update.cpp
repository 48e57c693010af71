#include "record_update.h"

#include <algorithm>
#include <cstring>

#include "record_fields.h"

namespace {

// The edits of one record gathered from every row or entry that names it.
struct gathered_record {
    bool named = false;                                // an edit names the record
    const std::vector<int>* header = nullptr;          // the edited header bytes, or null
    const record_edit* header_source = nullptr;        // the edit that gave them
    const std::string* texts[talk_slot_count] = {};    // the edited texts by slot, or null
    const record_edit* sources[talk_slot_count] = {};  // the edit that gave each
};

// Gathers the edits by record, index = town * 16 + person.
void gather_edits(const talk_input& input, const edits_file& edits,
                  std::vector<gathered_record>* gathered, problem_list* problems)
{
    for (const record_edit& edit : edits.records) {
        gathered_record& record =
            (*gathered)[static_cast<size_t>(edit.town * talk_person_count + edit.person)];
        record.named = true;
        if (edit.has_header) {
            if (record.header != nullptr)
                problems->add(edit.place + ": " + record_name(input, edit.town, edit.person) +
                              " header: given twice");
            record.header = &edit.header;
            record.header_source = &edit;
        }
        for (const field_edit& field : edit.fields) {
            if (record.texts[field.slot] != nullptr)
                problems->add(edit.place + ": " + record_name(input, edit.town, edit.person) + " " +
                              field_names[field.slot] + ": given twice");
            record.texts[field.slot] = &field.text;
            record.sources[field.slot] = &edit;
        }
    }
}

// Checks the header bytes of an edit: 0, or -1 after adding the problem.
int check_header(const talk_profile* profile, const std::string& name,
                 const std::vector<int>& header, problem_list* problems)
{
    if (header.size() != profile->header_count) {
        problems->add(name + " header: " + std::to_string(header.size()) +
                      " bytes, the record has " + std::to_string(profile->header_count));
        return -1;
    }
    if (talk_question_slot(static_cast<unsigned>(header[0])) == talk_slot_count) {
        problems->add(name + " header: " + question_flag_problem(std::to_string(header[0])));
        return -1;
    }
    return 0;
}

// One record being rebuilt: its stored fields, and the bytes each field
// will hold.
struct record_rebuild {
    const field_codec* codec;
    const uint8_t* old_record;
    record_fields fields;
    std::string bytes[talk_slot_count];
};

}  // namespace

int encode_field_text(const field_codec& codec, unsigned slot, const std::string& text,
                      std::string* bytes, encode_failure* failure)
{
    if (!is_keyword_slot(codec.profile, slot))
        return encode_talk_text(codec, text, bytes, failure);
    uint8_t field[talk_keyword_size];
    if (encode_keyword_field(codec, text, field, failure) < 0)
        return -1;
    // The game and the listing end a keyword at its first space: a new
    // keyword that goes on after one would not be what it says.
    const std::string padded(reinterpret_cast<const char*>(field), talk_keyword_size);
    const size_t space = padded.find(static_cast<char>(talk_keyword_padding));
    if (space != std::string::npos &&
        padded.find_first_not_of(static_cast<char>(talk_keyword_padding), space) !=
            std::string::npos) {
        failure->character = space + 1;
        failure->reason = "a keyword ends at its first space, and this one goes on after it";
        return -1;
    }
    *bytes = padded;
    return 0;
}

unsigned packed_text_size(const talk_profile* profile, const std::string* bytes)
{
    unsigned used = 0;
    for (unsigned k = 0; k < profile->stored_fields; k++)
        used += static_cast<unsigned>(bytes[profile->field_order[k]].size()) + 1;
    return used;
}

std::string overflow_words(unsigned over, unsigned room)
{
    return std::to_string(over) + (over == 1 ? " byte" : " bytes") + " over the record's " +
           std::to_string(room) + " bytes of text";
}

namespace {

// Fills rebuild->bytes: the edited fields encoded, the others as stored;
// the slots whose bytes change go to *changed. 0, or -1 after adding a
// problem for each text that the edition cannot store.
int encode_fields(const talk_input& input, int town, int person, const gathered_record& edit,
                  record_rebuild* rebuild, std::vector<int>* changed, problem_list* problems)
{
    int result = 0;
    for (unsigned slot = 0; slot < talk_slot_count; slot++) {
        const uint8_t* stored = rebuild->old_record + rebuild->fields.start[slot];
        const size_t stored_length = rebuild->fields.length[slot];
        std::string& bytes = rebuild->bytes[slot];
        bytes.assign(reinterpret_cast<const char*>(stored), stored_length);
        const std::string* text = edit.texts[slot];
        // A field given as the export shows it keeps its bytes: only the
        // fields that a translator changed are encoded.
        if (text == nullptr ||
            *text == export_field(*rebuild->codec, rebuild->old_record, rebuild->fields, slot))
            continue;
        encode_failure failure;
        if (encode_field_text(*rebuild->codec, slot, *text, &bytes, &failure) < 0) {
            problems->add(edit.sources[slot]->place + ": " + record_name(input, town, person) +
                          " " + field_names[slot] + ", character " +
                          std::to_string(failure.character) + ": " + failure.reason);
            result = -1;
            continue;
        }
        if (bytes.size() != stored_length || memcmp(bytes.data(), stored, stored_length) != 0)
            changed->push_back(static_cast<int>(slot));
    }
    return result;
}

// Writes the new record: the old one with the header given (or null) and
// the texts back to back from the first text offset, zeros behind them up
// to the end of the text area, the Apple II keyword fields in place. The
// texts must fit. The bytes left free behind the last NUL.
unsigned pack_record(const record_rebuild& rebuild, const std::vector<int>* header,
                     uint8_t* new_record)
{
    const talk_profile* profile = rebuild.codec->profile;
    memcpy(new_record, rebuild.old_record, profile->record_size);
    if (header != nullptr)
        for (unsigned i = 0; i < profile->header_count; i++)
            new_record[profile->header_offset + i] = static_cast<uint8_t>((*header)[i]);
    unsigned pos = profile->text_offset;
    for (unsigned k = 0; k < profile->stored_fields; k++) {
        const std::string& text = rebuild.bytes[profile->field_order[k]];
        memcpy(new_record + pos, text.data(), text.size());
        pos += static_cast<unsigned>(text.size());
        new_record[pos++] = 0;
    }
    memset(new_record + pos, 0, profile->text_end - pos);
    if (profile->keyword_offsets != nullptr) {
        memcpy(new_record + profile->keyword_offsets[0], rebuild.bytes[talk_slot_keyword1].data(),
               talk_keyword_size);
        memcpy(new_record + profile->keyword_offsets[1], rebuild.bytes[talk_slot_keyword2].data(),
               talk_keyword_size);
    }
    return profile->text_end - pos;
}

// "line 4, line 8: NAME name, look: N bytes over the record's M bytes of
// text", naming the fields changed and where their edits stand.
std::string overflow_problem(const std::string& name, const gathered_record& edit,
                             const std::vector<int>& slots, unsigned over, unsigned room)
{
    std::vector<std::string> seen;
    std::string places, fields;
    for (int slot : slots) {
        const std::string& place = edit.sources[slot]->place;
        if (!place.empty() && std::find(seen.begin(), seen.end(), place) == seen.end()) {
            places += (places.empty() ? "" : ", ") + place;
            seen.push_back(place);
        }
        fields += (fields.empty() ? "" : ", ") + std::string(field_names[slot]);
    }
    return (places.empty() ? "" : places + ": ") + name + " " + fields + ": " +
           overflow_words(over, room);
}

// Rebuilds one record from its edits into new_record (the input's records
// were checked whole before). The change, or none (no slots, no header)
// when every byte stays or a problem was found.
record_change update_record(const talk_input& input, int town, int person,
                            const gathered_record& edit, uint8_t* new_record,
                            problem_list* problems)
{
    record_rebuild rebuild;
    rebuild.codec = &edition_codec(input.edition);
    rebuild.old_record = input.record(town, person);
    const talk_profile* profile = rebuild.codec->profile;
    record_change change = {town, person, {}, false, 0};
    std::string unused;
    if (split_record_fields(*rebuild.codec, rebuild.old_record, &rebuild.fields, &unused) < 0) {
        problems->add(record_name(input, town, person) + ": " + unused);
        return change;
    }
    int result = encode_fields(input, town, person, edit, &rebuild, &change.slots, problems);
    if (edit.header != nullptr) {
        if (check_header(profile,
                         edit.header_source->place + ": " + record_name(input, town, person),
                         *edit.header, problems) < 0)
            result = -1;
        else
            for (unsigned i = 0; i < profile->header_count; i++)
                if ((*edit.header)[i] != rebuild.old_record[profile->header_offset + i])
                    change.header = true;
    }
    if (result == 0 && (!change.slots.empty() || change.header)) {
        const unsigned room = profile->text_end - profile->text_offset;
        const unsigned used = packed_text_size(profile, rebuild.bytes);
        if (used <= room) {
            change.bytes_free = pack_record(rebuild, edit.header, new_record);
            return change;
        }
        problems->add(overflow_problem(record_name(input, town, person), edit, change.slots,
                                       used - room, room));
    }
    change.slots.clear();
    change.header = false;
    return change;
}

// The problem of an edit that names no record or field of a talk record,
// which no reader lets through, or an empty string.
std::string edit_out_of_range(const record_edit& edit)
{
    if (edit.town < 0 || edit.town >= talk_town_count || edit.person < 0 ||
        edit.person >= talk_person_count)
        return edit.place + ": no record " + std::to_string(edit.town) + "/" +
               std::to_string(edit.person);
    for (const field_edit& field : edit.fields)
        if (field.slot < 0 || field.slot >= talk_slot_count)
            return edit.place + ": no field " + std::to_string(field.slot);
    return "";
}

}  // namespace

void apply_edits(talk_input* input, const edits_file& edits, import_plan* plan)
{
    for (const record_edit& edit : edits.records) {
        std::string problem = edit_out_of_range(edit);
        if (!problem.empty()) {
            plan->problems.add(problem);
            return;
        }
    }
    std::vector<gathered_record> gathered(talk_record_count);
    gather_edits(*input, edits, &gathered, &plan->problems);

    std::vector<uint8_t> records = input->records;
    for (size_t index = 0; index < gathered.size(); index++) {
        if (!gathered[index].named)
            continue;
        int town = static_cast<int>(index) / talk_person_count;
        int person = static_cast<int>(index) % talk_person_count;
        uint8_t* new_record = records.data() + index * input->record_size;
        record_change change =
            update_record(*input, town, person, gathered[index], new_record, &plan->problems);
        if (!change.slots.empty() || change.header)
            plan->changes.push_back(change);
    }
    if (plan->problems.empty())
        input->records.swap(records);
    else
        plan->changes.clear();
}
