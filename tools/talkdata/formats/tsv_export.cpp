// One row per field under a header row; the texts escaped so that a cell
// holds no tab or line break.
#include "record_fields.h"
#include "tsv_format.h"

namespace {

const char* const column_names[tsv_columns] = {"town", "town_label", "person", "field", "text"};

}  // namespace

const tsv_escape_code tsv_escape_codes[tsv_escape_count] = {
    {'\\', '\\'},
    {'\t', 't'},
    {'\n', 'n'},
    {'\r', 'r'},
};

std::string tsv_header_row(const char* separator)
{
    std::string row;
    for (const char* name : column_names)
        row += (row.empty() ? "" : separator) + std::string(name);
    return row;
}

std::string tsv_escape(const std::string& text)
{
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        // Only the backslash and control bytes can have an escape.
        const tsv_escape_code* code = nullptr;
        if (c == '\\' || static_cast<unsigned char>(c) < 0x20)
            for (const tsv_escape_code& candidate : tsv_escape_codes)
                if (candidate.byte == c)
                    code = &candidate;
        if (code == nullptr) {
            out += c;
            continue;
        }
        out += '\\';
        out += code->letter;
    }
    return out;
}

void write_tsv_export(const talk_input&, const std::vector<exported_record>& records,
                      const export_reference*, FILE* out)
{
    std::string text = tsv_header_row("\t") + "\n";
    for (const exported_record& record : records) {
        if (!record.complete)
            continue;
        for (unsigned slot = 0; slot < talk_slot_count; slot++) {
            text += std::to_string(record.town) + '\t' + town_labels[record.town] + '\t' +
                    std::to_string(record.person) + '\t' + field_names[slot] + '\t' +
                    tsv_escape(record.fields[slot]) + '\n';
        }
    }
    fwrite(text.data(), 1, text.size(), out);
}
