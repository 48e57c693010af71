// UTF-8, the encoding of everything talkdata reads and writes.
#pragma once

#include <cstddef>
#include <string>

// Appends the UTF-8 bytes of a character.
void append_utf8(std::string* out, char32_t character);

// Writes the UTF-8 bytes of a character at out (room for four) and returns
// the position behind them.
char* put_utf8(char* out, char32_t character);

// Decodes the character that starts at *pos and moves *pos behind it.
// False for bytes that are not UTF-8 (*pos then moves by one byte).
bool next_utf8(const std::string& text, size_t* pos, char32_t* character);
