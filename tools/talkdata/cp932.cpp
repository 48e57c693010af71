#include "cp932.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "utf8.h"

namespace {

enum { private_use_first = 0xE000, private_use_last = 0xF8FF };

// (character, pair) of every pair that CP932 writes its character with,
// sorted by character.
std::vector<std::pair<char32_t, unsigned>> make_character_pairs()
{
    std::vector<std::pair<char32_t, unsigned>> pairs;
    pairs.reserve(cp932_pair_count);
    for (unsigned index = 0; index < cp932_pair_count; index++) {
        char32_t unit = cp932_pair_units[index];
        unsigned pair = cp932_pair_of_index(index);
        if (unit == 0 || (unit >= private_use_first && unit <= private_use_last) ||
            is_cp932_alternate_pair(pair))
            continue;
        pairs.emplace_back(unit, pair);
    }
    std::sort(pairs.begin(), pairs.end());
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

unsigned cp932_pair_of_character(char32_t character)
{
    static const std::vector<std::pair<char32_t, unsigned>> pairs = make_character_pairs();
    auto found = std::lower_bound(pairs.begin(), pairs.end(), std::make_pair(character, 0u));
    return found != pairs.end() && found->first == character ? found->second : 0;
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
