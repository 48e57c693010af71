// Edited texts put into the records of an input, in memory: every field
// encoded under the edition's character rule, the texts of a changed
// record packed back to back from its first text offset, every problem
// found before anything changes.
//
// A record whose fields and header bytes all encode to what it holds keeps
// every byte. A changed record keeps its bytes outside the text area (the
// Apple II keyword fields and header apart, which are written); inside it,
// the bytes behind the last text's NUL become zero.
#pragma once

#include <string>
#include <vector>

#include "problem_list.h"
#include "record_edits.h"
#include "talk_input.h"

struct record_change {
    int town;
    int person;
    std::vector<int> slots;   // the fields whose bytes change, in display order
    bool header = false;      // the header bytes change
    unsigned bytes_free = 0;  // text bytes left free behind the last NUL
};

struct import_plan {
    std::vector<record_change> changes;
    problem_list problems;  // each names the record, field and position
};

// Encodes an edited text into the bytes of its field (an Apple II keyword
// padded to its six bytes, and refused where it goes on after a space): 0,
// or -1 with the failure.
int encode_field_text(const field_codec& codec, unsigned slot, const std::string& text,
                      std::string* bytes, encode_failure* failure);

// The bytes that a record's stored texts take back to back, each with its
// NUL, bytes[slot] being each field's text.
unsigned packed_text_size(const talk_profile* profile, const std::string* bytes);

// "N bytes over the record's M bytes of text": the words of the problem of
// a record whose texts do not fit.
std::string overflow_words(unsigned over, unsigned room);

// Applies the edits to input->records: with no problem, the changed records
// are rebuilt; with any, the records stay as they were. The input must be
// loaded whole (all 256 records present).
void apply_edits(talk_input* input, const edits_file& edits, import_plan* plan);
