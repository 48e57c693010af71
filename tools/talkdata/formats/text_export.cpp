// The listing's own layout in UTF-8: heading, header bytes in hex, the
// labelled fields with the question block after its slot, a blank line.
#include "cp932.h"
#include "record_fields.h"
#include "text_format.h"

namespace {

// A field after its label: a line break that more text follows continues
// on the next line after two tabs.
void append_field(std::string* out, const std::string& label, const std::string& text)
{
    *out += label;
    size_t start = 0;
    for (size_t end = text.find('\n'); end != std::string::npos && end + 1 < text.size();
         end = text.find('\n', start)) {
        out->append(text, start, end + 1 - start);
        *out += "\t\t";
        start = end + 1;
    }
    out->append(text, start, std::string::npos);
    *out += '\n';
}

// A field as the listing shows it: an Apple II keyword up to its first
// space (the export's string holds the bytes after it too).
std::string listed(const talk_profile* profile, const exported_record& record, unsigned slot)
{
    const std::string& text = record.fields[slot];
    if (!is_keyword_slot(profile, slot))
        return text;
    return text.substr(0, text.find(static_cast<char>(talk_keyword_padding)));
}

}  // namespace

void write_text_export(const talk_input& input, const std::vector<exported_record>& records,
                       const export_reference*, FILE* out)
{
    const talk_profile* profile = input.edition->profile;
    std::string labels[talk_slot_count];
    for (unsigned slot = 0; slot < talk_slot_count; slot++)
        labels[slot] = cp932_text_to_utf8(profile->labels[slot]);

    std::string text;
    text.reserve(records.size() * 1024);
    for (const exported_record& record : records) {
        text += std::string("[") + town_labels[record.town] + "][" + std::to_string(record.person) +
                "]\n\t\t";
        static const char digits[] = "0123456789ABCDEF";
        for (size_t i = 0; i < record.header.size(); i++) {
            if (i > 0)
                text += ' ';
            text += digits[record.header[i] >> 4];
            text += digits[record.header[i] & 0x0F];
        }
        text += '\n';
        if (!record.complete)
            break;
        unsigned question_after = talk_question_slot(record.header[0]);
        for (unsigned slot = talk_slot_name; slot < talk_slot_question; slot++) {
            append_field(&text, labels[slot], listed(profile, record, slot));
            if (slot == question_after)
                for (unsigned q = talk_slot_question; q < talk_slot_count; q++)
                    append_field(&text, labels[q], listed(profile, record, q));
        }
        text += '\n';
    }
    fwrite(text.data(), 1, text.size(), out);
}
