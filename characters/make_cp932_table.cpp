// Writes cp932_table.cpp: the character of every Shift-JIS double-byte code
// as the C library's CP932 converter reads it, and the codes that CP932
// writes another way. Run by the cp932_table target; its output is kept in
// the sources so that every build, Windows included, has the same table.
#include <iconv.h>

#include <cstdint>
#include <cstdio>
#include <vector>

#include "cp932.h"

namespace {

// The one UTF-16 unit that bytes convert to with cd, or 0 when they convert
// to nothing or to more than one unit.
uint16_t convert_to_unit(iconv_t cd, const char* bytes, size_t count)
{
    char in[4];
    for (size_t i = 0; i < count; i++)
        in[i] = bytes[i];
    char out[8];
    char* in_at = in;
    char* out_at = out;
    size_t in_left = count;
    size_t out_left = sizeof out;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    if (iconv(cd, &in_at, &in_left, &out_at, &out_left) == static_cast<size_t>(-1) ||
        in_left != 0 || out_left != sizeof out - 2)
        return 0;
    return static_cast<uint16_t>(static_cast<unsigned char>(out[0]) |
                                 static_cast<unsigned char>(out[1]) << 8);
}

// The CP932 bytes of one UTF-16 unit: the pair, or 0 when CP932 writes it
// otherwise (one byte, or not at all).
unsigned convert_to_pair(iconv_t cd, uint16_t unit)
{
    char in[2] = {static_cast<char>(unit & 0xFF), static_cast<char>(unit >> 8)};
    char out[8];
    char* in_at = in;
    char* out_at = out;
    size_t in_left = 2;
    size_t out_left = sizeof out;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    if (iconv(cd, &in_at, &in_left, &out_at, &out_left) == static_cast<size_t>(-1) ||
        out_left != sizeof out - 2)
        return 0;
    return static_cast<unsigned>(static_cast<unsigned char>(out[0]) << 8 |
                                 static_cast<unsigned char>(out[1]));
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        fprintf(stderr, "usage: make_cp932_table OUTPUT.cpp\n");
        return 2;
    }
    iconv_t decode = iconv_open("UTF-16LE", "CP932");
    iconv_t encode = iconv_open("CP932", "UTF-16LE");
    if (decode == reinterpret_cast<iconv_t>(-1) || encode == reinterpret_cast<iconv_t>(-1)) {
        fprintf(stderr, "make_cp932_table: the C library has no CP932 converter\n");
        return 1;
    }
    std::vector<uint16_t> units(cp932_pair_count);
    std::vector<unsigned> alternates;
    for (unsigned index = 0; index < cp932_pair_count; index++) {
        unsigned pair = cp932_pair_of_index(index);
        const char bytes[2] = {static_cast<char>(pair >> 8), static_cast<char>(pair & 0xFF)};
        uint16_t unit = convert_to_unit(decode, bytes, 2);
        units[index] = unit;
        if (unit != 0 && convert_to_pair(encode, unit) != pair)
            alternates.push_back(pair);
    }
    FILE* out = fopen(argv[1], "w");
    if (out == nullptr) {
        perror(argv[1]);
        return 1;
    }
    fprintf(out,
            "// Made by make_cp932_table from the C library's CP932 converter (cmake --build\n"
            "// BUILD --target cp932_table); tests check it against the platform's converter.\n"
            "#include \"cp932.h\"\n\n"
            "// clang-format off\n"
            "const uint16_t cp932_pair_units[cp932_pair_count] = {\n");
    for (unsigned index = 0; index < cp932_pair_count; index++)
        fprintf(out, "%s0x%04X,%s", index % 12 == 0 ? "    " : " ", units[index],
                index % 12 == 11 || index + 1 == cp932_pair_count ? "\n" : "");
    fprintf(out, "};\n\nconst uint16_t cp932_alternate_pairs[] = {\n");
    for (size_t i = 0; i < alternates.size(); i++)
        fprintf(out, "%s0x%04X,%s", i % 12 == 0 ? "    " : " ", alternates[i],
                i % 12 == 11 || i + 1 == alternates.size() ? "\n" : "");
    fprintf(out,
            "};\n// clang-format on\n\nconst unsigned cp932_alternate_count = "
            "sizeof cp932_alternate_pairs / sizeof *cp932_alternate_pairs;\n");
    fclose(out);
    printf("%zu alternates\n", alternates.size());
    return 0;
}
