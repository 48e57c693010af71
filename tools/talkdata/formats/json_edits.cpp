// Edits from a JSON document as export writes it, read event by event as
// the library's parser meets its values, so that no tree of the whole
// document is built. Only the members export writes are known; a container
// where a value of another kind belongs is passed over whole after its
// problem is noted.
#include <cstdint>
#include <cstdio>
#include <nlohmann/json.hpp>
#include <optional>

#include "edition_table.h"
#include "json_format.h"
#include "record_fields.h"
#include "storage_messages.h"

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

// Where the reader stands: inside which container of the document.
enum class json_level { document, records, record, header, fields };

// A value as the parser gives it, reduced to what the edits need.
struct json_value {
    enum kind_t { other, null, integer, text } kind;
    std::optional<long long> number;  // an integer that fits a long long
    std::string* string;              // the text
};

// A whole number of the value from low to high, or none.
std::optional<long long> number_in(const json_value& value, long long low, long long high)
{
    if (value.kind == json_value::integer && value.number && *value.number >= low &&
        *value.number <= high)
        return value.number;
    return std::nullopt;
}

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
    std::optional<std::string> label;
};

// Everything the reader has read so far.
struct json_reading {
    edits_file* edits;
    std::vector<std::string>* problems;
    std::vector<json_level> levels;
    std::string key;        // the key of the member whose value comes next
    int skipped = 0;        // the depth inside a container that is passed over
    size_t next_index = 0;  // the index of the next entry of "records"
    record_reading record;
    std::optional<int> slot;  // inside fields: the field of the key, where there is one
    bool saw_document = false;
    bool saw_records = false;
};

void take_document_member(json_reading* reading, const json_value& value)
{
    if (reading->key == "edition") {
        if (value.kind == json_value::text && find_edition(*value.string) != nullptr)
            reading->edits->edition = *value.string;
        else
            reading->problems->push_back("edition: not one of " + edition_name_list());
    } else if (reading->key == "disk") {
        // null: the export of an edition without disks.
        if (std::optional<long long> disk = number_in(value, 0, INT32_MAX))
            reading->edits->disk = static_cast<int>(*disk);
        else if (value.kind != json_value::null)
            reading->problems->push_back("disk: not a disk index");
    } else if (reading->key == "records") {
        reading->problems->push_back("records: no list of records");
        reading->saw_records = true;
    }
}

void take_record_member(json_reading* reading, const json_value& value)
{
    record_reading& record = reading->record;
    if (reading->key == "town") {
        std::optional<long long> town = number_in(value, 0, talk_town_count - 1);
        record.town = town ? member::valid : member::invalid;
        record.edit.town = town ? static_cast<int>(*town) : 0;
    } else if (reading->key == "person") {
        std::optional<long long> person = number_in(value, 0, talk_person_count - 1);
        record.person = person ? member::valid : member::invalid;
        record.edit.person = person ? static_cast<int>(*person) : 0;
    } else if (reading->key == "town_label" && value.kind == json_value::text) {
        record.label = *value.string;
    } else if (reading->key == "header") {
        record.header_invalid = true;
    } else if (reading->key == "fields") {
        record.fields_invalid = true;
    }
}

// A value (or a container, passed over) where the current key or level
// wants one.
void take_value(json_reading* reading, const json_value& value)
{
    if (reading->skipped > 0 || reading->levels.empty())
        return;
    record_reading& record = reading->record;
    switch (reading->levels.back()) {
    case json_level::document:
        take_document_member(reading, value);
        break;
    case json_level::records:
        reading->problems->push_back(record_place(reading->next_index++) + ": not an object");
        break;
    case json_level::record:
        take_record_member(reading, value);
        break;
    case json_level::header:
        if (std::optional<long long> byte = number_in(value, 0, 255))
            record.edit.header.push_back(static_cast<int>(*byte));
        else
            record.header_invalid = true;
        break;
    case json_level::fields:
        if (!reading->slot)
            break;
        if (value.kind == json_value::text)
            record.edit.fields.push_back({*reading->slot, std::move(*value.string)});
        else
            reading->problems->push_back(record_place(record.index, ".fields." + reading->key) +
                                         ": not a string");
        break;
    }
}

void take_key(json_reading* reading, std::string name)
{
    if (reading->skipped > 0 || reading->levels.empty())
        return;
    const size_t index = reading->record.index;
    switch (reading->levels.back()) {
    case json_level::fields: {
        int slot = find_field(name);
        reading->slot = slot >= 0 ? std::optional<int>(slot) : std::nullopt;
        if (slot < 0)
            reading->problems->push_back(record_place(index, ".fields") + ": no field '" +
                                         printable_text(name) + "'");
        break;
    }
    case json_level::document:
        if (!is_one_of(name, document_keys))
            reading->problems->push_back("unknown key '" + printable_text(name) +
                                         "' (a misspelt one would be ignored)");
        break;
    case json_level::record:
        if (!is_one_of(name, record_keys))
            reading->problems->push_back(record_place(index) + ": unknown key '" +
                                         printable_text(name) +
                                         "' (a misspelt one would be ignored)");
        break;
    default:
        break;
    }
    reading->key = std::move(name);
}

// True when a container of this kind is wanted where the reader stands,
// with the level it opens.
bool wanted(json_reading* reading, bool object, json_level* next)
{
    if (reading->levels.empty()) {
        reading->saw_document = object;
        *next = json_level::document;
        return object;
    }
    const std::string& key = reading->key;
    switch (reading->levels.back()) {
    case json_level::document:
        if (object || key != "records")
            return false;
        reading->saw_records = true;
        *next = json_level::records;
        return true;
    case json_level::records:
        if (!object)
            return false;
        reading->record = record_reading();
        reading->record.index = reading->next_index++;
        reading->record.edit.place = record_place(reading->record.index);
        *next = json_level::record;
        return true;
    case json_level::record:
        if (key == "header" && !object) {
            reading->record.edit.has_header = true;
            *next = json_level::header;
            return true;
        }
        if (key == "fields" && object) {
            reading->slot = std::nullopt;
            *next = json_level::fields;
            return true;
        }
        return false;
    case json_level::header:
    case json_level::fields:
        return false;
    }
    return false;
}

// Enters a container: where none is wanted it is noted as a value of the
// wrong kind and passed over.
void open_container(json_reading* reading, bool object)
{
    if (reading->skipped > 0) {
        reading->skipped++;
        return;
    }
    json_level next;
    if (wanted(reading, object, &next)) {
        reading->levels.push_back(next);
        return;
    }
    take_value(reading, {json_value::other, std::nullopt, nullptr});
    reading->skipped = 1;
}

// A record that is whole joins the edits; else its first problem is noted.
void finish_record(json_reading* reading)
{
    record_reading& record = reading->record;
    std::vector<std::string>& problems = *reading->problems;
    const size_t index = record.index;
    if (record.town != member::valid)
        problems.push_back(record_place(index, ".town") + ": no town 0 to " +
                           std::to_string(talk_town_count - 1));
    else if (record.person != member::valid)
        problems.push_back(record_place(index, ".person") + ": no person 0 to " +
                           std::to_string(talk_person_count - 1));
    else if (record.header_invalid)
        problems.push_back(record_place(index, ".header") + ": not a list of bytes 0 to 255");
    else if (record.fields_invalid)
        problems.push_back(record_place(index, ".fields") + ": not an object");
    else if (record.label && *record.label != town_labels[record.edit.town])
        problems.push_back(
            record_place(index, ".town_label") + ": town " + std::to_string(record.edit.town) +
            " is " + town_labels[record.edit.town] + ", not " + printable_text(*record.label));
    else
        reading->edits->records.push_back(std::move(record.edit));
}

void close_container(json_reading* reading)
{
    if (reading->skipped > 0) {
        reading->skipped--;
        return;
    }
    json_level closed = reading->levels.back();
    reading->levels.pop_back();
    if (closed == json_level::record)
        finish_record(reading);
}

// The parser's events, each handed to the reading.
class json_edits_events : public nlohmann::json_sax<nlohmann::json> {
public:
    explicit json_edits_events(json_reading* reading) : reading_(reading) {}

    bool null() override { return value({json_value::null, std::nullopt, nullptr}); }
    bool boolean(bool) override { return value({json_value::other, std::nullopt, nullptr}); }
    bool number_integer(number_integer_t n) override
    {
        return value({json_value::integer, n, nullptr});
    }
    bool number_unsigned(number_unsigned_t n) override
    {
        std::optional<long long> fits;
        if (n <= static_cast<number_unsigned_t>(INT64_MAX))
            fits = static_cast<long long>(n);
        return value({json_value::integer, fits, nullptr});
    }
    bool number_float(number_float_t, const string_t&) override
    {
        return value({json_value::other, std::nullopt, nullptr});
    }
    bool string(string_t& text) override { return value({json_value::text, std::nullopt, &text}); }
    bool binary(binary_t&) override { return value({json_value::other, std::nullopt, nullptr}); }
    bool start_object(std::size_t) override { return open(true); }
    bool start_array(std::size_t) override { return open(false); }
    bool end_object() override { return close(); }
    bool end_array() override { return close(); }
    bool key(string_t& name) override
    {
        take_key(reading_, std::move(name));
        return true;
    }

    bool parse_error(std::size_t, const std::string&,
                     const nlohmann::detail::exception& error) override
    {
        // "[json.exception.parse_error.101] parse error at line 3, column 5: ..."
        std::string what = printable_text(error.what());
        size_t at = what.find(" at line ");
        reading_->problems->push_back("malformed JSON" +
                                      (at != std::string::npos ? what.substr(at) : ": " + what));
        return false;
    }

private:
    bool value(const json_value& given)
    {
        take_value(reading_, given);
        return true;
    }
    bool open(bool object)
    {
        open_container(reading_, object);
        return true;
    }
    bool close()
    {
        close_container(reading_);
        return true;
    }

    json_reading* reading_;
};

}  // namespace

bool claims_json(const std::string& text)
{
    size_t first = text.find_first_not_of(" \t\r\n");
    return first != std::string::npos && (text[first] == '{' || text[first] == '[');
}

void read_json_edits(const std::string& text, edits_file* edits, std::vector<std::string>* problems)
{
    json_reading reading;
    reading.edits = edits;
    reading.problems = problems;
    json_edits_events events(&reading);
    if (!nlohmann::json::sax_parse(text, &events))
        return;
    // After the whole document: what it lacked.
    if (!reading.saw_document)
        problems->push_back("the JSON document is not an object");
    else if (!reading.saw_records)
        problems->push_back("records: no list of records");
}
