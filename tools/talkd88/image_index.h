// The disk index of the -i|--index option.
#pragma once

#include <cstdint>

// Converts text like strtoul in base 0 (0x.. hexadecimal, 0.. octal,
// otherwise decimal). The whole text must be used up and the value must
// lie between 0 and 0x7FFFFFFF. 0 with *index set, or -1 (no message).
int parse_image_index(const char* text, int32_t* index);
