// Edits from a JSON document as export writes it, read event by event as
// the library's parser meets its values, so that no tree of the whole
// document is built. Only the members export writes are known; a container
// where a value of another kind belongs is passed over whole after its
// problem is noted.
#include <cstdint>
#include <cstdio>
#include <nlohmann/json.hpp>

#include "edition_table.h"
#include "json_format.h"
#include "record_fields.h"
#include "utf8.h"

namespace {

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

// The place in a document: records[3], records[3].fields.job
std::string record_place(size_t index, const std::string& rest = "")
{
    return "records[" + std::to_string(index) + "]" + rest;
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

// Where the reader stands: inside which container of the document.
enum class json_level { document, records, record, header, fields };

// A value as the parser gives it, reduced to what the edits need.
struct json_value {
    enum kind_t { other, integer, text } kind;
    bool in_range;        // an integer that fits a long long
    long long number;     // the integer
    std::string* string;  // the text
    bool null = false;    // the value null
};

// A member of a record that must be right for the record to count.
enum class member { absent, valid, invalid };

// What the reader has of the record it is in.
struct record_reading {
    record_edit edit;
    size_t index = 0;  // its position in "records"
    member town = member::absent;
    member person = member::absent;
    bool header_invalid = false;  // not a list of bytes 0 to 255
    bool fields_invalid = false;  // not an object
    bool has_label = false;
    std::string label;
};

class json_edits_reader : public nlohmann::json_sax<nlohmann::json> {
public:
    json_edits_reader(edits_file* edits, std::vector<std::string>* problems)
        : edits_(edits), problems_(problems)
    {
    }

    bool null() override { return take({json_value::other, false, 0, nullptr, true}); }
    bool boolean(bool) override { return take({json_value::other, false, 0, nullptr}); }
    bool number_integer(number_integer_t n) override
    {
        return take({json_value::integer, true, n, nullptr});
    }
    bool number_unsigned(number_unsigned_t n) override
    {
        bool fits = n <= static_cast<number_unsigned_t>(INT64_MAX);
        return take({json_value::integer, fits, fits ? static_cast<long long>(n) : 0, nullptr});
    }
    bool number_float(number_float_t, const string_t&) override
    {
        return take({json_value::other, false, 0, nullptr});
    }
    bool string(string_t& text) override { return take({json_value::text, false, 0, &text}); }
    bool binary(binary_t&) override { return take({json_value::other, false, 0, nullptr}); }

    bool start_object(std::size_t) override { return open(true); }
    bool start_array(std::size_t) override { return open(false); }
    bool end_object() override { return close(); }
    bool end_array() override { return close(); }

    bool key(string_t& name) override
    {
        if (skipped_ > 0)
            return true;
        if (top() == json_level::fields) {
            slot_ = find_field(name);
            if (slot_ < 0)
                problems_->push_back(record_place(record_.index, ".fields") + ": no field '" +
                                     name + "'");
        } else if (top() == json_level::document && !is_one_of(name, document_keys)) {
            problems_->push_back("unknown key '" + name + "' (a misspelt one would be ignored)");
        } else if (top() == json_level::record && !is_one_of(name, record_keys)) {
            problems_->push_back(record_place(record_.index) + ": unknown key '" + name +
                                 "' (a misspelt one would be ignored)");
        }
        key_ = std::move(name);
        return true;
    }

    bool parse_error(std::size_t, const std::string&,
                     const nlohmann::detail::exception& error) override
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
    json_level top() const { return levels_.back(); }

    // A value (or a container, passed over) where the current key or
    // level wants one.
    bool take(const json_value& value)
    {
        if (skipped_ > 0 || levels_.empty())
            return true;
        switch (top()) {
        case json_level::document:
            take_document_member(value);
            break;
        case json_level::records:
            problems_->push_back(record_place(next_index_++) + ": not an object");
            break;
        case json_level::record:
            take_record_member(value);
            break;
        case json_level::header:
            if (value.kind == json_value::integer && value.in_range && value.number >= 0 &&
                value.number <= 255)
                record_.edit.header.push_back(static_cast<int>(value.number));
            else
                record_.header_invalid = true;
            break;
        case json_level::fields:
            if (slot_ < 0)
                break;
            if (value.kind == json_value::text)
                record_.edit.fields.push_back({slot_, std::move(*value.string)});
            else
                problems_->push_back(record_place(record_.index, ".fields." + key_) +
                                     ": not a string");
            break;
        }
        return true;
    }

    void take_document_member(const json_value& value)
    {
        if (key_ == "edition") {
            if (value.kind == json_value::text && find_edition(*value.string) != nullptr)
                edits_->edition = *value.string;
            else
                problems_->push_back("edition: not one of " + edition_name_list());
        } else if (key_ == "disk") {
            // null: the export of an edition without disks.
            if (value.kind == json_value::integer && value.in_range && value.number >= 0 &&
                value.number <= INT32_MAX)
                edits_->disk = static_cast<int>(value.number);
            else if (!value.null)
                problems_->push_back("disk: not a disk index");
        } else if (key_ == "records") {
            problems_->push_back("records: no list of records");
            saw_records_ = true;
        }
    }

    void take_record_member(const json_value& value)
    {
        if (key_ == "town" || key_ == "person") {
            const int last = (key_ == "town" ? talk_town_count : talk_person_count) - 1;
            bool valid = value.kind == json_value::integer && value.in_range && value.number >= 0 &&
                         value.number <= last;
            (key_ == "town" ? record_.town : record_.person) =
                valid ? member::valid : member::invalid;
            if (valid)
                (key_ == "town" ? record_.edit.town : record_.edit.person) =
                    static_cast<int>(value.number);
        } else if (key_ == "town_label" && value.kind == json_value::text) {
            record_.label = *value.string;
            record_.has_label = true;
        } else if (key_ == "header") {
            record_.header_invalid = true;
        } else if (key_ == "fields") {
            record_.fields_invalid = true;
        }
    }

    // Enters a container: where none is wanted it is noted as a value of
    // the wrong kind and passed over.
    bool open(bool object)
    {
        if (skipped_ > 0) {
            skipped_++;
            return true;
        }
        json_level next;
        if (wanted(object, &next)) {
            levels_.push_back(next);
            return true;
        }
        take({json_value::other, false, 0, nullptr});
        skipped_ = 1;
        return true;
    }

    // True when a container of this kind is wanted here, with its level.
    bool wanted(bool object, json_level* next)
    {
        if (levels_.empty()) {
            saw_document_ = object;
            *next = json_level::document;
            return object;
        }
        switch (top()) {
        case json_level::document:
            *next = json_level::records;
            saw_records_ = saw_records_ || (!object && key_ == "records");
            return !object && key_ == "records";
        case json_level::records:
            if (!object)
                return false;
            record_ = record_reading();
            record_.index = next_index_++;
            record_.edit.place = record_place(record_.index);
            *next = json_level::record;
            return true;
        case json_level::record:
            if (key_ == "header" && !object) {
                record_.edit.has_header = true;
                *next = json_level::header;
                return true;
            }
            slot_ = -1;
            *next = json_level::fields;
            return key_ == "fields" && object;
        case json_level::header:
        case json_level::fields:
            return false;
        }
        return false;
    }

    bool close()
    {
        if (skipped_ > 0) {
            skipped_--;
            return true;
        }
        json_level closed = top();
        levels_.pop_back();
        if (closed == json_level::record)
            finish_record();
        return true;
    }

    // A record that is whole joins the edits; else its first problem is
    // noted.
    void finish_record()
    {
        const size_t index = record_.index;
        if (record_.town != member::valid)
            problems_->push_back(record_place(index, ".town") + ": no town 0 to " +
                                 std::to_string(talk_town_count - 1));
        else if (record_.person != member::valid)
            problems_->push_back(record_place(index, ".person") + ": no person 0 to " +
                                 std::to_string(talk_person_count - 1));
        else if (record_.header_invalid)
            problems_->push_back(record_place(index, ".header") + ": not a list of bytes 0 to 255");
        else if (record_.fields_invalid)
            problems_->push_back(record_place(index, ".fields") + ": not an object");
        else if (record_.has_label && record_.label != town_labels[record_.edit.town])
            problems_->push_back(record_place(index, ".town_label") + ": town " +
                                 std::to_string(record_.edit.town) + " is " +
                                 town_labels[record_.edit.town] + ", not " + record_.label);
        else
            edits_->records.push_back(std::move(record_.edit));
    }

    edits_file* edits_;
    std::vector<std::string>* problems_;
    std::vector<json_level> levels_;
    std::string key_;        // the key of the member whose value comes next
    int skipped_ = 0;        // the depth inside a container that is passed over
    size_t next_index_ = 0;  // the index of the next entry of "records"
    record_reading record_;
    int slot_ = -1;  // inside fields: the slot of the key, or -1
    bool saw_document_ = false;
    bool saw_records_ = false;
};

}  // namespace

bool claims_json(const std::string& text)
{
    size_t first = text.find_first_not_of(" \t\r\n");
    return first != std::string::npos && (text[first] == '{' || text[first] == '[');
}

void read_json_edits(const std::string& text, edits_file* edits, std::vector<std::string>* problems)
{
    json_edits_reader reader(edits, problems);
    if (nlohmann::json::sax_parse(text, &reader))
        reader.finish();
}
