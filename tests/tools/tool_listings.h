// Records with upper-case English texts, as the DOS and Apple II tools list
// them, and the listings expected of them.
#pragma once

#include <string>

#include "talk_records.h"

// Texts of person p of town t: the name tells the record apart, the job
// holds a line break (line_break: 0x0A for DOS, 0x8D for Apple II).
talk_slot_texts english_texts(int town, int person, char line_break = '\n');

// The listing of the first count records made from english_texts with
// question flag 0 and the given header line.
std::string english_listing(int count, const std::string& header_line);

void make_folder(const std::string& path);
