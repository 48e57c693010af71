// Edits of talk records, as an edits file holds them: for each record
// named, new texts of some of its fields and perhaps its header bytes.
// What a file tells of the input besides (its edition, disk, where a
// record lies) is checked by its reader, which has the input.
#pragma once

#include <string>
#include <vector>

struct field_edit {
    int slot;  // the display slot
    std::string text;
};

struct record_edit {
    int town;
    int person;
    std::string place;  // where the edit stands in its file, for messages: "line 12"
    bool has_header = false;
    std::vector<int> header;  // the header bytes, question flag first
    std::vector<field_edit> fields;
};

struct edits_file {
    std::vector<record_edit> records;
    // What the reader passed over, for the import's report: "3 fuzzy entries skipped".
    std::vector<std::string> notes;
};
