// Edits from TSV rows as export writes them: the header row, then one row
// per field, any of them; a spreadsheet's CR LF line ends are taken.
#include <string_view>

#include "record_fields.h"
#include "storage_messages.h"
#include "tsv_format.h"

namespace {

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

// The escapes as a message names them: "\\\\, \\t, \\n and \\r".
std::string known_escapes()
{
    std::string text;
    for (size_t i = 0; i < tsv_escape_count; i++)
        text += std::string(i == 0                     ? ""
                            : i + 1 < tsv_escape_count ? ", "
                                                       : " and ") +
                '\\' + tsv_escape_codes[i].letter;
    return text;
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
        const char next = i + 1 < cell.size() ? cell[i + 1] : '\0';
        const tsv_escape_code* code = nullptr;
        for (const tsv_escape_code& candidate : tsv_escape_codes)
            if (candidate.letter == next)
                code = &candidate;
        if (code == nullptr || next == '\0') {
            *bad = i;
            return false;
        }
        *text += code->byte;
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

}  // namespace

void read_tsv_edits(const std::string& text, const talk_input&, edits_file* edits,
                    problem_list* problems)
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
            if (line != tsv_header_row("\t")) {
                problems->add("line 1: not the header row of a talkdata TSV export (" +
                              tsv_header_row(", ") + ")");
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
            problems->add("line " + std::to_string(number) + ": " + std::to_string(columns) +
                          (columns == 1 ? " column, not " : " columns, not ") +
                          std::to_string(tsv_columns));
            continue;
        }
        starts[tsv_columns] = line.size() + 1;
        std::string_view cell[tsv_columns];
        for (size_t k = 0; k < tsv_columns; k++)
            cell[k] = line.substr(starts[k], starts[k + 1] - 1 - starts[k]);
        record_edit record;
        record.place = "line " + std::to_string(number);
        record.town = cell_number(cell[0], 0, talk_town_count - 1);
        record.person = cell_number(cell[2], 0, talk_person_count - 1);
        int slot = find_field(std::string(cell[3]));
        if (record.town < 0)
            problems->add(line_place(number, line, 0) + ": town '" +
                          printable_text(std::string(cell[0])) + "' does not exist (0 to " +
                          std::to_string(talk_town_count - 1) + ")");
        if (record.person < 0)
            problems->add(line_place(number, line, starts[2]) + ": person '" +
                          printable_text(std::string(cell[2])) + "' does not exist (0 to " +
                          std::to_string(talk_person_count - 1) + ")");
        if (slot < 0)
            problems->add(line_place(number, line, starts[3]) + ": field '" +
                          printable_text(std::string(cell[3])) + "' does not exist");
        std::string value;
        size_t bad = 0;
        if (!tsv_unescape(cell[4], &value, &bad)) {
            problems->add(line_place(number, line, starts[4] + bad) + ": unknown escape (" +
                          known_escapes() + " are known)");
            continue;
        }
        if (record.town < 0 || record.person < 0 || slot < 0)
            continue;
        if (cell[1] != std::string_view(town_labels[record.town])) {
            problems->add(line_place(number, line, starts[1]) + ": town " +
                          std::to_string(record.town) + " is " + town_labels[record.town] +
                          ", not " + printable_text(std::string(cell[1])));
            continue;
        }
        record.fields.push_back({slot, std::move(value)});
        edits->records.push_back(std::move(record));
    }
}
