// The records of an input as the exports write them: walked in listing
// order, checked as the listing checks them, each field as its string.
#pragma once

#include <string>
#include <vector>

#include "talk_input.h"

struct exported_record {
    int town;
    int person;
    std::vector<uint8_t> header;  // the header bytes, question flag first
    std::string fields[talk_slot_count];
    // False for a record whose texts failed their checks: the listing
    // prints its heading and header bytes before its error line, and so
    // does the text export; it holds no fields.
    bool complete = true;
};

// Another input's records, which an export may show beside its own
// (--reference): loaded and checked whole, in the joined form.
struct export_reference {
    const talk_input* input;
    std::vector<exported_record> records;
};

// How a field's bytes become its string.
enum text_form {
    form_exact,   // the lossless export, with escapes
    form_joined,  // the same with kana and voicing marks joined (--join-marks)
    form_shown,   // what the game shows: codes that show a character as that
                  // character, even where the export escapes them (compare)
};

// The records in listing order as far as they pass the listing's checks.
// 0 when all 256 did; -1 after the error line that names the first record
// that could not be read or failed a check.
int export_records(const talk_input& input, text_form form, std::vector<exported_record>* records);

// Checks every record as the listing does: 0, or -1 after the error line
// that names the first record that could not be read or failed a check.
int check_talk_records(const talk_input& input);
