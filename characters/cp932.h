// Shift-JIS double-byte codes as the CP932 code page reads them (the
// Windows code page of Japanese text, whose extension characters the
// X68000 edition may hold): a generated table of the character of every
// code, and the code that CP932 writes each character with.
#pragma once

#include <cstdint>
#include <string>

enum {
    cp932_lead_count = 60,    // 0x81-0x9F and 0xE0-0xFC
    cp932_trail_count = 188,  // 0x40-0x7E and 0x80-0xFC
    cp932_pair_count = cp932_lead_count * cp932_trail_count,
};

// The character (one UTF-16 unit) of each pair, index as below; 0 for a
// pair that CP932 does not define. Generated (cp932_table.cpp).
extern const uint16_t cp932_pair_units[cp932_pair_count];

// Pairs whose character CP932 writes with another pair (the NEC and IBM
// extensions hold some characters twice), in ascending order.
extern const uint16_t cp932_alternate_pairs[];
extern const unsigned cp932_alternate_count;

inline bool is_sjis_lead_byte(unsigned byte)
{
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

inline bool is_sjis_trail_byte(unsigned byte)
{
    return (byte >= 0x40 && byte <= 0x7E) || (byte >= 0x80 && byte <= 0xFC);
}

// The table index of a pair of a valid lead and trail byte: the lead bytes
// skip 0xA0-0xDF, the trail bytes skip 0x7F.
inline unsigned cp932_index_of_pair(unsigned lead, unsigned trail)
{
    unsigned lead_index = lead < 0xA0 ? lead - 0x81 : lead - 0xC1;
    unsigned trail_index = trail < 0x7F ? trail - 0x40 : trail - 0x41;
    return lead_index * cp932_trail_count + trail_index;
}

// The pair (lead << 8 | trail) at a table index.
inline unsigned cp932_pair_of_index(unsigned index)
{
    unsigned lead = 0x81 + index / cp932_trail_count;
    unsigned trail = 0x40 + index % cp932_trail_count;
    return (lead < 0xA0 ? lead : lead + 0x40) << 8 | (trail < 0x7F ? trail : trail + 1);
}

// True for a pair whose character CP932 writes with another pair.
bool is_cp932_alternate_pair(unsigned pair);

// The character of a pair, or 0.
char32_t cp932_character(unsigned lead, unsigned trail);

// The character of a pair as a text shows it: none (0) for a pair in the
// private-use area, whose characters no font has.
char32_t cp932_shown_character(unsigned lead, unsigned trail);

// The pair that CP932 writes a character with (lead << 8 | trail), or 0 when
// it has none. Private-use characters have none here.
unsigned cp932_pair_of_character(char32_t character);

// A Shift-JIS text of ASCII bytes and defined pairs in UTF-8 (the
// listing's labels).
std::string cp932_text_to_utf8(const char* text);
