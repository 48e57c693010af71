#include "exported_records.h"

#include "kana_marks.h"
#include "record_fields.h"
#include "storage_messages.h"

namespace {

// Walks the records in listing order up to the first that cannot be read
// or fails a check, whose error line it prints; out (when not null)
// receives each record that passed, and the failing one's heading when its
// texts failed. 0 when all 256 passed, else -1.
int walk_records(const talk_input& input, text_form form, std::vector<exported_record>* out)
{
    const field_codec& codec = edition_codec(input.edition);
    const talk_profile* profile = codec.profile;
    for (int town = 0; town < talk_town_count; town++) {
        for (int person = 0; person < talk_person_count; person++) {
            if (town * talk_person_count + person >= input.present) {
                report_error(input.path, "cannot read sector " + sector_text(input.missing));
                return -1;
            }
            const uint8_t* record = input.record(town, person);
            exported_record exported;
            exported.town = town;
            exported.person = person;
            exported.header.assign(record + profile->header_offset,
                                   record + profile->header_offset + profile->header_count);
            record_fields fields;
            std::string problem;
            if (split_record_fields(codec, record, &fields, &problem) < 0) {
                bool flag_valid = talk_question_slot(exported.header[0]) != talk_slot_count;
                if (out != nullptr && flag_valid) {
                    exported.complete = false;
                    out->push_back(std::move(exported));
                }
                report_error(input.path,
                             "illegal data " + record_name(input, town, person) + ": " + problem);
                return -1;
            }
            if (out == nullptr)
                continue;
            for (unsigned slot = 0; slot < talk_slot_count; slot++) {
                std::string& text = exported.fields[slot];
                text = form == form_shown ? show_field(codec, record, fields, slot)
                                          : export_field(codec, record, fields, slot);
                if (form != form_exact)
                    text = join_voicing_marks(text);
            }
            out->push_back(std::move(exported));
        }
    }
    return 0;
}

}  // namespace

int export_records(const talk_input& input, text_form form, std::vector<exported_record>* records)
{
    return walk_records(input, form, records);
}

int check_talk_records(const talk_input& input)
{
    return walk_records(input, form_exact, nullptr);
}
