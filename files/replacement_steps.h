// The steps that replacing a file is made of, shared by the single
// replacement and the journal of several: for the file layer only.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "file_replacement.h"

int fail_step(file_status* status, file_step step, int error_number);

// A copy of path on the heap, or null.
char* copy_path(const char* path);

// True when anything stands at path (the links followed).
bool target_exists(const char* target);

// True when no file, folder or link, not even a dangling one, holds name.
bool name_is_free(const char* name);

// An existing target must be a regular file that opens for update: a
// device, a pipe or a folder renamed over would vanish unwritten.
bool target_is_replaceable(const char* target, file_status* status);

// Makes a file or folder at name, which must not exist: 0, or -1 with
// errno set (EEXIST where the name is taken).
typedef int (*create_at_name)(const char* name, void* made);
int create_file_at(const char* name, void* made);  // made: FILE**
int create_folder_at(const char* name, void* made);

// Called with each name before it is tried, so that a journal can record
// it first: 0, or -1 with *status set, which ends the search.
typedef int (*announce_name)(const char* name, void* context, file_status* status);

// Makes a new file or folder beside target under the first name of the
// series <target>.new0, .new1, ... that nothing holds, announcing each
// name (announce may be null). 0 with the name in *new_name (release with
// free()), or -1 with *status set.
int create_beside(const char* target, create_at_name create, void* made, announce_name announce,
                  void* context, char** new_name, file_status* status);

// Gives a new file the permission bits of the target before anything is
// written into it.
void restrict_new_file(FILE* file, const char* target);

// Writes size bytes, syncs and closes the file (closed in every case): 0,
// or -1 with *status set. No bytes fail as a write.
int write_and_close(FILE* file, const uint8_t* bytes, size_t size, file_status* status);

// Gives new_name the target's owner and group where the process may, then
// its permissions: 0, or -1 with *status set.
int copy_owner_and_permissions(const char* target, const char* new_name, file_status* status);

// Renames from over to (replacing a file there): 0, or -1 with *status set.
int rename_over(const char* from, const char* to, file_status* status);

// Renames from to the path to, which must be free: never replaces what
// stands there (EEXIST). 0, or -1 with *status set.
int rename_to_free_name(const char* from, const char* to, file_status* status);

// Makes the renames in the folder of path last over a power loss (best
// effort: not every system syncs a folder).
void sync_folder_of(const char* path);
