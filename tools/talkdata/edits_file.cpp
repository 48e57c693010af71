#include "edits_file.h"

#include <nlohmann/json.hpp>

#include "utf8.h"

namespace {

const char tsv_header[] = "town\ttown_label\tperson\tfield\ttext";
enum { tsv_columns = 5 };

// The place in a JSON document: records[3].fields.job
std::string json_place(size_t index, const std::string& rest = "")
{
    return "records[" + std::to_string(index) + "]" + rest;
}

bool read_number(const nlohmann::json& value, int low, int high, int* number)
{
    if (!value.is_number_integer())
        return false;
    long long n = value.get<long long>();
    if (n < low || n > high)
        return false;
    *number = static_cast<int>(n);
    return true;
}

void read_json_record(const nlohmann::json& item, size_t index, edits_file* edits,
                      std::vector<std::string>* problems)
{
    if (!item.is_object()) {
        problems->push_back(json_place(index) + ": not an object");
        return;
    }
    record_edit record;
    record.where = json_place(index);
    auto town = item.find("town");
    auto person = item.find("person");
    if (town == item.end() || !read_number(*town, 0, talk_town_count - 1, &record.town)) {
        problems->push_back(json_place(index, ".town") + ": no town 0 to 15");
        return;
    }
    if (person == item.end() || !read_number(*person, 0, talk_person_count - 1, &record.person)) {
        problems->push_back(json_place(index, ".person") + ": no person 0 to 15");
        return;
    }
    auto header = item.find("header");
    if (header != item.end()) {
        bool valid = header->is_array();
        for (size_t i = 0; valid && i < header->size(); i++) {
            int byte = 0;
            valid = read_number((*header)[i], 0, 255, &byte);
            record.header.push_back(byte);
        }
        if (!valid) {
            problems->push_back(json_place(index, ".header") + ": not a list of bytes 0 to 255");
            return;
        }
        record.has_header = true;
    }
    auto fields = item.find("fields");
    if (fields != item.end()) {
        if (!fields->is_object()) {
            problems->push_back(json_place(index, ".fields") + ": not an object");
            return;
        }
        for (auto field = fields->begin(); field != fields->end(); ++field) {
            int slot = find_field(field.key());
            if (slot < 0) {
                problems->push_back(json_place(index, ".fields") + ": no field '" + field.key() +
                                    "'");
                continue;
            }
            if (!field.value().is_string()) {
                problems->push_back(json_place(index, ".fields." + field.key()) +
                                    ": not a string");
                continue;
            }
            record.fields.push_back({slot, field.value().get<std::string>()});
        }
    }
    edits->records.push_back(std::move(record));
}

void read_json_edits(const std::string& text, edits_file* edits, std::vector<std::string>* problems)
{
    nlohmann::json document;
    try {
        document = nlohmann::json::parse(text);
    } catch (const nlohmann::json::parse_error& error) {
        // "[json.exception.parse_error.101] parse error at line 3, column 5: ..."
        std::string what = error.what();
        size_t at = what.find(" at line ");
        problems->push_back("malformed JSON" + (at != std::string::npos ? what.substr(at) : ": " + what));
        return;
    }
    if (!document.is_object()) {
        problems->push_back("the JSON document is not an object");
        return;
    }
    auto edition = document.find("edition");
    if (edition != document.end()) {
        if (!edition->is_string() || find_edition(edition->get<std::string>()) < 0) {
            problems->push_back("edition: not one of dos, apple2, pc8801, x68000");
            return;
        }
        edits->edition = edition->get<std::string>();
    }
    auto records = document.find("records");
    if (records == document.end() || !records->is_array()) {
        problems->push_back("records: no list of records");
        return;
    }
    for (size_t i = 0; i < records->size(); i++)
        read_json_record((*records)[i], i, edits, problems);
}

// The number of characters in the first bytes of a UTF-8 text, plus 1: the
// column of the byte at that position.
size_t column_at(const std::string& line, size_t byte)
{
    size_t column = 1;
    for (size_t i = 0; i < byte && i < line.size(); i++)
        column += (static_cast<unsigned char>(line[i]) & 0xC0) != 0x80;
    return column;
}

std::string line_place(size_t line, const std::string& text, size_t byte)
{
    return "line " + std::to_string(line) + ", column " + std::to_string(column_at(text, byte));
}

// Undoes tsv_escape; false at the first unknown escape (its byte in *bad).
bool tsv_unescape(const std::string& cell, std::string* text, size_t* bad)
{
    text->clear();
    for (size_t i = 0; i < cell.size(); i++) {
        if (cell[i] != '\\') {
            *text += cell[i];
            continue;
        }
        char next = i + 1 < cell.size() ? cell[i + 1] : '\0';
        switch (next) {
        case '\\':
            *text += '\\';
            break;
        case 't':
            *text += '\t';
            break;
        case 'n':
            *text += '\n';
            break;
        case 'r':
            *text += '\r';
            break;
        default:
            *bad = i;
            return false;
        }
        i++;
    }
    return true;
}

// A whole decimal number from low to high, or -1.
int cell_number(const std::string& cell, int low, int high)
{
    if (cell.empty() || cell.size() > 3)
        return -1;
    int n = 0;
    for (char c : cell) {
        if (c < '0' || c > '9')
            return -1;
        n = n * 10 + (c - '0');
    }
    return n >= low && n <= high ? n : -1;
}

void read_tsv_edits(const std::string& text, edits_file* edits, std::vector<std::string>* problems)
{
    size_t start = 0;
    for (size_t number = 1; start < text.size(); number++) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == '\r')  // a spreadsheet's CR LF
            line.pop_back();
        if (number == 1) {
            if (line != tsv_header) {
                problems->push_back("line 1: not the header row of a talkdata TSV export (" +
                                    std::string("town, town_label, person, field, text") + ")");
                return;
            }
            continue;
        }
        if (line.empty())
            continue;
        std::vector<size_t> tabs;
        for (size_t i = 0; i < line.size(); i++)
            if (line[i] == '\t')
                tabs.push_back(i);
        if (tabs.size() != tsv_columns - 1) {
            problems->push_back("line " + std::to_string(number) + ": " +
                                std::to_string(tabs.size() + 1) + " columns, not 5");
            continue;
        }
        auto cell = [&](size_t k) {
            size_t from = k == 0 ? 0 : tabs[k - 1] + 1;
            size_t to = k < tabs.size() ? tabs[k] : line.size();
            return line.substr(from, to - from);
        };
        auto cell_start = [&](size_t k) { return k == 0 ? 0 : tabs[k - 1] + 1; };
        record_edit record;
        record.where = "line " + std::to_string(number);
        record.town = cell_number(cell(0), 0, talk_town_count - 1);
        record.person = cell_number(cell(2), 0, talk_person_count - 1);
        int slot = find_field(cell(3));
        if (record.town < 0)
            problems->push_back(line_place(number, line, 0) + ": town '" + cell(0) +
                                "' does not exist (0 to 15)");
        if (record.person < 0)
            problems->push_back(line_place(number, line, cell_start(2)) + ": person '" +
                                cell(2) + "' does not exist (0 to 15)");
        if (slot < 0)
            problems->push_back(line_place(number, line, cell_start(3)) + ": field '" + cell(3) +
                                "' does not exist");
        std::string value;
        size_t bad = 0;
        if (!tsv_unescape(cell(4), &value, &bad)) {
            problems->push_back(line_place(number, line, cell_start(4) + bad) +
                                ": unknown escape (\\\\, \\t, \\n and \\r are known)");
            continue;
        }
        if (record.town < 0 || record.person < 0 || slot < 0)
            continue;
        record.fields.push_back({slot, value});
        edits->records.push_back(std::move(record));
    }
}

}  // namespace

void read_edits(const std::string& text, edits_file* edits, std::vector<std::string>* problems)
{
    // The byte order mark that some editors put before UTF-8 text.
    const std::string mark = "\xEF\xBB\xBF";
    std::string body = text.compare(0, mark.size(), mark) == 0 ? text.substr(mark.size()) : text;
    size_t first = body.find_first_not_of(" \t\r\n");
    if (first != std::string::npos && body[first] == '{')
        read_json_edits(body, edits, problems);
    else
        read_tsv_edits(body, edits, problems);
}
