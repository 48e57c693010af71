// talkdata view: one to four inputs of any editions side by side as one
// self-contained HTML page: a section per record (id town-T-person-P), a
// row per field and a column per input, the words that differ between
// inputs of one language marked, how full each record is, an index of the
// towns and a filter box; with edits, the first input's edited texts in
// place of its stored ones and every record they would overflow named.
#pragma once

#include <string>
#include <vector>

#include "record_edits.h"
#include "talk_input.h"

// The page of the inputs (loaded, and checked in full), the edits (or
// null) of the file edits_name shown in the first one's column.
std::string view_page_html(const std::vector<const talk_input*>& inputs, const edits_file* edits,
                           const std::string& edits_name);
