// The JSON format: one document with the edition, the input, the disk and
// every record with where it lies, its header bytes and its named fields;
// read back as edits.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "exported_records.h"
#include "problem_list.h"
#include "record_edits.h"

void write_json_export(const talk_input& input, const std::vector<exported_record>& records,
                       const export_reference* reference, FILE* out);

// Reads edits for input from a JSON document as export writes it, holding
// any of its records and of their fields. The members an import cannot
// change must hold what the input's export holds, where they are given.
void read_json_edits(const std::string& text, const talk_input& input, edits_file* edits,
                     problem_list* problems);

// A JSON string of UTF-8 text: quotes, backslashes and control characters
// escaped, every other byte as it is.
std::string json_string(const std::string& text);

// A member of an object: its name and its value as JSON text.
struct json_member {
    const char* name;
    std::string value;
};

// The members of a record's "location" as the export writes them, in
// order: the file and offset, the offset in the image, or the cylinder,
// head and sector of its sector.
std::vector<json_member> location_members(const talk_input& input, int town, int person);

// True when the first character other than white space is '{' or '['.
bool claims_json(const std::string& text);
