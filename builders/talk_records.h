// Talk records of the four editions, built byte by byte, and the files and
// images that hold them.
#pragma once

#include <array>
#include <functional>
#include <string>
#include <vector>

#include "byte_files.h"

enum class talk_edition { dos, apple2, pc8801, x68000 };

// The twelve texts in display order: name, pronoun, look, job, health,
// keyword 1, reply 1, keyword 2, reply 2, question, yes, no. The strings
// hold the stored bytes as they are (game codes, Shift-JIS pairs, 0x8D...).
using talk_slot_texts = std::array<std::string, 12>;

struct talk_record_layout {
    size_t record_size;
    size_t header_offset;  // the question flag
    size_t header_count;
    size_t text_offset;
    size_t text_end;
    std::vector<int> stored_slots;  // display slot of each stored text
};

const talk_record_layout& talk_layout(talk_edition edition);

// A valid-looking record: the header bytes (question flag first), the texts
// in the edition's stored order, each followed by a NUL, the rest zero. In
// the Apple II layout keywords 1 and 2 fill the six-byte fields at 240 and
// 246, padded with spaces. Throws when the texts do not fit.
byte_vector make_talk_record(talk_edition edition, const byte_vector& header,
                             const talk_slot_texts& texts);

// A record whose stored texts are placed exactly as given from the first
// text offset, each followed by a NUL, the rest filled with fill; the
// texts may run up to or beyond the end of the texts (cut at the record's
// end), so that invalid records can be made.
byte_vector make_raw_talk_record(talk_edition edition, const byte_vector& header,
                                 const std::vector<std::string>& stored_texts,
                                 unsigned char fill = 0);

// Offset of the NUL that ends the last stored text of a record made from
// these texts.
size_t last_text_nul(talk_edition edition, const talk_slot_texts& texts);

// The 256 records of an edition back to back, town-major.
byte_vector make_talk_buffer(talk_edition edition,
                             const std::function<byte_vector(int town, int person)>& record);

// The town labels of the listing, index = town, and the heading
// "[label][person]\n" that starts each record's block.
const char* talk_town_label(int town);
std::string talk_heading(int town, int person);

// The DOS town file names, index = town.
extern const char* const dos_town_file_names[16];

// Writes the sixteen town files of a 73,728-byte DOS buffer into folder.
void write_town_files(const std::string& folder, const byte_vector& buffer);

// An Apple II image of image_size bytes that starts with the 65,536-byte
// buffer, the rest zero.
byte_vector make_dsk_image(const byte_vector& buffer, size_t image_size = 143360);
