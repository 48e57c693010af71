// The PO export: a header entry that gettext's tools accept without a
// warning, then one entry per field that holds text, in listing order.
// Each entry's comments name the record, give the field's bytes and the
// bytes its record has left (and, where a character is a byte, the most
// characters the field can hold as a max-length flag), another input's
// text of the field with --reference, and where the field lies.
#include <cstdlib>
#include <ctime>

#include "po_format.h"
#include "record_fields.h"
#include "storage_messages.h"

namespace {

// "1 byte", "12 bytes"
std::string bytes_text(unsigned count)
{
    return std::to_string(count) + (count == 1 ? " byte" : " bytes");
}

// A PO string of UTF-8 text: the quotes and backslash escaped, and every
// control character as a C escape.
void append_po_string(std::string* out, const std::string& text)
{
    *out += '"';
    for (char c : text) {
        const unsigned char byte = static_cast<unsigned char>(c);
        switch (c) {
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
            if (byte < 0x20 || byte == 0x7F) {
                const char octal[] = {'\\', static_cast<char>('0' + (byte >> 6)),
                                      static_cast<char>('0' + (byte >> 3 & 7)),
                                      static_cast<char>('0' + (byte & 7)), 0};
                *out += octal;
            } else {
                *out += c;
            }
        }
    }
    *out += '"';
}

// keyword "text", or for a text of several lines keyword "" and then a
// string for each line, as gettext's tools write them.
void append_po_message(std::string* out, const char* keyword, const std::string& text)
{
    *out += keyword;
    *out += ' ';
    const size_t first_break = text.find('\n');
    if (first_break == std::string::npos || first_break + 1 == text.size()) {
        append_po_string(out, text);
        *out += '\n';
        return;
    }
    *out += "\"\"\n";
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        end = end == std::string::npos ? text.size() : end + 1;
        append_po_string(out, text.substr(start, end - start));
        *out += '\n';
        start = end;
    }
}

// The time of the export as a PO header gives dates; SOURCE_DATE_EPOCH,
// where set, stands for it, so that an export can be made again exactly.
std::string po_date()
{
    time_t now = time(nullptr);
    const char* epoch = getenv("SOURCE_DATE_EPOCH");
    if (epoch != nullptr && *epoch != '\0') {
        char* end = nullptr;
        long long seconds = strtoll(epoch, &end, 10);
        // Up to the end of the year 9999, which a PO date can hold.
        if (*end == '\0' && seconds >= 0 && seconds <= 253402300799LL)
            now = static_cast<time_t>(seconds);
    }
    struct tm utc = {};
#ifdef _WIN32
    const bool converted = gmtime_s(&utc, &now) == 0;
#else
    const bool converted = gmtime_r(&now, &utc) != nullptr;
#endif
    if (!converted)
        return "1970-01-01 00:00+0000";
    char text[32];
    strftime(text, sizeof text, "%Y-%m-%d %H:%M+0000", &utc);
    return text;
}

void append_header(std::string* out, const talk_input& input)
{
    const edition_entry* edition = input.edition;
    const std::string path = printable_text(input.path);
    *out += "# Talk data of the " + std::string(edition->title) +
            " edition, exported by talkdata from " + path + ".\n";
    *out +=
        "# Each entry is a field of a talk record, msgctxt \"TOWN/PERSON/FIELD\"; its\n"
        "# comments give the bytes the text takes and the bytes its record has free.\n";
    const std::string date = po_date();
    std::vector<std::string> fields = {
        "Project-Id-Version: talk data of the " + std::string(edition->name) + " edition",
        "POT-Creation-Date: " + date,
        "PO-Revision-Date: " + date,
        "Last-Translator: ",
        "Language-Team: ",
        "Language: " + std::string(edition->language),
        "MIME-Version: 1.0",
        "Content-Type: text/plain; charset=UTF-8",
        "Content-Transfer-Encoding: 8bit",
        std::string(po_edition_field) + ": " + edition->name,
        std::string(po_input_field) + ": " + path,
    };
    if (edition->has_disks)
        fields.push_back(std::string(po_disk_field) + ": " + std::to_string(input.disk_index));
    std::string header;
    for (const std::string& field : fields)
        header += field + "\n";
    append_po_message(out, "msgid", "");
    append_po_message(out, "msgstr", header);
}

// Where a field lies, as a PO reference: the file and its offset there
// (a DOS town file, TALKDATA.BIN, the image itself), or the sector
// cylinder/head/record and the offset in it.
std::string field_reference(const talk_input& input, int town, int person, unsigned start)
{
    const record_location location = input.edition->locate(town, person);
    if (location.offset < 0)
        return sector_text(location.sector) + ":" + std::to_string(start);
    std::string file;
    if (location.file != nullptr) {
        file = location.file;
    } else {
        // The image's own name, where a reference can hold it.
#ifdef _WIN32
        file = input.path.substr(input.path.find_last_of("/\\:") + 1);
#else
        file = input.path.substr(input.path.find_last_of('/') + 1);
#endif
        if (file.empty() || file.find_first_of(" \t:") != std::string::npos ||
            printable_text(file) != file)
            file = "image";
    }
    return file + ":" + std::to_string(location.offset + start);
}

// The budget of a field in words. The most bytes it can hold while the
// rest of its record stays as it is.
unsigned append_budget(std::string* out, const talk_input& input, const uint8_t* record,
                       const record_fields& fields, unsigned slot)
{
    const talk_profile* profile = input.edition->profile;
    unsigned most;
    if (is_keyword_slot(profile, slot)) {
        most = talk_keyword_size;
        unsigned length = most;  // without the spaces that pad it
        while (length > 0 && record[fields.start[slot] + length - 1] == talk_keyword_padding)
            length--;
        *out += "#. " + bytes_text(length) + "; a keyword field of " + bytes_text(most) +
                " of its own\n";
    } else {
        const unsigned free_bytes = profile->text_end - fields.text_end;
        most = fields.length[slot] + free_bytes;
        *out += "#. " + bytes_text(fields.length[slot]) + "; the record has " +
                bytes_text(free_bytes) + " free\n";
    }
    return most;
}

// The reference input's text of a field, a comment line for each of its
// lines: "#. dos: I mend the nets."
void append_reference(std::string* out, const export_reference& reference, int town, int person,
                      unsigned slot)
{
    const size_t index = static_cast<size_t>(town * talk_person_count + person);
    const char* name = reference.input->edition->name;
    const std::string& text = reference.records[index].fields[slot];
    if (text.empty()) {
        *out += "#. " + std::string(name) + " (no text)\n";
        return;
    }
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        const std::string line = printable_text(text.substr(start, end - start));
        *out += "#. " + std::string(name) + (line.empty() ? ":" : ": " + line) + "\n";
        if (end == text.size())
            break;
        start = end + 1;
    }
}

}  // namespace

const char* const po_edition_field = "X-Talkdata-Edition";
const char* const po_input_field = "X-Talkdata-Input";
const char* const po_disk_field = "X-Talkdata-Disk";

std::string po_context(int town, int person, unsigned slot)
{
    return std::to_string(town) + "/" + std::to_string(person) + "/" + field_names[slot];
}

void write_po_export(const talk_input& input, const std::vector<exported_record>& records,
                     const export_reference* reference, FILE* out)
{
    const field_codec& codec = edition_codec(input.edition);
    const bool one_byte_characters = talk_rule_prints_bytes(codec.profile->char_rule);
    std::string text;
    text.reserve(4096 + records.size() * 3072);
    append_header(&text, input);
    for (const exported_record& record : records) {
        if (!record.complete)
            continue;
        record_fields fields;
        std::string unused;
        if (split_record_fields(codec, input.record(record.town, record.person), &fields, &unused) <
            0)
            continue;  // the export's walk has passed only records that split
        for (unsigned slot = 0; slot < talk_slot_count; slot++) {
            if (record.fields[slot].empty())
                continue;  // msgid "" is the header's
            text += "\n#. " + std::string(town_labels[record.town]) + ", person " +
                    std::to_string(record.person) + "\n";
            const unsigned most =
                append_budget(&text, input, input.record(record.town, record.person), fields, slot);
            if (reference != nullptr)
                append_reference(&text, *reference, record.town, record.person, slot);
            text += "#: " + field_reference(input, record.town, record.person, fields.start[slot]) +
                    "\n";
            // Where a character is a byte, the most bytes are the most characters.
            if (one_byte_characters)
                text += "#, max-length:" + std::to_string(most) + "\n";
            append_po_message(&text, "msgctxt", po_context(record.town, record.person, slot));
            append_po_message(&text, "msgid", record.fields[slot]);
            append_po_message(&text, "msgstr", "");
        }
    }
    fwrite(text.data(), 1, text.size(), out);
}
