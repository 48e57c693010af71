// The EDITS file of talkdata import: a JSON document or TSV rows as
// talkdata export writes them, read into the records and fields it sets.
#pragma once

#include <string>
#include <vector>

#include "editions.h"

struct field_edit {
    int slot;
    std::string text;
};

struct record_edit {
    int town;
    int person;
    bool in_json = false;           // where it stands: a JSON record's index, or a TSV line
    size_t place = 0;
    bool has_header = false;
    std::vector<int> header;        // the header bytes, question flag first
    std::vector<field_edit> fields;
};

struct edits_file {
    std::string edition;  // the "edition" of a JSON document, or empty
    int disk = -1;        // the "disk" of a JSON document, or -1
    std::vector<record_edit> records;
};

// Where an edit stands, for messages: "line 12" or "records[4]".
std::string edit_place(const record_edit& edit);

// Reads the edits from text: JSON when its first character other than
// white space is '{' or '[', else TSV. Every problem is appended to *problems
// (with its line and column where the text is malformed); the edits are
// usable when none was added.
void read_edits(const std::string& text, edits_file* edits, std::vector<std::string>* problems);
