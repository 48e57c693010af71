// The formats of talkdata, one entry each: what export writes, what import
// reads back, and how an edits file tells its format. Each format lives in
// files of its own (text_export.cpp, json_export.cpp, json_edits.cpp, ...);
// --format's choices, the import's detection, --help and the manual page's
// list all come from this table.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "exported_records.h"
#include "problem_list.h"
#include "record_edits.h"

struct talk_format {
    const char* name;  // --format NAME
    const char* help;  // what it is, for --help: "the listing's layout"
    // Writes the records of an export on out, with the records of another
    // input beside them where the format shows them (shows_reference) and
    // one is given; null for a format that is only read.
    void (*write)(const talk_input& input, const std::vector<exported_record>& records,
                  const export_reference* reference, FILE* out);
    bool shows_reference;
    // Its import finds each field by the exported text it holds, which
    // --join-marks would change.
    bool matches_texts;
    // Reads the edits of a file in the format for input, adding every
    // problem (with its line and column where the file tells one), a value
    // that the file holds of the input and that differs from the input's
    // among them; null for a format that is only written.
    void (*read)(const std::string& text, const talk_input& input, edits_file* edits,
                 problem_list* problems);
    // True when an edits file's text (without a byte order mark) is in this
    // format; null for the format of every text that no other claims.
    bool (*claims)(const std::string& text);
};

extern const talk_format talk_formats[];
extern const size_t talk_format_count;

// The format of a name, or null.
const talk_format* find_format(const std::string& name);

// The names of the formats that export writes (exported) or that import
// reads.
std::vector<std::string> format_names(bool exported);

// Reads the edits for input from text in the format that claims it (a byte
// order mark before it is passed over); a text of white space is refused. Every problem is added to
// *problems; the edits are usable when none was added.
void read_edits(const std::string& text, const talk_input& input, edits_file* edits,
                problem_list* problems);
