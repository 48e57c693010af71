// talkdata compare: two inputs of any editions side by side, one TSV row
// for each record and field whose texts differ once letter case, voicing
// marks and full-width letters and digits are set aside.
#pragma once

#include <cstdio>
#include <string>

#include "exported_records.h"

// The text as compared: kana and marks joined, full-width letters and
// digits as ASCII, ASCII letters in lower case.
std::string comparable_text(const std::string& text);

// Writes the rows of the fields that differ to out and the summary to
// standard error: the number of fields that differ.
int compare_records(const std::vector<exported_record>& a, const std::vector<exported_record>& b,
                    FILE* out);
