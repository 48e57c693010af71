// talkdata as the tests run it: the sample data, the program in a folder,
// TSV rows of edits, and inputs laid out as no writer lays them out.
#pragma once

#include <string>
#include <vector>

#include "byte_files.h"
#include "run_process.h"

// The sample data, made once for all tests of the program (read only).
const std::string& sample_folder();

// Makes the sample data in folder: false when the sample maker failed.
bool make_samples_in(const std::string& folder);

// talkdata with args in cwd (the sample folder when empty).
process_result talkdata(const std::vector<std::string>& args, const std::string& cwd = "");

// The header row of a TSV export, and one row of it.
extern const std::string tsv_header;
std::string tsv_row(int town, int person, const std::string& field, const std::string& text);

// "talkdata: " before every line of lines.
std::string talkdata_lines(const std::string& lines);

// A D88 file of three disks whose second is a Towne disk of the 256 records
// of talk (town-major) laid out unlike the D88 writer: a 672-byte header
// disk before and after it, the talk tracks in reverse order of their
// slots, with gaps of filler bytes before and between them.
byte_vector d88_file_with_gaps(const byte_vector& talk);
