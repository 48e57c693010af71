// Runs the listing core on records built by the tests and returns what it
// printed, with the expected headings built independently of the core.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "talk_listing.h"
#include "talk_records.h"

struct listing_run {
    int result;
    std::string out;
};

// print_talk_data over a buffer of 256 records.
listing_run list_buffer(const talk_profile& profile, const byte_vector& buffer);

// print_talk_data through a fetch that serves record for town 0, person 0
// and no record after it, at the location 10/00/(person + 1). A valid
// record therefore prints its block and "error: read sector 10/00/02".
listing_run list_one_record(const talk_profile& profile, const byte_vector& record);

// print_talk_data through a fetch that serves the records of a buffer at
// the PC-8801 locations (cylinder 0x10 + town / 2, head town % 2, sector
// person + 1) and yields none for the record at missing_index (16 * town +
// person), if any. calls, if given, receives the index of every record
// fetched, in order.
listing_run list_fetched(const talk_profile& profile, const byte_vector& buffer,
                         int missing_index = -1, std::vector<int>* calls = nullptr);

// The listing of the first count records of a buffer whose records all
// print body after their heading.
std::string listing_prefix(int count, const std::string& body);

// The label of a town, from the tests' own copy of the town table.
const char* town_label(int town);

// "[town label][person]\n".
std::string heading(int town, int person);

// The whole listing of 256 records that all print body after their heading.
std::string repeated_listing(const std::string& body);

// The labels of the twelve slots, English and Japanese (Shift-JIS).
extern const std::array<std::string, 12> english_labels;
extern const std::array<std::string, 12> japanese_labels;

// The line that ends list_one_record after a valid record.
extern const char* const one_record_end;
