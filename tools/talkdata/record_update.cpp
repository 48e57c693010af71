#include "record_update.h"

#include <cstring>

#include "record_fields.h"

namespace {

// The edits of one record gathered from every row or entry that names it.
struct gathered_record {
    bool named = false;  // an edit names the record
    bool has_header = false;
    std::vector<int> header;
    const std::string* texts[talk_slot_count] = {};  // the edited texts by slot, or null
    const record_edit* sources[talk_slot_count] = {};  // the entry or row that gave each
    const record_edit* header_source = nullptr;
};

// Gathers the edits by record, index = town * 16 + person.
void gather_edits(const talk_input& input, const edits_file& edits,
                  std::vector<gathered_record>* gathered, std::vector<std::string>* problems)
{
    for (const record_edit& edit : edits.records) {
        gathered_record& record =
            (*gathered)[static_cast<size_t>(edit.town * talk_person_count + edit.person)];
        record.named = true;
        if (edit.has_header) {
            if (record.has_header)
                problems->push_back(edit_place(edit) + ": " +
                                    record_name(input, edit.town, edit.person) +
                                    " header: given twice");
            record.has_header = true;
            record.header = edit.header;
            record.header_source = &edit;
        }
        for (const field_edit& field : edit.fields) {
            const std::string*& text = record.texts[field.slot];
            bool given_before = text != nullptr;
            text = &field.text;
            record.sources[field.slot] = &edit;
            if (given_before)
                problems->push_back(edit_place(edit) + ": " +
                                    record_name(input, edit.town, edit.person) + " " +
                                    field_names[field.slot] + ": given twice");
        }
    }
}

// Checks the header bytes of an edit: 0, or -1 after adding the problem.
int check_header(const talk_profile* profile, const std::string& name,
                 const std::vector<int>& header, std::vector<std::string>* problems)
{
    if (header.size() != profile->header_count) {
        problems->push_back(name + " header: " + std::to_string(header.size()) +
                            " bytes, the record has " + std::to_string(profile->header_count));
        return -1;
    }
    if (talk_question_slot(static_cast<unsigned>(header[0])) == talk_slot_count) {
        problems->push_back(name + " header: question flag " + std::to_string(header[0]) +
                            " is not 0 to 6 or 10");
        return -1;
    }
    return 0;
}

// Rebuilds one record from its edits into new_record. The change, or none
// (slots empty and no header) when every byte stays.
record_change update_record(const field_codec& codec, const talk_input& input, int town,
                            int person, const gathered_record& edit, uint8_t* new_record,
                            std::vector<std::string>* problems)
{
    const talk_profile* profile = codec.profile;
    const uint8_t* old_record = input.record(town, person);
    record_fields fields;
    std::string unused;
    split_record_fields(codec, old_record, &fields, &unused);  // passed when the input was checked
    std::string name;  // made when a problem needs it
    auto named = [&]() -> const std::string& {
        if (name.empty())
            name = record_name(input, town, person);
        return name;
    };
    record_change change;
    change.town = town;
    change.person = person;

    // Every field's bytes: the edited ones encoded, the others as stored.
    std::string bytes[talk_slot_count];
    bool failed = false;
    for (int slot = 0; slot < talk_slot_count; slot++) {
        const uint8_t* stored = old_record + fields.start[slot];
        bytes[slot].assign(reinterpret_cast<const char*>(stored), fields.length[slot]);
        const std::string* text = edit.texts[slot];
        if (text == nullptr)
            continue;
        // A field given as the export shows it keeps its bytes: only the
        // fields that a translator changed are encoded.
        if (*text == export_field(codec, old_record, fields, static_cast<unsigned>(slot)))
            continue;
        encode_failure failure;
        int result;
        if (is_keyword_slot(profile, static_cast<unsigned>(slot))) {
            uint8_t field[keyword_field_size];
            result = encode_keyword_field(codec, *text, field, &failure);
            if (result == 0)
                bytes[slot].assign(reinterpret_cast<const char*>(field), keyword_field_size);
        } else {
            result = encode_talk_text(codec, *text, &bytes[slot], &failure);
        }
        if (result < 0) {
            problems->push_back(edit_place(*edit.sources[slot]) + ": " + named() + " " +
                                field_names[slot] + ", character " +
                                std::to_string(failure.character) + ": " + failure.reason);
            failed = true;
            continue;
        }
        if (bytes[slot].size() != fields.length[slot] ||
            memcmp(bytes[slot].data(), stored, fields.length[slot]) != 0)
            change.slots.push_back(slot);
    }
    if (edit.has_header) {
        if (check_header(profile, edit_place(*edit.header_source) + ": " + named(), edit.header,
                         problems) < 0)
            failed = true;
        else
            for (unsigned i = 0; i < profile->header_count; i++)
                if (edit.header[i] != old_record[profile->header_offset + i])
                    change.header = true;
    }
    if (failed || (change.slots.empty() && !change.header))
        return change;

    // The texts back to back in stored order, each with its NUL.
    const unsigned room = profile->text_end - profile->text_offset;
    unsigned used = 0;
    for (unsigned k = 0; k < profile->stored_fields; k++)
        used += static_cast<unsigned>(bytes[profile->field_order[k]].size()) + 1;
    if (used > room) {
        // The fields that changed, not the one where the room ran out.
        std::string fields_named;
        for (int slot : change.slots)
            fields_named += (fields_named.empty() ? "" : ", ") + std::string(field_names[slot]);
        unsigned over = used - room;
        problems->push_back(named() + " " + fields_named + ": " + std::to_string(over) +
                            (over == 1 ? " byte" : " bytes") + " over the record's " +
                            std::to_string(room) + " bytes of text");
        change.slots.clear();
        change.header = false;
        return change;
    }
    memcpy(new_record, old_record, profile->record_size);
    if (edit.has_header)
        for (unsigned i = 0; i < profile->header_count; i++)
            new_record[profile->header_offset + i] = static_cast<uint8_t>(edit.header[i]);
    unsigned pos = profile->text_offset;
    for (unsigned k = 0; k < profile->stored_fields; k++) {
        const std::string& text = bytes[profile->field_order[k]];
        memcpy(new_record + pos, text.data(), text.size());
        pos += static_cast<unsigned>(text.size());
        new_record[pos++] = 0;
    }
    memset(new_record + pos, 0, profile->text_end - pos);
    if (profile->keyword_offsets != nullptr) {
        memcpy(new_record + profile->keyword_offsets[0], bytes[talk_slot_keyword1].data(),
               keyword_field_size);
        memcpy(new_record + profile->keyword_offsets[1], bytes[talk_slot_keyword2].data(),
               keyword_field_size);
    }
    change.bytes_free = profile->text_end - pos;
    return change;
}

}  // namespace

void apply_edits(talk_input* input, const edits_file& edits, import_plan* plan)
{
    const field_codec& codec = codec_of(input->edition);
    const std::string edition = edition_infos[input->edition].name;
    if (!edits.edition.empty() && edits.edition != edition) {
        plan->problems.push_back("the edits are for the " + edits.edition +
                                 " edition, the input is of the " + edition + " edition");
        return;
    }
    if (edits.disk == -2) {
        plan->problems.push_back("disk: not a disk index");
        return;
    }
    if (edits.disk != -1 && input->edition == edition_pc8801 && edits.disk != input->disk_index) {
        plan->problems.push_back("the edits are of disk " + std::to_string(edits.disk) +
                                 ", the input's disk " + std::to_string(input->disk_index) +
                                 " is chosen (-i)");
        return;
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
            update_record(codec, *input, town, person, gathered[index], new_record, &plan->problems);
        if (!change.slots.empty() || change.header)
            plan->changes.push_back(change);
    }
    if (plan->problems.empty())
        input->records.swap(records);
    else
        plan->changes.clear();
}
