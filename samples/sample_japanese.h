// The Japanese sample texts and their two encodings: one-byte game codes
// (voiced kana written as the kana and a voicing mark) and, for the other
// edition, Shift-JIS pairs mixed with one-byte game codes.
#pragma once

#include <string>

#include "talk_records.h"

// The texts of a person in UTF-8, with "\n" for a line break.
talk_slot_texts sample_japanese_texts(int town, int person);

// ASCII stays as its own game code; kana become their game codes.
std::string encode_pc8801(const std::string& utf8);

// ASCII stays as its own game code; kana become Shift-JIS pairs.
std::string encode_x68000(const std::string& utf8);
