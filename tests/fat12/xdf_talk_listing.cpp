#include "xdf_talk_listing.h"

#include <cstdio>

#include "talk_records.h"

namespace {

const char* const labels[12] = {
    "\t\x96\xBC\x91\x4F:\t",
    "\t\x91\xE3\x96\xBC\x8E\x8C:\t",
    "\t\x8C\xA9\x82\xE9:\t",
    "\t\x8E\x64\x8E\x96:\t",
    "\t\x82\xA9\x82\xE7\x82\xBE:\t",
    "\t\x89\xEF\x98\x62\x31:\t",
    "\t\t",
    "\t\x89\xEF\x98\x62\x32:\t",
    "\t\t",
    "\t\x8E\xBF\x96\xE2:\t",
    "\t\x82\xCD\x82\xA2:\t",
    "\t\x82\xA2\x82\xA2\x82\xA6:\t",
};

// Texts of slots 1 to 11 as stored and as printed: game codes become their
// full-width forms, Shift-JIS pairs stay as they are, 0x0A breaks the line.
struct slot_text {
    const char* stored;
    const char* printed;
};

// clang-format off
const slot_text fixed_texts[12] = {
    {"",                          ""},  // the name is made per record
    {"\x82\xA9\x82\xEA",          "\x82\xA9\x82\xEA"},                          // かれ
    {"Old man~",                  "\x82\x6E\x82\x8C\x82\x84\x81\x40\x82\x8D\x82\x81\x82\x8E\x81\x60"},
    {"\x95\x5C" "[job]",          "\x95\x5C\x81\x6D\x82\x8A\x82\x8F\x82\x82\x81\x6E"},  // 表 with trail 0x5C
    {"OK!",                       "\x82\x6E\x82\x6A\x81\x49"},
    {"\x96\xBC",                  "\x96\xBC"},
    {"A\nB",                      "\x82\x60\n\t\t\x82\x61"},
    {"\x8E\x64",                  "\x8E\x64"},
    {"C\n",                       "\x82\x62\n"},
    {"\"Yes?\"",                  "\x81\x68\x82\x78\x82\x85\x82\x93\x81\x48\x81\x68"},
    {"\x82\xCD\x82\xA2",          "\x82\xCD\x82\xA2"},
    {"'@`",                       "\x81\x66\x81\x97\x81\x97"},
};
// clang-format on

// The question flag of person p, and after which slot its question block
// stands (0 to 8).
const int flags[8] = {0, 1, 2, 3, 4, 5, 6, 10};
const int block_after[8] = {8, 1, 2, 3, 4, 6, 8, 8};

std::string digit_codes(int value)
{
    return std::string(1, static_cast<char>('0' + value / 10)) +
           static_cast<char>('0' + value % 10);
}

std::string digit_print(int value)
{
    return std::string("\x82") + static_cast<char>(0x4F + value / 10) + "\x82" +
           static_cast<char>(0x4F + value % 10);
}

}  // namespace

byte_vector xdf_talk_record(int town, int person)
{
    talk_slot_texts texts;
    texts[0] = "\x82\xA0" + digit_codes(town) + "-" + digit_codes(person);
    for (size_t slot = 1; slot < 12; slot++)
        texts[slot] = fixed_texts[slot].stored;
    byte_vector header = {static_cast<unsigned char>(flags[person % 8]),
                          static_cast<unsigned char>(town), static_cast<unsigned char>(person),
                          0x5A};
    return make_talk_record(talk_edition::x68000, header, texts);
}

std::string xdf_talk_block(int town, int person)
{
    char line[64];
    snprintf(line, sizeof line, "[%s][%d]\n\t\t%02X %02X %02X 5A\n", talk_town_label(town), person,
             flags[person % 8], town, person);
    std::string block = line;
    std::string printed[12];
    printed[0] = "\x82\xA0" + digit_print(town) + "\x81\x7C" + digit_print(person);
    for (int slot = 1; slot < 12; slot++)
        printed[slot] = fixed_texts[slot].printed;
    auto add = [&](int slot) { block += labels[slot] + printed[slot] + "\n"; };
    for (int slot = 0; slot <= 8; slot++) {
        add(slot);
        if (slot == block_after[person % 8]) {
            add(9);
            add(10);
            add(11);
        }
    }
    return block + "\n";
}

std::string xdf_talk_listing(int count)
{
    std::string listing;
    for (int i = 0; i < count; i++)
        listing += xdf_talk_block(i / 16, i % 16);
    return listing;
}
