#include "compare_inputs.h"

#include "kana_marks.h"
#include "message_lines.h"
#include "record_fields.h"
#include "tsv_format.h"
#include "utf8.h"

namespace {

const char32_t fullwidth_offset = 0xFEE0;  // U+FF01-FF5E stand for ASCII 0x21-0x7E

bool is_fullwidth_letter_or_digit(char32_t c)
{
    return (c >= U'０' && c <= U'９') || (c >= U'Ａ' && c <= U'Ｚ') || (c >= U'ａ' && c <= U'ｚ');
}

}  // namespace

std::string comparable_text(const std::string& text)
{
    std::string joined = join_voicing_marks(text);
    std::string out;
    out.reserve(joined.size());
    size_t pos = 0;
    while (pos < joined.size()) {
        size_t start = pos;
        char32_t c;
        if (!next_utf8(joined, &pos, &c)) {
            out.append(joined, start, pos - start);
            continue;
        }
        if (is_fullwidth_letter_or_digit(c))
            c -= fullwidth_offset;
        if (c >= 'A' && c <= 'Z')
            c += 'a' - 'A';
        append_utf8(&out, c);
    }
    return out;
}

int compare_records(const std::vector<exported_record>& a, const std::vector<exported_record>& b,
                    FILE* out)
{
    std::string text = "town\ttown_label\tperson\tfield\ta\tb\n";
    int fields_differing = 0;
    int records_differing = 0;
    size_t count = a.size() < b.size() ? a.size() : b.size();
    for (size_t i = 0; i < count; i++) {
        bool differs = false;
        for (unsigned slot = 0; slot < talk_slot_count; slot++) {
            if (comparable_text(a[i].fields[slot]) == comparable_text(b[i].fields[slot]))
                continue;
            differs = true;
            fields_differing++;
            text += std::to_string(a[i].town) + '\t' + town_labels[a[i].town] + '\t' +
                    std::to_string(a[i].person) + '\t' + field_names[slot] + '\t' +
                    tsv_escape(a[i].fields[slot]) + '\t' + tsv_escape(b[i].fields[slot]) + '\n';
        }
        records_differing += differs;
    }
    fwrite(text.data(), 1, text.size(), out);
    std::string summary = "compared " + std::to_string(count) + " records, " +
                          std::to_string(count * talk_slot_count) +
                          " fields: " + std::to_string(fields_differing) + " fields in " +
                          std::to_string(records_differing) + " records differ";
    print_message("%s\n", summary.c_str());
    return fields_differing;
}
