// The JSON format: one document with the edition, the input, the disk and
// every record with where it lies, its header bytes and its named fields;
// read back as edits.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "exported_records.h"
#include "record_edits.h"

void write_json_export(const talk_input& input, const std::vector<exported_record>& records,
                       FILE* out);

// Reads edits from a JSON document as export writes it, holding any of its
// records and of their fields.
void read_json_edits(const std::string& text, edits_file* edits,
                     std::vector<std::string>* problems);

// True when the first character other than white space is '{' or '['.
bool claims_json(const std::string& text);
