// Talk data of the X68000 edition for the XDF tests: 256 records whose
// texts mix game codes and Shift-JIS pairs, and the listing they must give,
// written out by hand per record.
#pragma once

#include <string>

#include "test_files.h"

// The record of a town and a person: question flag, town, person, 0x5A, then
// the twelve texts.
byte_vector xdf_talk_record(int town, int person);

// The listing block of that record: heading, header line, twelve fields in
// the flag's order, blank line.
std::string xdf_talk_block(int town, int person);

// The blocks of the first count records in listing order.
std::string xdf_talk_listing(int count = 256);
