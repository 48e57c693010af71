// The records of an input written back into the edition's own storage
// (each edition's entry knows how), every byte that no changed record
// holds kept as it was. An import writes through a journal (the files
// layer's replacement_journal) that it holds from before the input is read
// until every new file is in place: one import at a time per target, and
// after a kill the next run finds the journal and completes or undoes the
// interrupted import, so that the storage is all old or all new.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "record_update.h"
#include "replacement_journal.h"
#include "talk_input.h"

// The journal of the folder an import writes into in place, inside it.
extern const char folder_journal_name[];  // "talkdata.journal"

// Takes the journal of an import into input_path, or when output is not
// empty into that new path, first finishing an import of the same target
// that was interrupted (with a line saying so). The journal, or null after
// the error line (another import writing the target among them).
replacement_journal* claim_import_target(const std::string& input_path, const std::string& output);

// For a dry run: what claim_import_target would meet, changing nothing.
// 0, or -1 after the error line claim_import_target would print.
int check_import_target(const std::string& input_path, const std::string& output);

// For the loaders of folders: finishes an interrupted import into the
// folder (with a line saying so). 0, or -1 after the error line: an
// import is writing the folder now, or the journal cannot be finished.
int finish_interrupted_import(const std::string& folder);

// Stages the changed records through the edition's writer and puts them in
// place. 0, or -1 after the error lines (the storage as it was).
int write_talk_storage(talk_input* input, const std::vector<record_change>& changes,
                       const std::string& output, replacement_journal* journal);

// True when anything (a file, folder or link, even a dangling one) stands
// at path.
bool path_exists(const std::string& path);

// For the editions' writers: stages size bytes as the new file at path, or
// (in_place) in place of the file there. 0, or -1 after the error line.
int stage_storage_file(replacement_journal* journal, const std::string& path, const uint8_t* bytes,
                       size_t size, bool in_place);
