// The texts of a record under an edition's character rule: which bytes
// are valid, where a text ends, and what each byte prints. The rule is
// worked out once per listing into byte tables, so that checking and
// printing cost one table look-up per byte.
#pragma once

#include <cstddef>
#include <cstring>

#include "talk_listing.h"
#include "talk_writer.h"

enum talk_byte_kind : unsigned char {
    talk_byte_invalid,  // makes the record invalid
    talk_byte_end,      // the NUL that ends the text
    talk_byte_lead,     // a Shift-JIS lead byte: a trail byte must follow
    talk_byte_plain,    // a character of its own
    talk_byte_break,    // the line break (valid like a plain byte)
};

enum {
    talk_label_room = 16,  // no label is longer
    talk_glyph_size = 2,   // no character table entry is longer
    // The most that one text byte prints: a line break and its indent.
    talk_text_expansion = 3,
    talk_glyph_room = 3,  // a glyph entry: a table entry, or a break and its indent
};

// What a byte prints under a table rule, in one four-byte entry: printing
// stores the whole entry and moves the cursor by its length. The line
// break's entry holds the break and the next line's indent.
struct talk_glyph {
    unsigned char bytes[talk_glyph_room];
    unsigned char length;  // 0 (nothing) to talk_glyph_room
};
static_assert(sizeof(talk_glyph) == 4, "one four-byte entry per byte value");

// Under a one-byte rule a record's whole text area is classified sixteen
// bytes at a time (SSE2): the bytes a text may hold are a few runs of byte
// values, each kept as a 16-byte row of its first value and one of its
// length less one.
enum { talk_run_limit = 4, talk_block_size = 16 };

struct talk_text_rule {
    const talk_profile* profile;
    unsigned char kind[256];  // talk_byte_kind of each byte value
    bool trail[256];          // valid Shift-JIS trail bytes
    // The runs of the plain and break bytes; none (0) under char_rule_sjis,
    // with more runs than talk_run_limit, or without SSE2.
    unsigned run_count;
    unsigned char run_first[talk_run_limit][talk_block_size];
    unsigned char run_span[talk_run_limit][talk_block_size];
    talk_glyph glyph[256];  // what each byte prints under a table rule
    unsigned char label[talk_slot_count][talk_label_room];  // the labels, padded
    unsigned char label_length[talk_slot_count];
};

void prepare_talk_text_rule(const talk_profile* profile, talk_text_rule* rule);

// Checks the text that starts at pos: the position behind its NUL, or -1
// when a byte is invalid or no NUL lies below the profile's text_end. When
// it fails, *stop (where given) receives the position of the byte that
// failed (an invalid byte, or a Shift-JIS lead byte without its trail), or
// text_end when the text has no NUL.
int scan_talk_text(const talk_text_rule* rule, const unsigned char* record, unsigned pos,
                   unsigned* stop = nullptr);

// Checks the profile's stored texts of a record at once, for a rule with
// runs: nuls[k] is the position of the NUL that ends stored text k. Under
// the rules whose texts print as their bytes, bit k of *unbroken is set
// when that text holds no line break (under the others it stays 0). 0, or
// -1 when a text holds a byte that is no character or has no NUL below
// text_end, as scan_talk_text finds text by text.
int split_talk_record(const talk_text_rule* rule, const unsigned char* record, unsigned* nuls,
                      unsigned* unbroken);

// Appends the label of a slot; the caller has made talk_label_room bytes of
// room.
inline unsigned char* put_talk_label(unsigned char* out, const talk_text_rule* rule, unsigned slot)
{
    memcpy(out, rule->label[slot], talk_label_room);
    return out + rule->label_length[slot];
}

// Appends the length bytes of a text (which hold no NUL) as the listing
// prints them, making room for the whole text first.
unsigned char* write_talk_text(talk_writer* writer, unsigned char* out, const talk_text_rule* rule,
                               const unsigned char* text, size_t length);

// The same where the caller has made room: talk_text_expansion * length + 1
// bytes.
unsigned char* put_talk_text_bytes(unsigned char* out, const talk_text_rule* rule,
                                   const unsigned char* text, size_t length);
