#include "cp932.h"

#include <algorithm>
#include <vector>

#include "utf8.h"

namespace {

enum { private_use_first = 0xE000, private_use_last = 0xF8FF };

// The pair that CP932 writes each character with, by character (all lie
// below 0x10000), 0 for none.
std::vector<uint16_t> make_character_pairs()
{
    std::vector<uint16_t> pairs(0x10000, 0);
    for (unsigned index = 0; index < cp932_pair_count; index++) {
        unsigned pair = cp932_pair_of_index(index);
        char32_t unit = cp932_shown_character(pair >> 8, pair & 0xFF);
        if (unit == 0 || is_cp932_alternate_pair(pair))
            continue;
        pairs[unit] = static_cast<uint16_t>(pair);
    }
    return pairs;
}

}  // namespace

bool is_cp932_alternate_pair(unsigned pair)
{
    return std::binary_search(cp932_alternate_pairs, cp932_alternate_pairs + cp932_alternate_count,
                              pair);
}

char32_t cp932_character(unsigned lead, unsigned trail)
{
    if (!is_sjis_lead_byte(lead) || !is_sjis_trail_byte(trail))
        return 0;
    return cp932_pair_units[cp932_index_of_pair(lead, trail)];
}

char32_t cp932_shown_character(unsigned lead, unsigned trail)
{
    char32_t character = cp932_character(lead, trail);
    return character >= private_use_first && character <= private_use_last ? 0 : character;
}

unsigned cp932_pair_of_character(char32_t character)
{
    static const std::vector<uint16_t> pairs = make_character_pairs();
    return character < pairs.size() ? pairs[character] : 0;
}

std::string cp932_text_to_utf8(const char* text)
{
    std::string out;
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text); *p != 0; p++) {
        if (is_sjis_lead_byte(*p) && p[1] != 0) {
            append_utf8(&out, cp932_character(p[0], p[1]));
            p++;
        } else {
            out += static_cast<char>(*p);
        }
    }
    return out;
}
