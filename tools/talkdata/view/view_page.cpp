#include "view_page.h"

#include <algorithm>
#include <cstring>

#include "kana_marks.h"
#include "record_fields.h"
#include "record_update.h"
#include "storage_messages.h"
#include "text_tokens.h"
#include "word_diff.h"

namespace {

// One input's cell of a field: its words, and with edits what was stored.
struct view_cell {
    std::vector<text_token> tokens;
    std::vector<bool> marked;
    bool edited = false;
    std::string stored_html;  // the stored text of an edited field
};

// One input's column of a record.
struct view_column {
    view_cell cells[talk_slot_count];
    unsigned used = 0;  // bytes of text, NULs included
    unsigned room = 0;
    std::vector<std::string> problems;  // in the import's words
};

// The edits of one record, by slot: the last edit of each field wins.
struct record_edits_view {
    const field_edit* fields[talk_slot_count] = {};
    const record_edit* sources[talk_slot_count] = {};
    std::vector<std::string> twice;  // the import's problems of fields given twice
};

std::string html_text(const std::string& text)
{
    return text_html(printable_text(text));
}

// Fills a column from a stored record and, where given, its edits.
void fill_column(const talk_input& input, int town, int person, const record_edits_view* edits,
                 view_column* column)
{
    const field_codec& codec = edition_codec(input.edition);
    const talk_profile* profile = codec.profile;
    const uint8_t* record = input.record(town, person);
    record_fields fields;
    std::string unused;
    split_record_fields(codec, record, &fields, &unused);  // the input was checked whole
    std::string bytes[talk_slot_count];
    std::vector<std::string> places;
    std::string edited_names;
    for (unsigned slot = 0; slot < talk_slot_count; slot++) {
        view_cell& cell = column->cells[slot];
        const bool keyword = is_keyword_slot(profile, slot);
        bytes[slot].assign(reinterpret_cast<const char*>(record + fields.start[slot]),
                           fields.length[slot]);
        const field_edit* edit = edits != nullptr ? edits->fields[slot] : nullptr;
        std::string encoded;
        encode_failure failure;
        if (edit != nullptr) {
            const std::string place = edits->sources[slot]->place;
            const std::string name = record_name(input, town, person) + " " + field_names[slot];
            if (encode_field_text(codec, slot, edit->text, &encoded, &failure) < 0) {
                // Shown as typed, with why the import refuses it.
                column->problems.push_back(place + ": " + name + ", character " +
                                           std::to_string(failure.character) + ": " +
                                           failure.reason);
                cell.edited = true;
                cell.tokens.push_back({html_text(edit->text), edit->text, false});
            } else if (encoded != bytes[slot]) {
                cell.edited = true;
                if (std::find(places.begin(), places.end(), place) == places.end())
                    places.push_back(place);
                edited_names += (edited_names.empty() ? "" : ", ") + std::string(field_names[slot]);
            }
            if (cell.edited) {
                const std::string stored =
                    text_html(join_voicing_marks(export_field(codec, record, fields, slot)));
                cell.stored_html = stored.empty() ? "(no text)" : stored;
            }
        }
        if (cell.edited && !cell.tokens.empty())
            continue;  // a text that does not encode
        if (cell.edited)
            bytes[slot] = encoded;
        cell.tokens = text_tokens(codec, reinterpret_cast<const uint8_t*>(bytes[slot].data()),
                                  bytes[slot].size(), keyword);
    }
    if (edits != nullptr)
        column->problems.insert(column->problems.end(), edits->twice.begin(), edits->twice.end());
    column->room = profile->text_end - profile->text_offset;
    column->used = packed_text_size(profile, bytes);
    std::string where;
    for (const std::string& place : places)
        where += (where.empty() ? "" : ", ") + place;
    if (column->used > column->room)
        column->problems.push_back((where.empty() ? "" : where + ": ") +
                                   record_name(input, town, person) + " " + edited_names + ": " +
                                   overflow_words(column->used - column->room, column->room));
}

std::vector<std::string> token_keys(const view_cell& cell)
{
    std::vector<std::string> keys;
    for (const text_token& token : cell.tokens)
        keys.push_back(token.key);
    return keys;
}

// Marks the words that differ between two cells, in both: true when some do.
bool mark_cells(view_cell* a, view_cell* b)
{
    std::vector<bool> a_marked, b_marked;
    mark_differing_words(token_keys(*a), token_keys(*b), &a_marked, &b_marked);
    bool any = false;
    for (size_t i = 0; i < a_marked.size(); i++) {
        any = any || a_marked[i];
        a->marked[i] = a->marked[i] || a_marked[i];
    }
    for (size_t i = 0; i < b_marked.size(); i++) {
        any = any || b_marked[i];
        b->marked[i] = b->marked[i] || b_marked[i];
    }
    return any;
}

// The words of a cell, runs of marked ones in one <mark> (with the white
// space between two marked words).
void append_cell_text(std::string* out, const view_cell& cell)
{
    bool open = false;
    for (size_t i = 0; i < cell.tokens.size(); i++) {
        const bool marked =
            cell.marked[i] || (cell.tokens[i].space && i > 0 && i + 1 < cell.tokens.size() &&
                               cell.marked[i - 1] && cell.marked[i + 1]);
        if (marked && !open)
            *out += "<mark>";
        else if (!marked && open)
            *out += "</mark>";
        open = marked;
        // White space that differs by itself is drawn, so that its mark shows.
        const text_token& token = cell.tokens[i];
        if (cell.marked[i] && token.space)
            *out += token.html == "<br>" ? "\xE2\x86\xB5<br>"
                                         : "<span class=\"gap\">" + token.html + "</span>";
        else
            *out += token.html;
    }
    if (open)
        *out += "</mark>";
}

// Records off the screen are laid out only when scrolled to
// (content-visibility), which keeps the page of four inputs quick to open.
const char* const page_style = R"(
body{font:15px/1.45 system-ui,sans-serif;margin:0 1.5em 2em;color:#1b1b1b;background:#fff}
header{border-bottom:1px solid #ccc;margin-bottom:1em}
h1{font-size:1.4em;margin:.6em 0 .3em}
#inputs{margin:.2em 0;padding-left:1.2em}
#summary{margin:.3em 0}
#towns{display:flex;flex-wrap:wrap;gap:.2em .9em;margin:.5em 0}
#filter{font:inherit;width:24em;margin:.3em 0 .8em;padding:.2em .4em}
section{margin:0 0 1.4em;break-inside:avoid;content-visibility:auto;contain-intrinsic-size:auto 420px}
h2{font-size:1.05em;margin:.2em 0}
table{border-collapse:collapse;width:100%;table-layout:fixed}
th,td{border:1px solid #ddd;padding:.15em .4em;vertical-align:top;text-align:left;overflow-wrap:anywhere}
tbody th{width:6.5em;font-weight:normal;color:#555}
thead th{background:#f3f3f3}
thead th:first-child{width:6.5em}
mark{background:#ffe27a;color:inherit}
td.text{white-space:pre-wrap}
.gap{outline:1px dashed #b08900}
.escape{font:.85em ui-monospace,monospace;color:#8a3b00;background:#f6ece4;border-radius:3px;padding:0 .15em}
.edited{background:#eef7ee}
.stored{color:#666;font-size:.9em;border-top:1px dashed #bbb;margin-top:.2em}
.stored::before{content:"stored: "}
.fill td{font-size:.85em;color:#444}
.bar{display:inline-block;width:8em;height:.6em;border:1px solid #999;vertical-align:middle;margin-right:.4em}
.bar span{display:block;height:100%;background:#5b8bd0}
.bar.over span{background:#c8402b}
.problem{color:#a11;margin:.2em 0;font-weight:bold}
@media print{#filter,#towns{display:none}body{margin:0}.bar span{-webkit-print-color-adjust:exact;print-color-adjust:exact}}
)";

// The filter box: shown only when the script runs, so that a page read
// without scripts shows every record and no box that does nothing.
const char* const page_script = R"(
(function () {
  var box = document.getElementById("filter");
  var records = Array.prototype.slice.call(document.querySelectorAll("section.record"));
  var texts = records.map(function (record) {
    return Array.prototype.map.call(record.querySelectorAll("td.text"), function (cell) {
      var text = cell.textContent, stored = cell.querySelector(".stored");
      return stored ? text.slice(0, text.length - stored.textContent.length) : text;
    }).join("\u0000").toLowerCase();
  });
  box.hidden = false;
  box.addEventListener("input", function () {
    var wanted = box.value.toLowerCase();
    records.forEach(function (record, i) {
      record.hidden = wanted !== "" && texts[i].indexOf(wanted) < 0;
    });
  });
})();
)";

std::string input_title(const talk_input& input)
{
    std::string title = std::string(input.edition->title) + ": " + html_text(input.path);
    if (input.edition->has_disks)
        title += ", disk " + std::to_string(input.disk_index);
    return title;
}

void append_fill(std::string* out, const view_column& column)
{
    const unsigned percent = column.used >= column.room ? 100 : column.used * 100 / column.room;
    *out += "<td><span class=\"bar";
    *out += column.used > column.room ? " over" : "";
    *out += "\"><span style=\"width:" + std::to_string(percent) + "%\"></span></span>" +
            std::to_string(column.used) + " of " + std::to_string(column.room) + " bytes</td>";
}

}  // namespace

std::string view_page_html(const std::vector<const talk_input*>& inputs, const edits_file* edits,
                           const std::string& edits_name)
{
    const size_t count = inputs.size();
    // The first input of each one's language, whose words it is compared with.
    std::vector<size_t> base(count);
    for (size_t c = 0; c < count; c++) {
        base[c] = c;
        for (size_t k = 0; k < c && base[c] == c; k++)
            if (strcmp(inputs[k]->edition->language, inputs[c]->edition->language) == 0)
                base[c] = k;
    }
    std::vector<record_edits_view> edited(talk_record_count);
    if (edits != nullptr)
        for (const record_edit& record : edits->records)
            for (const field_edit& field : record.fields) {
                record_edits_view& view =
                    edited[static_cast<size_t>(record.town * talk_person_count + record.person)];
                if (view.fields[field.slot] != nullptr)
                    view.twice.push_back(record.place + ": " +
                                         record_name(*inputs[0], record.town, record.person) + " " +
                                         field_names[field.slot] + ": given twice");
                view.fields[field.slot] = &field;
                view.sources[field.slot] = &record;
            }

    std::string body;
    body.reserve(count * 400 * 1024);
    int differing = 0;
    size_t problems = 0;
    for (int town = 0; town < talk_town_count; town++) {
        for (int person = 0; person < talk_person_count; person++) {
            const size_t index = static_cast<size_t>(town * talk_person_count + person);
            std::vector<view_column> columns(count);
            for (size_t c = 0; c < count; c++) {
                fill_column(*inputs[c], town, person, c == 0 && edits ? &edited[index] : nullptr,
                            &columns[c]);
                for (view_cell& cell : columns[c].cells)
                    cell.marked.assign(cell.tokens.size(), false);
            }
            bool differs = false;
            for (size_t c = 0; c < count; c++)
                if (base[c] != c)
                    for (unsigned slot = 0; slot < talk_slot_count; slot++)
                        differs =
                            mark_cells(&columns[base[c]].cells[slot], &columns[c].cells[slot]) ||
                            differs;
            differing += differs;

            const std::string id =
                "town-" + std::to_string(town) + "-person-" + std::to_string(person);
            body += "<section class=\"record\" id=\"" + id + "\"><h2>" +
                    html_text(town_labels[town]) + ", person " + std::to_string(person) + "</h2>";
            for (const view_column& column : columns)
                for (const std::string& problem : column.problems)
                    body += "<p class=\"problem\">" + html_text(problem) + "</p>";
            problems += columns[0].problems.size();
            body += "<table><thead><tr><th>field</th>";
            for (const talk_input* input : inputs)
                body += "<th>" + input_title(*input) + "</th>";
            body += "</tr></thead><tbody>";
            for (unsigned slot = 0; slot < talk_slot_count; slot++) {
                body += std::string("<tr data-field=\"") + field_names[slot] + "\"><th>" +
                        field_names[slot] + "</th>";
                for (size_t c = 0; c < count; c++) {
                    const view_cell& cell = columns[c].cells[slot];
                    body += cell.edited ? "<td class=\"text edited\"" : "<td class=\"text\"";
                    // A column of the other language says which, for its fonts.
                    body += strcmp(inputs[c]->edition->language, inputs[0]->edition->language)
                                ? std::string(" lang=\"") + inputs[c]->edition->language + "\">"
                                : std::string(">");
                    append_cell_text(&body, cell);
                    if (cell.edited)
                        body += "<div class=\"stored\">" + cell.stored_html + "</div>";
                    body += "</td>";
                }
                body += "</tr>";
            }
            body += "<tr class=\"fill\"><th>bytes</th>";
            for (const view_column& column : columns)
                append_fill(&body, column);
            body += "</tr></tbody></table></section>\n";
        }
    }

    std::string page = "<!DOCTYPE html>\n<html lang=\"";
    page += inputs[0]->edition->language;
    page +=
        "\"><head><meta charset=\"utf-8\"><meta name=\"viewport\" "
        "content=\"width=device-width\"><title>Talk data side by side</title><style>";
    page += page_style;
    page += "</style></head><body><header><h1>Talk data side by side</h1><ul id=\"inputs\">";
    for (const talk_input* input : inputs)
        page += "<li>" + input_title(*input) +
                (edits != nullptr && input == inputs[0]
                     ? ", with the edits of " + html_text(edits_name) + " in its column"
                     : "") +
                "</li>";
    page += "</ul><p id=\"summary\">" + std::to_string(differing) + " of " +
            std::to_string(talk_record_count) +
            " records differ between inputs of one language (marked words)";
    bool pair = false;
    for (size_t c = 0; c < count; c++)
        pair = pair || base[c] != c;
    if (!pair)
        page += ", as no two inputs are of one language";
    if (edits != nullptr)
        page += "; the edits of the first input give " + std::to_string(problems) +
                (problems == 1 ? " problem" : " problems");
    if (edits != nullptr)
        for (const std::string& note : edits->notes)
            page += "; " + html_text(note);
    page += ".</p><nav id=\"towns\">";
    for (int town = 0; town < talk_town_count; town++)
        page += "<a href=\"#town-" + std::to_string(town) + "-person-0\">" +
                html_text(town_labels[town]) + "</a>";
    page +=
        "</nav><input id=\"filter\" type=\"search\" placeholder=\"show the records whose "
        "texts hold...\" aria-label=\"filter\" hidden></header><main>\n";
    page += body;
    page += "</main><script>";
    page += page_script;
    page += "</script></body></html>\n";
    return page;
}
