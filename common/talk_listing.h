// The talk listing core: walks the 256 talk records of one edition, checks
// each one and prints the common plain-text listing on standard output.
// Everything that differs between the editions lives in a constant
// talk_profile; the engine itself is shared by all four programs.
#pragma once

enum talk_char_rule {
    char_rule_ascii,   // 0x0A and 0x20-0x7E, printed as they are
    char_rule_apple2,  // 0x20-0x60, 0x7B-0x7E and 0x8D, printed as they are
    char_rule_table,   // one-byte game codes looked up in a 256-entry table
    char_rule_sjis,    // game codes below 0x80 (128-entry table), Shift-JIS pairs above
};

enum talk_error_form {
    error_form_town,      // "error: illegal data %s[%d]"
    error_form_location,  // "error: illegal data %02X/%02X/%02X"
};

enum { talk_town_count = 16, talk_person_count = 16 };

// The twelve display slots of a record, in the order they are printed; the
// question block (question, yes, no) moves to where the question flag puts
// it.
enum talk_slot {
    talk_slot_name,
    talk_slot_pronoun,
    talk_slot_look,
    talk_slot_job,
    talk_slot_health,
    talk_slot_keyword1,
    talk_slot_reply1,  // reply to keyword 1
    talk_slot_keyword2,
    talk_slot_reply2,  // reply to keyword 2
    talk_slot_question,
    talk_slot_yes,
    talk_slot_no,
    talk_slot_count
};

// True for the rules whose texts print as their own bytes (DOS, Apple II);
// the others look each code up in a character table.
inline bool talk_rule_prints_bytes(talk_char_rule rule)
{
    return rule == char_rule_ascii || rule == char_rule_apple2;
}

// Under char_rule_sjis the bytes below this are one-byte game codes, looked
// up in a table of as many entries; the others start Shift-JIS pairs.
enum { talk_sjis_table_size = 0x80 };

struct talk_profile {
    unsigned record_size;                   // bytes per record, also the stride in a buffer
    unsigned header_offset;                 // offset of the question flag
    unsigned header_count;                  // header bytes shown in the hex line (3 or 4)
    unsigned text_offset;                   // first byte of the first text
    unsigned text_end;                      // every text's NUL lies below this offset
    unsigned stored_fields;                 // NUL-terminated texts in the record
    unsigned field_order[talk_slot_count];  // display slot of the k-th stored text
    const unsigned* keyword_offsets;        // fixed six-byte fields of the keyword slots, or null
    const char* const* labels;              // talk_slot_count labels
    talk_char_rule char_rule;
    const char* const* char_table;  // entries for char_rule_table / char_rule_sjis, else null
    unsigned char line_break;
    talk_error_form error_form;
};

extern const char* const town_labels[talk_town_count];
extern const char* const field_labels_english[talk_slot_count];
extern const char* const field_labels_japanese[talk_slot_count];

// Character tables: each entry is the Shift-JIS text printed for a game
// code; an empty entry marks a code that makes a record invalid.
extern const char* const talk_char_table_pc8801[256];
extern const char* const talk_char_table_x68000[talk_sjis_table_size];

// The Apple II keyword fields, in the order of the keyword slots: six
// bytes each, the keyword padded with spaces.
inline constexpr unsigned talk_apple2_keyword_offsets[2] = {240, 246};
enum { talk_keyword_size = 6 };
inline constexpr unsigned char talk_keyword_padding = ' ';

// The four edition profiles, constants of this header so that the front
// ends can size their buffers from them.
// Fields in order: record_size, header_offset, header_count, text_offset,
// text_end, stored_fields; field_order; keyword_offsets; labels;
// char_rule, char_table; line_break; error_form.
// clang-format off
inline constexpr talk_profile talk_profile_dos = {
    288, 0,   3, 3, 288, 12,
    {0, 1, 2, 3, 4, 6, 8, 9, 10, 11, 5, 7},
    nullptr,
    field_labels_english,
    char_rule_ascii,  nullptr,
    0x0A,
    error_form_town,
};

inline constexpr talk_profile talk_profile_apple2 = {
    256, 252, 4, 1, 240, 10,
    {0, 1, 2, 3, 4, 6, 8, 9, 10, 11, 0, 0},
    talk_apple2_keyword_offsets,
    field_labels_english,
    char_rule_apple2, nullptr,
    0x8D,
    error_form_town,
};

inline constexpr talk_profile talk_profile_pc8801 = {
    256, 0,   4, 4, 256, 12,
    {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11},
    nullptr,
    field_labels_japanese,
    char_rule_table,  talk_char_table_pc8801,
    0x0A,
    error_form_location,
};

inline constexpr talk_profile talk_profile_x68000 = {
    512, 0,   4, 4, 512, 12,
    {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11},
    nullptr,
    field_labels_japanese,
    char_rule_sjis,   talk_char_table_x68000,
    0x0A,
    error_form_town,
};
// clang-format on

// Where a fetched record lies; the core only names it in its messages.
struct talk_location {
    int cylinder;
    int head;
    int sector;
};

// Record source of the PC-8801 edition: yields the record of a town and a
// person (record_size bytes, valid until print_talk_data returns) or null,
// and fills in the location in both cases.
typedef const unsigned char* (*talk_record_fetch)(void* context, int town, int person,
                                                  talk_location* location);

// Lists all 256 records: 0 when complete, -1 after printing the error line
// of the first record that could not be fetched or failed a check, and -1
// when standard output could not take the whole listing.
// The buffer holds the 256 records back to back, town-major.
int print_talk_data(const talk_profile* profile, const unsigned char* buffer);
int print_talk_data(const talk_profile* profile, talk_record_fetch fetch, void* context);

// The slot after which a record's question block is printed, from its
// question flag; talk_slot_count for an invalid flag (7 to 9, 11 and above).
unsigned talk_question_slot(unsigned flag);

// Validity of one byte under char_rule_ascii or char_rule_apple2.
bool check_talk_char(talk_char_rule rule, unsigned char code);

// Prints one text, from its first byte up to its NUL, under the profile's
// character rule and line-break code.
void print_talk_field(const talk_profile* profile, const unsigned char* text);
