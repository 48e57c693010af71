// The generated CP932 table against the platform's own converter: the C
// library's iconv on Linux, MultiByteToWideChar and WideCharToMultiByte on
// Windows. Every pair must read as the table says, and the platform must
// write every character with the pair the table names for it.
#include "cp932.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>

#ifdef _WIN32
#include <windows.h>
#else
#include <iconv.h>
#endif

namespace {

const unsigned cp932_code_page = 932;

#ifdef _WIN32
// The one UTF-16 unit of a pair, or 0.
uint16_t platform_unit(unsigned pair)
{
    const char bytes[2] = {static_cast<char>(pair >> 8), static_cast<char>(pair & 0xFF)};
    wchar_t units[4];
    int count = MultiByteToWideChar(cp932_code_page, MB_ERR_INVALID_CHARS, bytes, 2, units, 4);
    return count == 1 ? static_cast<uint16_t>(units[0]) : 0;
}

unsigned platform_pair(uint16_t unit)
{
    const wchar_t units[1] = {static_cast<wchar_t>(unit)};
    char bytes[4];
    BOOL defaulted = FALSE;
    int count = WideCharToMultiByte(cp932_code_page, WC_NO_BEST_FIT_CHARS, units, 1, bytes, 4,
                                    nullptr, &defaulted);
    if (count != 2 || defaulted)
        return 0;
    return static_cast<unsigned>(static_cast<unsigned char>(bytes[0]) << 8 |
                                 static_cast<unsigned char>(bytes[1]));
}
#else
uint16_t convert_unit(iconv_t cd, char* in, size_t in_size, char* out, size_t out_size)
{
    char* in_at = in;
    char* out_at = out;
    size_t in_left = in_size, out_left = out_size;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    if (iconv(cd, &in_at, &in_left, &out_at, &out_left) == static_cast<size_t>(-1) ||
        in_left != 0 || out_left != out_size - 2)
        return 0;
    return static_cast<uint16_t>(static_cast<unsigned char>(out[0]) |
                                 static_cast<unsigned char>(out[1]) << 8);
}

uint16_t platform_unit(unsigned pair)
{
    static iconv_t cd = iconv_open("UTF-16LE", "CP932");
    char in[2] = {static_cast<char>(pair >> 8), static_cast<char>(pair & 0xFF)};
    char out[8];
    return convert_unit(cd, in, 2, out, sizeof out);
}

unsigned platform_pair(uint16_t unit)
{
    static iconv_t cd = iconv_open("CP932", "UTF-16LE");
    char in[2] = {static_cast<char>(unit & 0xFF), static_cast<char>(unit >> 8)};
    char out[8];
    uint16_t swapped = convert_unit(cd, in, 2, out, sizeof out);
    return static_cast<unsigned>((swapped & 0xFF) << 8 | swapped >> 8);
}
#endif

TEST(Cp932Table, EveryPairReadsAndIsWrittenAsThePlatformDoes)
{
    int defined = 0;
    for (unsigned index = 0; index < cp932_pair_count; index++) {
        unsigned pair = cp932_pair_of_index(index);
        ASSERT_EQ(cp932_index_of_pair(pair >> 8, pair & 0xFF), index);
        uint16_t unit = cp932_pair_units[index];
        EXPECT_EQ(platform_unit(pair), unit) << std::hex << "pair " << pair;
        if (unit == 0)
            continue;
        defined++;
        bool alternate = std::binary_search(cp932_alternate_pairs,
                                            cp932_alternate_pairs + cp932_alternate_count, pair);
        EXPECT_EQ(platform_pair(unit) == pair, !alternate) << std::hex << "pair " << pair;
    }
    // An empty table would pass the loop: JIS X 0208 alone has 6879 characters.
    EXPECT_GE(defined, 6879);
}

}  // namespace
