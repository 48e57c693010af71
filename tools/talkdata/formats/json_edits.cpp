// Edits from a JSON document as export writes it, read event by event as
// the library's parser meets its values, so that no tree of the whole
// document is built. Only the members export writes are known, each at
// most once in its object; a container where a value of another kind
// belongs is passed over whole after its problem is noted. The members an
// import cannot change (the edition, the disk, a record's town label,
// location and question_after) must hold what the input's export holds.
// Only white space may follow the document.
//
// The parser tells no positions but those of its own errors: it reads the
// text through an iterator that notes how far it has read, and a value's
// place is found back from there when a problem needs it.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <iterator>
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
const char* const location_keys[] = {"file", "offset", "cylinder", "head", "sector", nullptr};

// The position of name in names, or -1.
int key_index(const std::string& name, const char* const* names)
{
    for (int i = 0; names[i] != nullptr; i++)
        if (name == names[i])
            return i;
    return -1;
}

// The place in a document: records[3], records[3].fields.job
std::string record_place(size_t index, const std::string& rest = "")
{
    return "records[" + std::to_string(index) + "]" + rest;
}

// Where a token of the text ends, and how it is found back: a string from
// its closing quote, any other token by its length.
struct json_place {
    size_t end = 0;
    size_t length = 0;  // 0: a string
};

// Tells "line L, column C" of byte offsets, counting characters as the TSV
// reader does. Offsets are mostly asked in the order of the text: the
// count goes on from the last one asked, and starts over only for an
// earlier one.
class text_positions {
public:
    explicit text_positions(const std::string& text) : text_(text) {}

    std::string at(size_t offset)
    {
        offset = std::min(offset, text_.size());
        if (offset < offset_) {
            offset_ = 0;
            line_ = 1;
            column_ = 1;
        }
        for (; offset_ < offset; offset_++) {
            const unsigned char byte = static_cast<unsigned char>(text_[offset_]);
            if (byte == '\n') {
                line_++;
                column_ = 1;
            } else if ((byte & 0xC0) != 0x80) {
                column_++;
            }
        }
        // A continuation byte belongs to the character before it.
        size_t column = column_;
        if (offset < text_.size() && (static_cast<unsigned char>(text_[offset]) & 0xC0) == 0x80 &&
            column > 1)
            column--;
        return "line " + std::to_string(line_) + ", column " + std::to_string(column);
    }

private:
    const std::string& text_;
    size_t offset_ = 0;
    size_t line_ = 1;
    size_t column_ = 1;
};

// Where the reader stands: inside which container of the document.
enum class json_level { document, records, record, location, header, fields };

struct open_level {
    json_level level;
    uint32_t seen = 0;  // the known keys met in this object, a bit each
};

// A value as the parser gives it, reduced to what the edits need.
struct json_value {
    enum kind_t { other, null, integer, text } kind;
    std::optional<long long> number;  // an integer that fits a long long
    std::string* string;              // the text
    json_place place;
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

// A member of a record that an import cannot change, as it was given.
struct given_member {
    bool given = false;
    std::optional<std::string> text;  // its string, where it is one
    json_place place;

    // True when it is given as other than the string expected.
    bool differs(const char* expected) const { return given && (!text || *text != expected); }
};

// What the reader has of the record it is in.
struct record_reading {
    record_edit edit;
    size_t index = 0;  // its position in "records"
    json_place start;  // its opening brace
    member town = member::absent;
    member person = member::absent;
    json_place town_place, person_place;
    bool header_invalid = false;  // not a list of bytes 0 to 255
    bool fields_invalid = false;  // not an object
    json_place header_place, fields_place;
    given_member label, question_after;
    given_member location;
    bool location_valid = true;               // an object of strings and whole numbers
    std::vector<json_member> location_given;  // its members as JSON text
};

// Everything the reader has read so far.
struct json_reading {
    const std::string* text;
    const talk_input* input;
    edits_file* edits;
    problem_list* problems;
    text_positions* positions;
    const char* read_to = nullptr;  // the end of what the parser has read
    std::vector<open_level> levels;
    std::string key;  // the key of the member whose value comes next
    json_place key_place;
    bool passing_value = false;  // the next value is passed over (its key was given twice)
    int skipped = 0;             // the depth inside a container that is passed over
    size_t next_index = 0;       // the index of the next entry of "records"
    record_reading record;
    std::optional<int> slot;  // inside fields: the field of the key, where there is one
    bool saw_document = false;
    bool saw_records = false;
    bool foreign = false;  // the edits are of another edition or disk: reading stops
};

// The offset at which a token starts.
size_t start_of(const json_reading& reading, const json_place& place)
{
    if (place.length > 0)
        return place.end >= place.length ? place.end - place.length : 0;
    // A string: back from its closing quote to the quote that no odd run of
    // backslashes escapes.
    const std::string& text = *reading.text;
    for (size_t at = place.end >= 2 ? place.end - 2 : 0; at > 0; at--) {
        if (text[at] != '"')
            continue;
        size_t backslashes = 0;
        while (backslashes < at && text[at - 1 - backslashes] == '\\')
            backslashes++;
        if (backslashes % 2 == 0)
            return at;
    }
    return 0;
}

// A problem at the token of place: "line 3, column 7: WHAT".
void add_problem(json_reading* reading, const json_place& place, const std::string& what)
{
    if (reading->problems->full()) {
        reading->problems->add("");  // counted only; its place is not worth finding
        return;
    }
    reading->problems->add(reading->positions->at(start_of(*reading, place)) + ": " + what);
}

// The place of a token that the parser has just read: length bytes, and
// one more read after it when it is a number.
json_place token_place(const json_reading& reading, size_t length, bool number)
{
    // A number ends in a digit: a last byte read that is none is the one
    // after it.
    const size_t end = static_cast<size_t>(reading.read_to - reading.text->data());
    const char last = end > 0 ? (*reading.text)[end - 1] : '0';
    if (number && (last < '0' || last > '9'))
        return {end - 1, length};
    return {end, length};
}

// A value as a message quotes it: a string (text) as JSON writes it, a
// number or a literal as the file holds it, a container by its kind.
std::string shown_value(const json_reading& reading, const json_place& place,
                        const std::string* string)
{
    if (string != nullptr)
        return printable_text(json_string(*string));
    const size_t start = start_of(reading, place);
    const std::string& text = *reading.text;
    if (start < text.size() && text[start] == '{')
        return "an object";
    if (start < text.size() && text[start] == '[')
        return "a list";
    return printable_text(text.substr(start, place.end - start));
}

std::string shown_value(const json_reading& reading, const json_value& value)
{
    return shown_value(reading, value.place,
                       value.kind == json_value::text ? value.string : nullptr);
}

std::string shown_value(const json_reading& reading, const given_member& member)
{
    return shown_value(reading, member.place, member.text ? &*member.text : nullptr);
}

given_member given(const json_value& value)
{
    given_member member;
    member.given = true;
    if (value.kind == json_value::text)
        member.text = *value.string;
    member.place = value.place;
    return member;
}

// The edits are of another input: what was read of them is of no use, and
// this is their one problem.
void refuse_foreign(json_reading* reading, const json_place& place, const std::string& what)
{
    reading->problems->clear();
    reading->edits->records.clear();
    add_problem(reading, place, what);
    reading->foreign = true;
}

void take_edition(json_reading* reading, const json_value& value)
{
    const edition_entry* edition =
        value.kind == json_value::text ? find_edition(*value.string) : nullptr;
    const edition_entry* input = reading->input->edition;
    if (edition == nullptr)
        add_problem(reading, value.place, "edition: not one of " + edition_name_list());
    else if (edition != input)
        refuse_foreign(reading, value.place,
                       std::string("edition: the edits are for the ") + edition->name +
                           " edition, the input is of the " + input->name + " edition");
}

// "disk": the index of the D88 image's disk chosen, null for the other
// editions.
void take_disk(json_reading* reading, const json_value& value)
{
    const talk_input& input = *reading->input;
    std::optional<long long> disk = number_in(value, 0, INT32_MAX);
    if (!input.edition->has_disks) {
        if (value.kind != json_value::null)
            add_problem(reading, value.place,
                        "disk: " + shown_value(*reading, value) + ", but the " +
                            input.edition->title + " edition has no disks (its export holds null)");
    } else if (!disk) {
        add_problem(reading, value.place,
                    "disk: " + shown_value(*reading, value) +
                        " is not a disk index (the input is disk " +
                        std::to_string(input.disk_index) + " of a D88 image)");
    } else if (*disk != input.disk_index) {
        refuse_foreign(reading, value.place,
                       "disk: the edits are of disk " + std::to_string(*disk) +
                           ", the input's disk " + std::to_string(input.disk_index) +
                           " is chosen (-i)");
    }
}

void take_document_member(json_reading* reading, const json_value& value)
{
    if (reading->key == "edition") {
        take_edition(reading, value);
    } else if (reading->key == "disk") {
        take_disk(reading, value);
    } else if (reading->key == "records") {
        add_problem(reading, value.place, "records: no list of records");
        reading->saw_records = true;
    }
}

void take_record_member(json_reading* reading, const json_value& value)
{
    record_reading& record = reading->record;
    const std::string& key = reading->key;
    if (key == "town") {
        std::optional<long long> town = number_in(value, 0, talk_town_count - 1);
        record.town = town ? member::valid : member::invalid;
        record.edit.town = town ? static_cast<int>(*town) : 0;
        record.town_place = value.place;
    } else if (key == "person") {
        std::optional<long long> person = number_in(value, 0, talk_person_count - 1);
        record.person = person ? member::valid : member::invalid;
        record.edit.person = person ? static_cast<int>(*person) : 0;
        record.person_place = value.place;
    } else if (key == "town_label") {
        record.label = given(value);
    } else if (key == "question_after") {
        record.question_after = given(value);
    } else if (key == "location") {
        record.location = given(value);
        record.location_valid = false;
    } else if (key == "header") {
        record.header_invalid = true;
        record.header_place = value.place;
    } else if (key == "fields") {
        record.fields_invalid = true;
        record.fields_place = value.place;
    }
}

// A member of "location": kept as JSON text, to be compared with the
// export's.
void take_location_member(json_reading* reading, const json_value& value)
{
    record_reading& record = reading->record;
    const int index = key_index(reading->key, location_keys);
    if (index < 0 || (value.kind != json_value::text && !number_in(value, 0, INT32_MAX))) {
        record.location_valid = false;
        return;
    }
    record.location_given.push_back({location_keys[index], value.kind == json_value::text
                                                               ? json_string(*value.string)
                                                               : std::to_string(*value.number)});
}

// A value (or a container, passed over) where the current key or level
// wants one.
void take_value(json_reading* reading, const json_value& value)
{
    if (reading->skipped > 0 || reading->levels.empty())
        return;
    if (reading->passing_value) {
        reading->passing_value = false;
        return;
    }
    record_reading& record = reading->record;
    switch (reading->levels.back().level) {
    case json_level::document:
        take_document_member(reading, value);
        break;
    case json_level::records:
        add_problem(reading, value.place, record_place(reading->next_index++) + ": not an object");
        break;
    case json_level::record:
        take_record_member(reading, value);
        break;
    case json_level::location:
        take_location_member(reading, value);
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
            add_problem(reading, value.place,
                        record_place(record.index, ".fields." + reading->key) + ": not a string");
        break;
    }
}

// The path of the object the reader is in, for messages: "" for the
// document, "records[3].fields" inside a record's fields.
std::string object_path(const json_reading& reading)
{
    switch (reading.levels.back().level) {
    case json_level::record:
        return record_place(reading.record.index);
    case json_level::location:
        return record_place(reading.record.index, ".location");
    case json_level::fields:
        return record_place(reading.record.index, ".fields");
    default:
        return "";
    }
}

void take_key(json_reading* reading, std::string name, const json_place& place)
{
    if (reading->skipped > 0 || reading->levels.empty())
        return;
    open_level& level = reading->levels.back();
    auto path = [reading]() { return object_path(*reading); };
    int index = -1;
    switch (level.level) {
    case json_level::fields:
        index = find_field(name);
        reading->slot = index >= 0 ? std::optional<int>(index) : std::nullopt;
        if (index < 0)
            add_problem(reading, place, path() + ": no field '" + printable_text(name) + "'");
        break;
    case json_level::document:
    case json_level::record:
        index = key_index(name, level.level == json_level::document ? document_keys : record_keys);
        if (index < 0)
            add_problem(reading, place,
                        (path().empty() ? "" : path() + ": ") + "unknown key '" +
                            printable_text(name) + "' (a misspelt one would be ignored)");
        break;
    case json_level::location:
        index = key_index(name, location_keys);
        break;
    default:
        break;
    }
    if (index >= 0) {
        const uint32_t bit = uint32_t{1} << index;
        if ((level.seen & bit) != 0) {
            add_problem(
                reading, place,
                (path().empty() ? "" : path() + ".") + printable_text(name) + ": given twice");
            reading->passing_value = true;
        }
        level.seen |= bit;
    }
    reading->key = std::move(name);
    reading->key_place = place;
}

// True when a container of this kind is wanted where the reader stands,
// with the level it opens.
bool wanted(json_reading* reading, bool object, const json_place& place, json_level* next)
{
    if (reading->levels.empty()) {
        reading->saw_document = object;
        *next = json_level::document;
        return object;
    }
    const std::string& key = reading->key;
    switch (reading->levels.back().level) {
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
        reading->record.start = place;
        reading->record.edit.place = record_place(reading->record.index);
        *next = json_level::record;
        return true;
    case json_level::record:
        if (key == "header" && !object) {
            reading->record.edit.has_header = true;
            reading->record.header_place = place;
            *next = json_level::header;
            return true;
        }
        if (key == "fields" && object) {
            reading->slot = std::nullopt;
            reading->record.fields_place = place;
            *next = json_level::fields;
            return true;
        }
        if (key == "location" && object) {
            reading->record.location.given = true;
            reading->record.location.place = place;
            *next = json_level::location;
            return true;
        }
        return false;
    case json_level::location:
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
    const json_place place = token_place(*reading, 1, false);
    json_level next;
    if (reading->passing_value) {
        reading->passing_value = false;
    } else if (wanted(reading, object, place, &next)) {
        reading->levels.push_back({next});
        return;
    } else {
        take_value(reading, {json_value::other, std::nullopt, nullptr, place});
    }
    reading->skipped = 1;
}

// Members as one line of JSON: {"file": "LCB.TLK", "offset": 0}
std::string shown_object(const std::vector<json_member>& members)
{
    std::string shown;
    for (const json_member& m : members)
        shown += (shown.empty() ? "{\"" : ", \"") + std::string(m.name) + "\": " + m.value;
    return shown.empty() ? "{}" : shown + "}";
}

// True when the members given of the record's location are those the
// export writes (in any order).
bool location_matches(const talk_input& input, record_reading* record)
{
    if (!record->location_valid)
        return false;
    std::vector<json_member> expected =
        location_members(input, record->edit.town, record->edit.person);
    std::vector<json_member>& given = record->location_given;
    if (given.size() != expected.size())
        return false;
    auto by_name = [](const json_member& a, const json_member& b) {
        return strcmp(a.name, b.name) < 0;
    };
    std::sort(expected.begin(), expected.end(), by_name);
    std::vector<json_member> sorted = given;
    std::sort(sorted.begin(), sorted.end(), by_name);
    for (size_t i = 0; i < sorted.size(); i++)
        if (strcmp(sorted[i].name, expected[i].name) != 0 || sorted[i].value != expected[i].value)
            return false;
    return true;
}

// The location given, as a message quotes it: an object of the known
// members as given.
std::string shown_location(const json_reading& reading, const record_reading& record)
{
    std::string shown = shown_value(reading, record.location);
    if (shown != "an object")
        return shown;
    return record.location_valid ? shown_object(record.location_given)
                                 : "an object of other members";
}

// The field after which the record asks its question: by the flag of the
// header it is given, else of the one it holds.
const char* question_field(const talk_input& input, const record_edit& edit)
{
    const talk_profile* profile = input.edition->profile;
    unsigned flag = input.record(edit.town, edit.person)[profile->header_offset];
    if (edit.has_header && !edit.header.empty())
        flag = static_cast<unsigned>(edit.header[0]);
    unsigned slot = talk_question_slot(flag);
    return slot < talk_slot_count ? field_names[slot] : nullptr;
}

// A record that is whole joins the edits; else its problems are noted (of
// a record without its town or person, only that).
void finish_record(json_reading* reading)
{
    record_reading& record = reading->record;
    const talk_input& input = *reading->input;
    const size_t index = record.index;
    const size_t count = reading->problems->size();
    if (record.town != member::valid) {
        add_problem(
            reading, record.town == member::absent ? record.start : record.town_place,
            record_place(index, ".town") + ": no town 0 to " + std::to_string(talk_town_count - 1));
        return;
    }
    if (record.person != member::valid) {
        add_problem(reading, record.person == member::absent ? record.start : record.person_place,
                    record_place(index, ".person") + ": no person 0 to " +
                        std::to_string(talk_person_count - 1));
        return;
    }
    const int town = record.edit.town;
    auto name = [&]() { return record_name(input, town, record.edit.person); };
    if (record.header_invalid)
        add_problem(reading, record.header_place,
                    record_place(index, ".header") + ": not a list of bytes 0 to 255");
    if (record.fields_invalid)
        add_problem(reading, record.fields_place,
                    record_place(index, ".fields") + ": not an object");
    if (record.label.differs(town_labels[town]))
        add_problem(reading, record.label.place,
                    record_place(index, ".town_label") + ": town " + std::to_string(town) + " is " +
                        town_labels[town] + ", not " +
                        (record.label.text ? printable_text(*record.label.text)
                                           : shown_value(*reading, record.label)));
    const char* question = question_field(input, record.edit);
    if (question != nullptr && record.question_after.differs(question))
        add_problem(reading, record.question_after.place,
                    record_place(index, ".question_after") + ": by its header's first byte, " +
                        name() + " asks its question after " + question + ", not " +
                        shown_value(*reading, record.question_after));
    if (record.location.given && !location_matches(input, &record))
        add_problem(reading, record.location.place,
                    record_place(index, ".location") + ": " + name() + " lies at " +
                        shown_object(location_members(input, town, record.edit.person)) +
                        ", not at " + shown_location(*reading, record));
    if (reading->problems->size() == count)
        reading->edits->records.push_back(std::move(record.edit));
}

void close_container(json_reading* reading)
{
    if (reading->skipped > 0) {
        reading->skipped--;
        return;
    }
    json_level closed = reading->levels.back().level;
    reading->levels.pop_back();
    if (closed == json_level::record)
        finish_record(reading);
}

// The parser's events, each handed to the reading; false stops the parser.
class json_edits_events : public nlohmann::json_sax<nlohmann::json> {
public:
    explicit json_edits_events(json_reading* reading) : reading_(reading) {}

    bool null() override { return value({json_value::null, std::nullopt, nullptr, literal(4)}); }
    bool boolean(bool yes) override
    {
        return value({json_value::other, std::nullopt, nullptr, literal(yes ? 4 : 5)});
    }
    bool number_integer(number_integer_t n) override
    {
        return value({json_value::integer, n, nullptr, number(std::to_string(n).size())});
    }
    bool number_unsigned(number_unsigned_t n) override
    {
        std::optional<long long> fits;
        if (n <= static_cast<number_unsigned_t>(INT64_MAX))
            fits = static_cast<long long>(n);
        return value({json_value::integer, fits, nullptr, number(std::to_string(n).size())});
    }
    bool number_float(number_float_t, const string_t& written) override
    {
        return value({json_value::other, std::nullopt, nullptr, number(written.size())});
    }
    bool string(string_t& text) override
    {
        return value({json_value::text, std::nullopt, &text, literal(0)});
    }
    bool binary(binary_t&) override
    {
        return value({json_value::other, std::nullopt, nullptr, literal(1)});
    }
    bool start_object(std::size_t) override { return open(true); }
    bool start_array(std::size_t) override { return open(false); }
    bool end_object() override { return close(); }
    bool end_array() override { return close(); }
    bool key(string_t& name) override
    {
        take_key(reading_, std::move(name), literal(0));
        return true;
    }

    bool parse_error(std::size_t position, const std::string& token,
                     const nlohmann::detail::exception& error) override
    {
        // The parser counts the bytes read: its error lies at the last one,
        // a number that overflows ends there.
        const std::string& text = *reading_->text;
        const size_t last = position > 0 ? position - 1 : 0;
        if (error.id == 406) {
            add_problem(reading_, {position, token.size()},
                        "the number " + printable_text(token) + " is out of range");
        } else if (last < text.size() && text[last] == '\0') {
            add_problem(reading_, {last + 1, 1}, "a NUL byte in the JSON document");
        } else {
            // "[json.exception.parse_error.101] parse error at line 3, column 5: ..."
            std::string what = printable_text(error.what());
            size_t column = what.find(" column ");
            size_t at = column != std::string::npos ? what.find(": ", column) : what.find("] ");
            if (at != std::string::npos)
                what = what.substr(at + 2);
            reading_->problems->add("malformed JSON at " + reading_->positions->at(last) + ": " +
                                    what);
        }
        return false;
    }

private:
    json_place literal(size_t length) const { return token_place(*reading_, length, false); }
    json_place number(size_t length) const { return token_place(*reading_, length, true); }
    bool value(const json_value& given)
    {
        take_value(reading_, given);
        return !reading_->foreign;
    }
    bool open(bool object)
    {
        open_container(reading_, object);
        return !reading_->foreign;
    }
    bool close()
    {
        close_container(reading_);
        return !reading_->foreign;
    }

    json_reading* reading_;
};

// The text's characters for the parser, noting in *read_to how far it has
// read.
class tracked_chars {
public:
    using iterator_category = std::input_iterator_tag;
    using value_type = char;
    using difference_type = std::ptrdiff_t;
    using pointer = const char*;
    using reference = const char&;

    tracked_chars(const char* at, const char** read_to) : at_(at), read_to_(read_to) {}
    reference operator*() const { return *at_; }
    tracked_chars& operator++()
    {
        *read_to_ = ++at_;
        return *this;
    }
    tracked_chars operator++(int)
    {
        tracked_chars before = *this;
        ++*this;
        return before;
    }
    bool operator==(const tracked_chars& other) const { return at_ == other.at_; }
    bool operator!=(const tracked_chars& other) const { return at_ != other.at_; }

private:
    const char* at_;
    const char** read_to_;
};

}  // namespace

bool claims_json(const std::string& text)
{
    size_t first = text.find_first_not_of(" \t\r\n");
    return first != std::string::npos && (text[first] == '{' || text[first] == '[');
}

void read_json_edits(const std::string& text, const talk_input& input, edits_file* edits,
                     problem_list* problems)
{
    text_positions positions(text);
    json_reading reading;
    reading.text = &text;
    reading.input = &input;
    reading.edits = edits;
    reading.problems = problems;
    reading.positions = &positions;
    reading.read_to = text.data();
    json_edits_events events(&reading);
    // Not strict: the parser stops after the document, and what follows it
    // is looked at here (the parser would take a NUL byte for the end).
    const char* begin = text.data();
    const char* end = begin + text.size();
    if (!nlohmann::json::sax_parse(tracked_chars(begin, &reading.read_to),
                                   tracked_chars(end, &reading.read_to), &events,
                                   nlohmann::json::input_format_t::json, false))
        return;
    const size_t after = static_cast<size_t>(reading.read_to - begin);
    const size_t next = text.find_first_not_of(" \t\r\n", after);
    if (next != std::string::npos)
        add_problem(&reading, {next + 1, 1},
                    text[next] == '\0' ? "a NUL byte after the JSON document"
                                       : "text after the end of the JSON document");
    // After the whole document: what it lacked.
    if (!reading.saw_document)
        problems->add("the JSON document is not an object");
    else if (!reading.saw_records)
        problems->add("records: no list of records");
}
