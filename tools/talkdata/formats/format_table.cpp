#include "format_table.h"

#include "json_format.h"
#include "po_format.h"
#include "text_format.h"
#include "tsv_format.h"

// The first format that claims an edits file reads it; TSV reads the rest.
// clang-format off
const talk_format talk_formats[] = {
    // name  help                          write              reference matches read             claims
    {"text", "the listing's layout",       write_text_export, false,    false,  nullptr,         nullptr},
    {"json", "one JSON document",          write_json_export, false,    false,  read_json_edits, claims_json},
    {"po",   "gettext PO for translators", write_po_export,   true,     true,   read_po_edits,   claims_po},
    {"tsv",  "one row per field",          write_tsv_export,  false,    false,  read_tsv_edits,  nullptr},
};
// clang-format on
const size_t talk_format_count = sizeof talk_formats / sizeof *talk_formats;

const talk_format* find_format(const std::string& name)
{
    for (const talk_format& format : talk_formats)
        if (name == format.name)
            return &format;
    return nullptr;
}

std::vector<std::string> format_names(bool exported)
{
    std::vector<std::string> names;
    for (const talk_format& format : talk_formats)
        if (exported ? format.write != nullptr : format.read != nullptr)
            names.push_back(format.name);
    return names;
}

void read_edits(const std::string& text, const talk_input& input, edits_file* edits,
                problem_list* problems)
{
    // The byte order mark that some editors put before UTF-8 text.
    const std::string mark = "\xEF\xBB\xBF";
    const std::string body =
        text.compare(0, mark.size(), mark) == 0 ? text.substr(mark.size()) : text;
    // A file of white space (after a byte order mark, or none) holds no edits.
    if (body.find_first_not_of(" \t\r\n") == std::string::npos) {
        problems->add("the file holds no edits, not even a header row");
        return;
    }
    // UTF-16, as some editors save text, by its byte order mark.
    if (body.compare(0, 2, "\xFF\xFE") == 0 || body.compare(0, 2, "\xFE\xFF") == 0) {
        problems->add("in UTF-16; the import reads files of edits in UTF-8");
        return;
    }
    const talk_format* reader = nullptr;
    for (const talk_format& format : talk_formats) {
        if (format.read == nullptr)
            continue;
        if (format.claims != nullptr && format.claims(body)) {
            reader = &format;
            break;
        }
        if (format.claims == nullptr && reader == nullptr)
            reader = &format;
    }
    if (reader == nullptr) {
        problems->add("not a file of edits in any format the import reads");
        return;
    }
    reader->read(body, input, edits, problems);
}
