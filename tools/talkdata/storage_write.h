// The records of an input written back into the edition's own storage,
// every byte that no changed record holds kept as it was:
// - DOS: each town file that changes, replaced safely; with an output
//   path, a new folder holding all sixteen town files;
// - Apple II: the image, its bytes after the talk data kept;
// - PC-8801: the talk sectors of the chosen disk, every other byte of the
//   file as it was: through the D88 writer where it writes the file back
//   as it stands, else written in place in a copy of the file;
// - X68000: TALKDATA.BIN through the FAT12 library's file and image
//   writers.
// Every file is written beside its target and replaces it only once it is
// complete, so that a failure leaves the old one untouched.
#pragma once

#include <string>
#include <vector>

#include "record_update.h"
#include "talk_input.h"

// Writes the changed records (already in input->records) to output, a path
// that does not exist (the caller has checked), or, when output is empty,
// over the input. 0, or -1 after the error lines.
int write_talk_storage(talk_input* input, const std::vector<record_change>& changes,
                       const std::string& output);

// True when anything (a file, folder or link, even a dangling one) stands
// at path.
bool path_exists(const std::string& path);
