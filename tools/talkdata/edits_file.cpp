#include "edits_file.h"

#include <cstdint>
#include <cstdio>
#include <nlohmann/json.hpp>
#include <string_view>

#include "utf8.h"

namespace {

const char tsv_header[] = "town\ttown_label\tperson\tfield\ttext";
enum { tsv_columns = 5 };

// The place in a JSON document: records[3].fields.job
std::string json_place(size_t index, const std::string& rest = "")
{
    return "records[" + std::to_string(index) + "]" + rest;
}

const char* const document_keys[] = {"edition", "input", "disk", "records", nullptr};
const char* const record_keys[] = {"town",   "town_label",     "person", "location",
                                   "header", "question_after", "fields", nullptr};

bool is_one_of(const std::string& name, const char* const* names)
{
    for (; *names != nullptr; names++)
        if (name == *names)
            return true;
    return false;
}

// The text with each byte that is not part of a UTF-8 character written
// as \xHH: the parser's messages quote the bytes it last read.
std::string printable_utf8(const std::string& text)
{
    std::string out;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t start = pos;
        char32_t c;
        if (next_utf8(text, &pos, &c)) {
            out.append(text, start, pos - start);
            continue;
        }
        char escape[8];
        snprintf(escape, sizeof escape, "\\x%02X", static_cast<unsigned char>(text[start]));
        out += escape;
    }
    return out;
}

// Reads a JSON document event by event, as the library's parser meets its
// values, so that no tree of the whole document is built.
class json_edits_reader : public nlohmann::json_sax<nlohmann::json> {
public:
    json_edits_reader(edits_file* edits, std::vector<std::string>* problems)
        : edits_(edits), problems_(problems)
    {
    }

    bool null() override { return value(); }
    bool boolean(bool) override { return value(); }
    bool number_integer(number_integer_t n) override { return number(n); }
    bool number_unsigned(number_unsigned_t n) override
    {
        return number(n > 1000 ? 1000 : static_cast<long long>(n));
    }
    bool number_float(number_float_t, const string_t&) override { return value(); }
    bool binary(binary_t&) override { return value(); }

    bool string(string_t& text) override
    {
        if (skip_ > 0)
            return true;
        switch (top()) {
        case in_document:
            if (key_ == "edition") {
                if (find_edition(text) < 0)
                    problems_->push_back("edition: not one of dos, apple2, pc8801, x68000");
                else
                    edits_->edition = text;
                return true;
            }
            break;
        case in_fields:
            if (slot_ >= 0)
                record_.fields.push_back({slot_, std::move(text)});
            return true;
        case in_record:
            if (key_ == "town_label") {
                label_ = std::move(text);
                has_label_ = true;
                return true;
            }
            if (key_ == "question_after")
                return true;
            break;
        default:
            break;
        }
        return value();
    }

    // A container that the place does not want is passed over whole.
    bool start_object(std::size_t) override
    {
        if (skip_ > 0 || !open(kind_object))
            skip_++;
        return true;
    }

    bool end_object() override { return close(); }

    bool start_array(std::size_t) override
    {
        if (skip_ > 0 || !open(kind_array))
            skip_++;
        return true;
    }

    bool end_array() override { return close(); }

    bool key(string_t& name) override
    {
        if (skip_ > 0)
            return true;
        if (top() == in_fields) {
            slot_ = find_field(name);
            if (slot_ < 0)
                problems_->push_back(place(".fields") + ": no field '" + name + "'");
        } else if (top() == in_document && !is_one_of(name, document_keys)) {
            problems_->push_back("unknown key '" + name + "' (a misspelt one would be ignored)");
        } else if (top() == in_record && !is_one_of(name, record_keys)) {
            problems_->push_back(place() + ": unknown key '" + name +
                                 "' (a misspelt one would be ignored)");
        }
        key_ = std::move(name);
        return true;
    }

    bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception& error) override
    {
        // "[json.exception.parse_error.101] parse error at line 3, column 5: ..."
        std::string what = printable_utf8(error.what());
        size_t at = what.find(" at line ");
        problems_->push_back("malformed JSON" +
                             (at != std::string::npos ? what.substr(at) : ": " + what));
        return false;
    }

    // After the whole document: what it lacked.
    void finish()
    {
        if (!saw_document_)
            problems_->push_back("the JSON document is not an object");
        else if (!saw_records_)
            problems_->push_back("records: no list of records");
    }

private:
    enum context { in_document, in_records, in_record, in_header, in_fields };
    enum container_kind { kind_object, kind_array };

    context top() const { return stack_.back(); }

    std::string place(const std::string& rest = "") const { return json_place(index_, rest); }

    // A value the place does not want (or a container, which is then passed
    // over): the place's problem.
    bool value()
    {
        if (skip_ > 0 || stack_.empty())
            return true;
        switch (top()) {
        case in_document:
            if (key_ == "disk" || key_ == "input")
                break;
            if (key_ == "edition")
                problems_->push_back("edition: not one of dos, apple2, pc8801, x68000");
            else if (key_ == "records")
                problems_->push_back("records: no list of records"), saw_records_ = true;
            break;
        case in_records:
            problems_->push_back(place() + ": not an object");
            index_++;
            break;
        case in_record:
            if (key_ == "town" || key_ == "person")
                record_bad_ = true, bad_key_ = key_;
            else if (key_ == "header")
                header_bad_ = true;
            else if (key_ == "fields")
                fields_bad_ = true;
            break;
        case in_header:
            header_bad_ = true;
            break;
        case in_fields:
            if (slot_ >= 0)
                problems_->push_back(place(".fields." + key_) + ": not a string");
            break;
        }
        return true;
    }

    bool number(long long n)
    {
        if (skip_ > 0 || stack_.empty())
            return true;
        if (top() == in_document && key_ == "disk") {
            edits_->disk = n >= 0 && n <= INT32_MAX ? static_cast<int>(n) : -2;
            return true;
        }
        if (top() == in_record && (key_ == "town" || key_ == "person")) {
            bool town = key_ == "town";
            int high = town ? talk_town_count - 1 : talk_person_count - 1;
            if (n < 0 || n > high) {
                record_bad_ = true;
                bad_key_ = key_;
            } else {
                (town ? record_.town : record_.person) = static_cast<int>(n);
                (town ? has_town_ : has_person_) = true;
            }
            return true;
        }
        if (top() == in_header) {
            if (n < 0 || n > 255)
                header_bad_ = true;
            record_.header.push_back(static_cast<int>(n));
            return true;
        }
        return value();
    }

    // Enters a container where the place wants one: false when it is to be
    // skipped (after noting the problem).
    bool open(container_kind kind)
    {
        if (stack_.empty()) {
            if (kind != kind_object)
                return false;
            saw_document_ = true;
            stack_.push_back(in_document);
            return true;
        }
        switch (top()) {
        case in_document:
            if (key_ == "records" && kind == kind_array) {
                saw_records_ = true;
                stack_.push_back(in_records);
                return true;
            }
            value();
            return false;
        case in_records:
            if (kind != kind_object) {
                value();
                return false;
            }
            record_ = record_edit();
            record_.in_json = true;
            record_.place = index_;
            has_town_ = has_person_ = record_bad_ = header_bad_ = fields_bad_ = has_label_ = false;
            stack_.push_back(in_record);
            return true;
        case in_record:
            if (key_ == "header" && kind == kind_array) {
                record_.has_header = true;
                stack_.push_back(in_header);
                return true;
            }
            if (key_ == "fields" && kind == kind_object) {
                slot_ = -1;
                stack_.push_back(in_fields);
                return true;
            }
            value();
            return false;
        case in_header:
        case in_fields:
            value();
            return false;
        }
        return false;
    }

    bool close()
    {
        if (skip_ > 0) {
            skip_--;
            return true;
        }
        context closed = top();
        stack_.pop_back();
        if (closed == in_record)
            finish_record();
        return true;
    }

    void finish_record()
    {
        index_++;
        if (record_bad_ || !has_town_ || !has_person_) {
            bool town = record_bad_ ? bad_key_ == "town" : !has_town_;
            problems_->push_back(json_place(record_.place, town ? ".town" : ".person") +
                                 (town ? ": no town 0 to 15" : ": no person 0 to 15"));
            return;
        }
        if (header_bad_) {
            problems_->push_back(json_place(record_.place, ".header") +
                                 ": not a list of bytes 0 to 255");
            return;
        }
        if (fields_bad_) {
            problems_->push_back(json_place(record_.place, ".fields") + ": not an object");
            return;
        }
        if (has_label_ && label_ != town_labels[record_.town]) {
            problems_->push_back(json_place(record_.place, ".town_label") + ": town " +
                                 std::to_string(record_.town) + " is " +
                                 town_labels[record_.town] + ", not " + label_);
            return;
        }
        edits_->records.push_back(std::move(record_));
    }

    edits_file* edits_;
    std::vector<std::string>* problems_;
    std::vector<context> stack_;
    std::string key_;
    int skip_ = 0;  // depth inside a container that is passed over
    size_t index_ = 0;
    record_edit record_;
    int slot_ = -1;
    bool has_town_ = false, has_person_ = false;
    bool record_bad_ = false, header_bad_ = false, fields_bad_ = false;
    std::string bad_key_;
    bool saw_document_ = false, saw_records_ = false;
    std::string label_;
    bool has_label_ = false;
};

void read_json_edits(const std::string& text, edits_file* edits, std::vector<std::string>* problems)
{
    json_edits_reader reader(edits, problems);
    if (nlohmann::json::sax_parse(text, &reader))
        reader.finish();
}

// The number of characters in the first bytes of a UTF-8 text, plus 1: the
// column of the byte at that position.
size_t column_at(std::string_view line, size_t byte)
{
    size_t column = 1;
    for (size_t i = 0; i < byte && i < line.size(); i++)
        column += (static_cast<unsigned char>(line[i]) & 0xC0) != 0x80;
    return column;
}

std::string line_place(size_t line, std::string_view text, size_t byte)
{
    return "line " + std::to_string(line) + ", column " + std::to_string(column_at(text, byte));
}

// Undoes tsv_escape; false at the first unknown escape (its byte in *bad).
bool tsv_unescape(std::string_view cell, std::string* text, size_t* bad)
{
    text->clear();
    text->reserve(cell.size());
    for (size_t i = 0; i < cell.size(); i++) {
        size_t escape = cell.find('\\', i);
        if (escape != i) {  // the run of plain bytes before the next backslash
            size_t end = escape == std::string_view::npos ? cell.size() : escape;
            text->append(cell.substr(i, end - i));
            i = end - 1;
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
int cell_number(std::string_view cell, int low, int high)
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
        std::string_view line(text.data() + start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == '\r')  // a spreadsheet's CR LF
            line.remove_suffix(1);
        if (number == 1) {
            if (line != std::string_view(tsv_header)) {
                problems->push_back("line 1: not the header row of a talkdata TSV export "
                                    "(town, town_label, person, field, text)");
                return;
            }
            continue;
        }
        if (line.empty())
            continue;
        // The cells and where each starts.
        size_t starts[tsv_columns + 1];
        size_t columns = 1;
        starts[0] = 0;
        for (size_t i = 0; i < line.size(); i++) {
            if (line[i] != '\t')
                continue;
            if (columns < tsv_columns)
                starts[columns] = i + 1;
            columns++;
        }
        if (columns != tsv_columns) {
            problems->push_back("line " + std::to_string(number) + ": " +
                                std::to_string(columns) + " columns, not 5");
            continue;
        }
        starts[tsv_columns] = line.size() + 1;
        std::string_view cell[tsv_columns];
        for (size_t k = 0; k < tsv_columns; k++)
            cell[k] = line.substr(starts[k], starts[k + 1] - 1 - starts[k]);
        record_edit record;
        record.place = number;
        record.town = cell_number(cell[0], 0, talk_town_count - 1);
        record.person = cell_number(cell[2], 0, talk_person_count - 1);
        int slot = find_field(std::string(cell[3]));
        if (record.town < 0)
            problems->push_back(line_place(number, line, 0) + ": town '" + std::string(cell[0]) +
                                "' does not exist (0 to 15)");
        if (record.person < 0)
            problems->push_back(line_place(number, line, starts[2]) + ": person '" +
                                std::string(cell[2]) +
                                "' does not exist (0 to 15)");
        if (slot < 0)
            problems->push_back(line_place(number, line, starts[3]) + ": field '" +
                                std::string(cell[3]) +
                                "' does not exist");
        std::string value;
        size_t bad = 0;
        if (!tsv_unescape(cell[4], &value, &bad)) {
            problems->push_back(line_place(number, line, starts[4] + bad) +
                                ": unknown escape (\\\\, \\t, \\n and \\r are known)");
            continue;
        }
        if (record.town < 0 || record.person < 0 || slot < 0)
            continue;
        if (cell[1] != std::string_view(town_labels[record.town])) {
            problems->push_back(line_place(number, line, starts[1]) + ": town " +
                                std::to_string(record.town) + " is " + town_labels[record.town] +
                                ", not " + std::string(cell[1]));
            continue;
        }
        record.fields.push_back({slot, std::move(value)});
        edits->records.push_back(std::move(record));
    }
}

}  // namespace

std::string edit_place(const record_edit& edit)
{
    if (edit.in_json)
        return json_place(edit.place);
    return "line " + std::to_string(edit.place);
}

void read_edits(const std::string& text, edits_file* edits, std::vector<std::string>* problems)
{
    // The byte order mark that some editors put before UTF-8 text.
    const std::string mark = "\xEF\xBB\xBF";
    std::string body = text.compare(0, mark.size(), mark) == 0 ? text.substr(mark.size()) : text;
    size_t first = body.find_first_not_of(" \t\r\n");
    if (first != std::string::npos && (body[first] == '{' || body[first] == '['))
        read_json_edits(body, edits, problems);
    else
        read_tsv_edits(body, edits, problems);
}
