// One JSON document: the edition, the input, the disk, then the records in
// listing order, each with where it lies, its header bytes, the slot after
// which its question is asked, and its twelve fields by name.
//
// The document is written here, field by field, rather than built as a
// tree for the JSON library to print: that library's printer alone takes
// three times as long as the whole text export. Its parser reads EDITS
// files, and the tests read every export back with it.
#include "json_format.h"
#include "record_fields.h"
#include "utf8.h"

namespace {

// A JSON string of UTF-8 text: quotes, backslashes and control characters
// escaped, every other byte as it is.
void append_json_string(std::string* out, const std::string& text)
{
    static const char digits[] = "0123456789abcdef";
    *out += '"';
    size_t start = 0;
    for (size_t pos = 0; pos < text.size(); pos++) {
        unsigned char byte = static_cast<unsigned char>(text[pos]);
        if (byte >= 0x20 && byte != '"' && byte != '\\')
            continue;
        out->append(text, start, pos - start);
        start = pos + 1;
        switch (byte) {
        case '"':
            *out += "\\\"";
            break;
        case '\\':
            *out += "\\\\";
            break;
        case '\n':
            *out += "\\n";
            break;
        case '\t':
            *out += "\\t";
            break;
        case '\r':
            *out += "\\r";
            break;
        default:
            *out += "\\u00";
            *out += digits[byte >> 4];
            *out += digits[byte & 0x0F];
        }
    }
    out->append(text, start, std::string::npos);
    *out += '"';
}

// The text with every byte that is not UTF-8 replaced by U+FFFD (a path may
// hold such bytes; the exported texts never do).
std::string valid_utf8(const std::string& text)
{
    std::string out;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t start = pos;
        char32_t c;
        if (next_utf8(text, &pos, &c))
            out.append(text, start, pos - start);
        else
            append_utf8(&out, 0xFFFD);
    }
    return out;
}

// "NAME": at the indent of its object.
void append_key(std::string* out, const char* indent, const char* name)
{
    *out += indent;
    *out += '"';
    *out += name;
    *out += "\": ";
}

// Where the record lies, as its "location" object, at the indent of a
// record's members.
void append_location(std::string* out, const talk_input& input, int town, int person)
{
    const std::vector<json_member> members = location_members(input, town, person);
    *out += "{\n";
    for (size_t i = 0; i < members.size(); i++) {
        append_key(out, "        ", members[i].name);
        *out += members[i].value;
        *out += i + 1 < members.size() ? ",\n" : "\n";
    }
    *out += "      }";
}

void append_record(std::string* out, const talk_input& input, const exported_record& record)
{
    const char* indent = "      ";
    *out += "    {\n";
    append_key(out, indent, "town");
    *out += std::to_string(record.town) + ",\n";
    append_key(out, indent, "town_label");
    append_json_string(out, town_labels[record.town]);
    *out += ",\n";
    append_key(out, indent, "person");
    *out += std::to_string(record.person) + ",\n";
    append_key(out, indent, "location");
    append_location(out, input, record.town, record.person);
    *out += ",\n";
    append_key(out, indent, "header");
    for (size_t i = 0; i < record.header.size(); i++)
        *out += (i == 0 ? "[" : ", ") + std::to_string(record.header[i]);
    *out += "],\n";
    append_key(out, indent, "question_after");
    append_json_string(out, field_names[talk_question_slot(record.header[0])]);
    *out += ",\n";
    append_key(out, indent, "fields");
    *out += "{\n";
    for (unsigned slot = 0; slot < talk_slot_count; slot++) {
        append_key(out, "        ", field_names[slot]);
        append_json_string(out, record.fields[slot]);
        *out += slot + 1 < talk_slot_count ? ",\n" : "\n";
    }
    *out += "      }\n    }";
}

}  // namespace

std::string json_string(const std::string& text)
{
    std::string out;
    append_json_string(&out, text);
    return out;
}

std::vector<json_member> location_members(const talk_input& input, int town, int person)
{
    const record_location location = input.edition->locate(town, person);
    std::vector<json_member> members;
    if (location.file != nullptr)
        members.push_back({"file", json_string(location.file)});
    if (location.offset >= 0) {
        members.push_back({"offset", std::to_string(location.offset)});
    } else {
        members.push_back({"cylinder", std::to_string(location.sector.cylinder)});
        members.push_back({"head", std::to_string(location.sector.head)});
        members.push_back({"sector", std::to_string(location.sector.sector)});
    }
    return members;
}

void write_json_export(const talk_input& input, const std::vector<exported_record>& records,
                       const export_reference*, FILE* out)
{
    std::string text;
    text.reserve(1024 + records.size() * 1536);
    text += "{\n";
    append_key(&text, "  ", "edition");
    append_json_string(&text, input.edition->name);
    text += ",\n";
    append_key(&text, "  ", "input");
    append_json_string(&text, valid_utf8(input.path));
    text += ",\n";
    append_key(&text, "  ", "disk");
    text += input.edition->has_disks ? std::to_string(input.disk_index) : "null";
    text += ",\n";
    append_key(&text, "  ", "records");
    size_t complete = records.size() - (!records.empty() && !records.back().complete);
    text += complete == 0 ? "[" : "[\n";
    for (size_t i = 0; i < complete; i++) {
        append_record(&text, input, records[i]);
        text += i + 1 < complete ? ",\n" : "\n  ";
    }
    text += "]\n}\n";
    fwrite(text.data(), 1, text.size(), out);
}
