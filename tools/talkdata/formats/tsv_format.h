// The TSV format: a header row and one row per field (town, town_label,
// person, field, text); read back as edits, any of its rows.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "exported_records.h"
#include "problem_list.h"
#include "record_edits.h"

void write_tsv_export(const talk_input& input, const std::vector<exported_record>& records,
                      const export_reference* reference, FILE* out);

// Reads edits from TSV rows as export writes them (the town labels are the
// same in every edition: the input is not needed).
void read_tsv_edits(const std::string& text, const talk_input& input, edits_file* edits,
                    problem_list* problems);

enum { tsv_columns = 5 };

// The names of the columns joined by separator: "town\ttown_label..."
std::string tsv_header_row(const char* separator);

// The escapes of a TSV cell: each byte and the letter that stands for it
// after a backslash.
struct tsv_escape_code {
    char byte;
    char letter;
};
enum { tsv_escape_count = 4 };
extern const tsv_escape_code tsv_escape_codes[tsv_escape_count];

// A text in a TSV cell: backslash, tab, line feed and carriage return
// written as \\, \t, \n and \r.
std::string tsv_escape(const std::string& text);
