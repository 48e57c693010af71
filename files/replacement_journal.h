// Several files (or one new folder) put in place all or nothing, even when
// the process is killed between two renames. A journal file, locked while
// its process writes, names every new file before the file is made; once
// all are complete and synced it is marked committed, and only then are the
// new files renamed into place. Whoever finds a journal that no process
// holds finishes it: without the mark its new files are removed and every
// target is as it was; with the mark the renames are completed. A journal
// held by another process means a write is under way. Only the files a
// journal names are ever removed.
#pragma once

#include <cstddef>
#include <cstdint>

#include "whole_file.h"

struct replacement_journal;

// What became of a journal that an interrupted process left.
enum journal_outcome {
    journal_none,       // there was none, or its process had staged nothing yet
    journal_undone,     // its new files were removed: every target as it was
    journal_completed,  // its renames were completed: every target replaced
};

// Opens the journal at path for writing, making it where there is none,
// and locks it. A journal left by an interrupted process is finished first
// (*earlier says how). Null with *status set: file_step_busy when another
// process holds the journal, file_step_journal when the file at path is no
// journal (it is left as it is).
replacement_journal* open_replacement_journal(const char* path, journal_outcome* earlier,
                                              file_status* status);

// For a reader: finishes a journal at path that an interrupted process
// left. 0 (*outcome journal_none where there is none, or its process has
// staged nothing yet), or -1 with *status set (file_step_busy: another
// process is putting files in place).
int recover_replacement_journal(const char* path, journal_outcome* outcome, file_status* status);

// What open_replacement_journal would meet at path, changing nothing: 0
// (no journal, or one that an import would finish), or -1 with *status set
// as it would be.
int probe_replacement_journal(const char* path, file_status* status);

// After a staging step fails, nothing more is staged: the journal is
// closed, which removes what it staged.

// Stages size bytes as the new contents of the file at path (its links
// resolved): a regular file, or a free name, which new_path requires (the
// commit then never replaces what stands there meanwhile). Written whole
// and synced into a new file beside it. 0, or -1 with *status set.
int journal_file_replacement(replacement_journal* journal, const char* path, const uint8_t* bytes,
                             size_t size, bool new_path, file_status* status);

// Stages a new folder for the free path: made beside it, for the caller to
// fill with journal_folder_file. Its name (owned by the journal), or null
// with *status set.
const char* journal_new_folder(replacement_journal* journal, const char* path, file_status* status);

// Writes size bytes into a new file of that name (exclusive create, synced)
// in the folder staged last. 0, or -1 with *status set.
int journal_folder_file(replacement_journal* journal, const char* name, const uint8_t* bytes,
                        size_t size, file_status* status);

// Marks the journal committed and puts every staged file in place: over
// its target, or at its free path (which must still be free). 0, or -1 with
// *status set and journal_failed_target naming the target; the files put
// in place before it stay, and the journal is kept for the next process to
// complete.
int commit_replacement_journal(replacement_journal* journal, file_status* status);

// The target of the entry whose staging or commit failed last, or null.
const char* journal_failed_target(const replacement_journal* journal);

// Removes what is staged and not committed, removes the journal (unless a
// commit failed halfway), unlocks it and releases the record.
void close_replacement_journal(replacement_journal* journal);
