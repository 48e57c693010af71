// talkdata import: edited texts from an EDITS file (JSON, PO or TSV as export
// writes them) written back into an input's storage, all or nothing.
#pragma once

#include <string>

#include "replacement_journal.h"
#include "talk_input.h"

struct import_options {
    std::string edits_path;
    std::string output;  // a new path, or empty with in_place
    bool in_place = false;
    bool dry_run = false;
    replacement_journal* journal = nullptr;  // held for the target unless a dry run
};

// Loads nothing itself: input is loaded, edits_text is the EDITS file, and
// the --output path has passed check_output_path.
// Checks every edit, then writes (unless a dry run) and prints what
// changed. 0, or -1 after listing every problem (nothing written).
int import_edits(talk_input* input, const std::string& edits_text, const import_options& options);

// Reads a whole EDITS file, "-" standard input, a pipe to its end: 0, or -1
// after the error line. A file larger than any export is refused unread.
int read_text_file(const std::string& path, std::string* text);

// The EDITS file as messages name it: "standard input" for "-".
std::string edits_subject(const std::string& path);

// Checks a path for --output (none when empty) as the write will find it:
// nothing stands there, and the folder it goes into is one. 0, or -1 after
// the error line.
int check_output_path(const std::string& output);
