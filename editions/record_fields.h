// One talk record split into its twelve fields, with every check of the
// listing core and, when one fails, what failed and where; the fields'
// names as the exports and edits name them.
#pragma once

#include <cstdint>
#include <string>

#include "field_codec.h"

// The field names of the exports, index = display slot.
extern const char* const field_names[talk_slot_count];

// The display slot of a field name, or -1.
int find_field(const std::string& name);

struct record_fields {
    unsigned start[talk_slot_count];   // offset of each field in the record (display slots)
    unsigned length[talk_slot_count];  // its bytes before the NUL (keyword fields: 6)
    unsigned text_end;                 // offset behind the last stored text's NUL
};

// "question flag 7 is not 0 to 6 or 10": the flags the listing takes, made
// from its table. flag is written as given (a decimal or hex text).
std::string question_flag_problem(const std::string& flag);

// True for a slot that a fixed six-byte keyword field fills (Apple II).
bool is_keyword_slot(const talk_profile* profile, unsigned slot);

// Splits and checks a record as the listing core does. 0, or -1 with the
// first failed check in *problem (for example "job: byte 0x09 at offset
// 37 is not a character of the DOS edition").
int split_record_fields(const field_codec& codec, const uint8_t* record, record_fields* fields,
                        std::string* problem);

// The exported string of a field of a split record.
std::string export_field(const field_codec& codec, const uint8_t* record,
                         const record_fields& fields, unsigned slot);

// What the game shows of a field: as the export, but codes that show a
// character appear as it even where the export escapes them.
std::string show_field(const field_codec& codec, const uint8_t* record, const record_fields& fields,
                       unsigned slot);
