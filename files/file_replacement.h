// Replacing a file without ever destroying it: the new contents go into a
// new file beside the target (with the target's permission bits from the
// start), synced to the disk, and only a complete, closed file is renamed
// over it, with the target's owner and permissions. Only a regular file is
// replaced. A symbolic link at the target stays; the file it names is the
// one replaced. Hard links to the target keep the old contents, as the
// rename gives the path a new file.
//
// Two phases, so that a program can stage several files, every one complete
// before the first is put in place. Each commit is one rename: should a
// later one fail, the files committed before it stay replaced.
#pragma once

#include <cstddef>
#include <cstdint>

#include "whole_file.h"

struct file_replacement {
    char* target;    // the file replaced: the path, or the file its symbolic links name
    char* new_name;  // the new file beside it, written whole and closed
    bool existed;    // the target existed (its permissions and owner are copied)
};

// Resolves path's links, refuses an existing target that is not a regular
// file or does not open for update, writes size bytes into a new file
// beside the target (exclusive create, the first free name of <target>.new0,
// .new1, ...). 0, or -1 with the new file removed and *status set (size 0
// fails as a write).
int stage_file_replacement(const char* path, const uint8_t* bytes, size_t size,
                           file_replacement* replacement, file_status* status);

// Gives the new file the target's owner and group where the process may
// (as root; else the group where it can), and its permissions, then renames it over the target. 0,
// or -1 with the new file removed. Either way the names are released.
int commit_file_replacement(file_replacement* replacement, file_status* status);

// Removes a staged new file that will not be committed, releases the names.
// A record that holds nothing staged (after a failed stage or a commit) is
// left empty.
void abandon_file_replacement(file_replacement* replacement);

// The file that writing to path reaches: path itself, or for a symbolic
// link the path it names, followed link by link (a dangling link gives the
// path it names). A heap copy (release with free()), or null with *status
// set.
char* resolve_target(const char* path, file_status* status);

// stage + commit (+ abandon on failure).
int replace_file(const char* path, const uint8_t* bytes, size_t size, file_status* status);
