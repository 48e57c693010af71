#include "export_records.h"

#include <cstdio>

#include "diagnostics.h"
#include "kana_marks.h"
#include "record_fields.h"

int export_records(const talk_input& input, bool join_marks, std::vector<exported_record>* records)
{
    field_codec codec;
    prepare_field_codec(input.edition, &codec);
    const talk_profile* profile = codec.profile;
    for (int town = 0; town < talk_town_count; town++) {
        for (int person = 0; person < talk_person_count; person++) {
            if (town * talk_person_count + person >= input.present) {
                char sector[32];
                snprintf(sector, sizeof sector, "cannot read sector %02X/%02X/%02X",
                         input.missing.cylinder, input.missing.head, input.missing.sector);
                report_error(input.path, sector);
                return -1;
            }
            const uint8_t* record = input.record(town, person);
            record_fields fields;
            std::string problem;
            if (split_record_fields(codec, record, &fields, &problem) < 0) {
                report_error(input.path,
                             "illegal data " + record_name(input, town, person) + ": " + problem);
                return -1;
            }
            exported_record out;
            out.town = town;
            out.person = person;
            out.header.assign(record + profile->header_offset,
                              record + profile->header_offset + profile->header_count);
            for (unsigned slot = 0; slot < talk_slot_count; slot++) {
                out.fields[slot] = export_field(codec, record, fields, slot);
                if (join_marks)
                    out.fields[slot] = join_voicing_marks(out.fields[slot]);
            }
            records->push_back(std::move(out));
        }
    }
    return 0;
}

std::string tsv_escape(const std::string& text)
{
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        switch (c) {
        case '\\':
            out += "\\\\";
            break;
        case '\t':
            out += "\\t";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        default:
            out += c;
        }
    }
    return out;
}

void write_tsv_export(const std::vector<exported_record>& records, FILE* out)
{
    std::string text = "town\ttown_label\tperson\tfield\ttext\n";
    for (const exported_record& record : records) {
        for (unsigned slot = 0; slot < talk_slot_count; slot++) {
            text += std::to_string(record.town) + '\t' + town_labels[record.town] + '\t' +
                    std::to_string(record.person) + '\t' + field_names[slot] + '\t' +
                    tsv_escape(record.fields[slot]) + '\n';
        }
    }
    fwrite(text.data(), 1, text.size(), out);
}
