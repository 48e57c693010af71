// The records of an input written back into the edition's own storage
// (each edition's entry knows how), every byte that no changed record
// holds kept as it was. Every file is written beside its target and
// replaces it only once it is complete, so that a failure leaves the old
// one untouched.
#pragma once

#include <cstddef>
#include <cstdint>
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

// For the editions' writers: size bytes as the new file at path, or
// (in_place) in place of the file there. 0, or -1 after the error line.
int replace_storage_file(const std::string& path, const uint8_t* bytes, size_t size, bool in_place);
