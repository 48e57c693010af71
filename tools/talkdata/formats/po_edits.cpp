// Edits from a PO file as gettext's tools and translation platforms write
// it: strings continued over several lines, C escapes, comments of every
// kind, entries in any order, CR LF line ends. Each translated entry that
// is not fuzzy edits the field its msgctxt names; the header, obsolete
// entries (#~) and entries without a translation edit nothing.
#include <cctype>
#include <cstring>
#include <string_view>

#include "po_format.h"
#include "record_fields.h"
#include "storage_messages.h"
#include "utf8.h"

namespace {

// One entry as the file gives it.
struct po_entry {
    size_t line = 0;  // of its first keyword
    bool fuzzy = false;
    bool has_context = false;
    bool has_id = false;
    bool plural = false;
    bool has_translation = false;
    std::string context, id, translation;  // msgstr, or msgstr[0] of a plural entry
};

// The file read into entries, every problem of its syntax added.
class po_reader {
public:
    po_reader(const std::string& text, problem_list* problems) : text_(text), problems_(problems) {}

    std::vector<po_entry> read()
    {
        size_t start = 0;
        for (number_ = 1; start < text_.size(); number_++) {
            size_t end = text_.find('\n', start);
            if (end == std::string::npos)
                end = text_.size();
            std::string_view line(text_.data() + start, end - start);
            start = end + 1;
            if (!line.empty() && line.back() == '\r')
                line.remove_suffix(1);
            read_line(line);
        }
        finish_entry();
        return std::move(entries_);
    }

private:
    void problem(size_t column, const std::string& what)
    {
        flawed_ = true;
        problems_->add("line " + std::to_string(number_) + ", column " + std::to_string(column) +
                       ": " + what);
    }

    // Ends the entry being read, if one is.
    void finish_entry()
    {
        if (started_ && entry_.has_translation)
            entries_.push_back(std::move(entry_));
        else if (started_ && !flawed_)  // else a problem of it is listed already
            problems_->add("line " + std::to_string(entry_.line) + ": the entry has no " +
                           (entry_.has_id ? "msgstr" : "msgid"));
        entry_ = po_entry();
        started_ = false;
        flawed_ = false;
        target_ = nullptr;
    }

    void start_entry()
    {
        finish_entry();
        entry_.line = number_;
        entry_.fuzzy = fuzzy_;
        fuzzy_ = false;
        started_ = true;
    }

    void read_line(std::string_view line)
    {
        const size_t indent = line.find_first_not_of(" \t");
        if (indent == std::string_view::npos)
            return;
        line.remove_prefix(indent);
        if (line[0] == '#') {
            // A comment ends a translated entry; the flags belong to the next.
            if (entry_.has_translation)
                finish_entry();
            if (line.substr(0, 2) == "#~") {
                fuzzy_ = false;  // an obsolete entry's flags are its own
                return;
            }
            if (line.substr(0, 2) == "#,")
                read_flags(line.substr(2));
            return;
        }
        if (line[0] == '"') {
            if (target_ == nullptr) {
                problem(indent + 1, "a string that follows no msgctxt, msgid or msgstr");
                return;
            }
            read_string(line, indent, target_);
            return;
        }
        const size_t word_end = line.find_first_of(" \t\"");
        const std::string_view word = line.substr(0, word_end);
        if (!read_keyword(word, indent))
            return;
        const size_t quote = word_end == std::string_view::npos
                                 ? std::string_view::npos
                                 : line.find_first_not_of(" \t", word_end);
        if (quote == std::string_view::npos || line[quote] != '"') {
            problem(indent + (quote == std::string_view::npos ? line.size() : quote) + 1,
                    "a string in quotes must follow " + std::string(word));
            return;
        }
        read_string(line.substr(quote), indent + quote, target_);
    }

    void read_flags(std::string_view flags)
    {
        while (!flags.empty()) {
            size_t comma = flags.find(',');
            std::string_view flag = flags.substr(0, comma);
            const size_t first = flag.find_first_not_of(" \t");
            const size_t last = flag.find_last_not_of(" \t");
            if (first != std::string_view::npos && flag.substr(first, last - first + 1) == "fuzzy")
                fuzzy_ = true;
            if (comma == std::string_view::npos)
                break;
            flags.remove_prefix(comma + 1);
        }
    }

    // Takes a keyword: false after a problem.
    bool read_keyword(std::string_view word, size_t indent)
    {
        if (word == "msgctxt") {
            if (entry_.has_context || entry_.has_id) {
                if (!entry_.has_translation) {
                    problem(indent + 1, "msgctxt inside an entry, before its msgstr");
                    return false;
                }
            }
            start_entry();
            entry_.has_context = true;
            target_ = &entry_.context;
            return true;
        }
        if (word == "msgid") {
            if (!started_ || entry_.has_id)
                start_entry();
            entry_.has_id = true;
            target_ = &entry_.id;
            return true;
        }
        if (!entry_.has_id) {
            if (word == "msgid_plural" || word.substr(0, 6) == "msgstr")
                problem(indent + 1, std::string(word) + " without a msgid before it");
            else
                problem(indent + 1, "not a keyword, a comment or a string of a PO file");
            target_ = nullptr;
            return false;
        }
        if (word == "msgid_plural" && !entry_.has_translation) {
            entry_.plural = true;
            target_ = &plural_scratch_;
            plural_scratch_.clear();
            return true;
        }
        if (word == "msgstr" && !entry_.has_translation && !entry_.plural) {
            entry_.has_translation = true;
            target_ = &entry_.translation;
            return true;
        }
        if (entry_.plural && word.size() > 8 && word.substr(0, 7) == "msgstr[" &&
            word.back() == ']') {
            // Every form but the first is read and left aside.
            const bool first = word == "msgstr[0]";
            entry_.has_translation = true;
            target_ = first ? &entry_.translation : &plural_scratch_;
            plural_scratch_.clear();
            return true;
        }
        problem(indent + 1, word.substr(0, 6) == "msgstr" || word == "msgid_plural"
                                ? std::string(word) + " does not belong here in the entry"
                                : "not a keyword, a comment or a string of a PO file");
        target_ = nullptr;
        return false;
    }

    // Appends the string that starts at line[0] ('"'), and any that follow
    // it on the line, to *out; column is that of its quote less one.
    void read_string(std::string_view line, size_t column, std::string* out)
    {
        size_t start = 0;  // the quote of the string being read
        for (;;) {
            size_t pos = start + 1;
            while (pos < line.size() && line[pos] != '"') {
                const char c = line[pos];
                if (c != '\\') {
                    *out += c;
                    pos++;
                    continue;
                }
                const size_t backslash = pos;
                const char* wrong = read_escape(line, &pos, out);
                if (wrong != nullptr) {
                    problem(column + backslash + 1, wrong);
                    return;
                }
            }
            if (pos >= line.size()) {
                problem(column + start + 1, "the string has no closing quote on its line");
                return;
            }
            const size_t rest = line.find_first_not_of(" \t", pos + 1);
            if (rest == std::string_view::npos)
                return;
            if (line[rest] != '"') {
                problem(column + rest + 1, "text after the string's closing quote");
                return;
            }
            start = rest;  // another string on the line goes on this one
        }
    }

    // Reads the escape at line[*pos] ('\\') and moves *pos behind it: null,
    // or what is wrong with it.
    static const char* read_escape(std::string_view line, size_t* pos, std::string* out)
    {
        static const char* const unknown =
            "unknown escape (\\n, \\t, \\\", \\\\ and the other C escapes are known)";
        static const char letters[] = "ntr\"\\abfv'?";
        static const char bytes[] = "\n\t\r\"\\\a\b\f\v'?";
        if (*pos + 1 >= line.size())
            return unknown;
        const char next = line[*pos + 1];
        for (size_t i = 0; letters[i] != '\0'; i++) {
            if (letters[i] == next) {
                *out += bytes[i];
                *pos += 2;
                return nullptr;
            }
        }
        unsigned value = 0;
        size_t digits = 0;
        if (next >= '0' && next <= '7') {
            while (digits < 3 && *pos + 1 + digits < line.size() &&
                   line[*pos + 1 + digits] >= '0' && line[*pos + 1 + digits] <= '7')
                value = value * 8 + static_cast<unsigned>(line[*pos + 1 + digits++] - '0');
            *pos += 1 + digits;
        } else if (next == 'x') {
            while (digits < 2 && *pos + 2 + digits < line.size() &&
                   isxdigit(static_cast<unsigned char>(line[*pos + 2 + digits]))) {
                const char h = line[*pos + 2 + digits++];
                value =
                    value * 16 + static_cast<unsigned>(h <= '9' ? h - '0' : (h | 0x20) - 'a' + 10);
            }
            if (digits == 0)
                return unknown;
            *pos += 2 + digits;
        } else {
            return unknown;
        }
        if (value > 0xFF)
            return "an octal escape above \\377, which is no byte";
        *out += static_cast<char>(value);
        return nullptr;
    }

    const std::string& text_;
    problem_list* problems_;
    std::vector<po_entry> entries_;
    po_entry entry_;
    bool started_ = false;
    bool flawed_ = false;            // a problem of the entry being read was listed
    bool fuzzy_ = false;             // a fuzzy flag for the next entry
    std::string* target_ = nullptr;  // the string that a continuation line goes on
    std::string plural_scratch_;
    size_t number_ = 0;
};

// The value of a header field ("Key: value" lines), or none.
bool header_field(const std::string& header, const std::string& key, std::string* value)
{
    size_t start = 0;
    while (start < header.size()) {
        size_t end = header.find('\n', start);
        if (end == std::string::npos)
            end = header.size();
        const std::string line = header.substr(start, end - start);
        if (line.compare(0, key.size() + 1, key + ":") == 0) {
            const size_t first = line.find_first_not_of(" \t", key.size() + 1);
            *value = first == std::string::npos ? "" : line.substr(first);
            return true;
        }
        start = end + 1;
    }
    return false;
}

std::string lower(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    return text;
}

// Checks the header entry against the input: false when the file is of
// another edition or disk, or not UTF-8, and reading stops.
bool check_header(const po_entry& header, const talk_input& input, problem_list* problems)
{
    const std::string place = "line " + std::to_string(header.line) + ": ";
    std::string value;
    if (header_field(header.translation, "Content-Type", &value)) {
        const size_t charset = lower(value).find("charset=");
        std::string name = charset == std::string::npos ? "" : value.substr(charset + 8);
        name = name.substr(0, name.find_first_of(" \t;"));
        if (charset != std::string::npos && lower(name) != "utf-8") {
            problems->add(place + "the file's charset is " + printable_text(name) +
                          "; the import reads PO files in UTF-8 (charset=UTF-8)");
            return false;
        }
    }
    if (header_field(header.translation, po_edition_field, &value) &&
        value != input.edition->name) {
        problems->add(place + po_edition_field + ": the edits are for the " +
                      printable_text(value) + " edition, the input is of the " +
                      input.edition->name + " edition");
        return false;
    }
    if (input.edition->has_disks && header_field(header.translation, po_disk_field, &value) &&
        value != std::to_string(input.disk_index)) {
        problems->add(place + po_disk_field + ": the edits are of disk " + printable_text(value) +
                      ", the input is disk " + std::to_string(input.disk_index));
        return false;
    }
    return true;
}

// A decimal number from 0 below limit without leading zeros, or -1.
int context_number(std::string_view text, int limit)
{
    if (text.empty() || text.size() > 2 || (text.size() > 1 && text[0] == '0'))
        return -1;
    int n = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return -1;
        n = n * 10 + (c - '0');
    }
    return n < limit ? n : -1;
}

// The town, person and slot that a msgctxt names: false when it names none.
bool parse_context(const std::string& context, int* town, int* person, int* slot)
{
    const size_t first = context.find('/');
    const size_t second = first == std::string::npos ? first : context.find('/', first + 1);
    if (second == std::string::npos)
        return false;
    const std::string_view view(context);
    *town = context_number(view.substr(0, first), talk_town_count);
    *person = context_number(view.substr(first + 1, second - first - 1), talk_person_count);
    *slot = find_field(context.substr(second + 1));
    return *town >= 0 && *person >= 0 && *slot >= 0;
}

// True when a field's stored bytes are those that text encodes to: the
// input holds a translation already, however it is spelled.
bool holds_text(const field_codec& codec, const uint8_t* record, const record_fields& fields,
                unsigned slot, const std::string& text)
{
    encode_failure failure;
    const uint8_t* stored = record + fields.start[slot];
    if (is_keyword_slot(codec.profile, slot)) {
        uint8_t keyword[talk_keyword_size];
        return encode_keyword_field(codec, text, keyword, &failure) == 0 &&
               memcmp(keyword, stored, talk_keyword_size) == 0;
    }
    std::string bytes;
    return encode_talk_text(codec, text, &bytes, &failure) == 0 &&
           bytes.size() == fields.length[slot] && memcmp(bytes.data(), stored, bytes.size()) == 0;
}

// A text for a message, cut after 40 bytes: a msgctxt may be of any length.
std::string shortened(const std::string& text)
{
    if (text.size() <= 40)
        return printable_text(text);
    size_t end = 40;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80)
        end--;  // not inside a character
    return printable_text(text.substr(0, end)) + "...";
}

bool valid_utf8(const std::string& text)
{
    size_t pos = 0;
    char32_t c;
    while (pos < text.size())
        if (!next_utf8(text, &pos, &c))
            return false;
    return true;
}

}  // namespace

bool claims_po(const std::string& text)
{
    const size_t first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos)
        return false;
    const std::string_view rest = std::string_view(text).substr(first);
    return rest[0] == '#' || rest.substr(0, 3) == "msg";
}

void read_po_edits(const std::string& text, const talk_input& input, edits_file* edits,
                   problem_list* problems)
{
    const std::vector<po_entry> entries = po_reader(text, problems).read();
    for (const po_entry& entry : entries)
        if (!entry.has_context && entry.id.empty() && !check_header(entry, input, problems))
            return;
    const field_codec& codec = edition_codec(input.edition);
    size_t fuzzy = 0;
    for (const po_entry& entry : entries) {
        if (!entry.has_context && entry.id.empty())
            continue;  // the header
        const std::string place = "line " + std::to_string(entry.line);
        if (entry.fuzzy) {
            fuzzy++;
            continue;
        }
        int town, person, slot;
        if (!entry.has_context || !parse_context(entry.context, &town, &person, &slot)) {
            problems->add(place + ": " +
                          (entry.has_context ? "msgctxt \"" + shortened(entry.context) + "\""
                                             : std::string("an entry without msgctxt")) +
                          " names no field of a talk record (TOWN/PERSON/FIELD, as in "
                          "\"12/3/job\")");
            continue;
        }
        const std::string key = place + ": " + entry.context;
        if (entry.plural) {
            problems->add(key + ": a text of the talk data has no plural forms (msgid_plural)");
            continue;
        }
        if (entry.translation.empty())
            continue;
        if (!valid_utf8(entry.translation)) {
            problems->add(key + ": msgstr is not UTF-8 text");
            continue;
        }
        const uint8_t* record = input.record(town, person);
        record_fields fields;
        std::string unused;
        if (split_record_fields(codec, record, &fields, &unused) < 0)
            continue;  // the import has checked every record before
        const unsigned field = static_cast<unsigned>(slot);
        if (entry.id != export_field(codec, record, fields, field) &&
            !holds_text(codec, record, fields, field, entry.translation)) {
            problems->add(key +
                          ": msgid is not the input's text of the field, which has changed since "
                          "the export (export the input again and merge this file into it "
                          "with msgmerge)");
            continue;
        }
        record_edit edit;
        edit.town = town;
        edit.person = person;
        edit.place = place;
        edit.fields.push_back({slot, entry.translation});
        edits->records.push_back(std::move(edit));
    }
    if (fuzzy > 0)
        edits->notes.push_back(std::to_string(fuzzy) +
                               (fuzzy == 1 ? " fuzzy entry skipped" : " fuzzy entries skipped"));
}
