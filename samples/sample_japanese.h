// The Japanese sample texts, and their bytes in either Japanese edition as
// the edition's own codec encodes them: one-byte game codes (voiced kana
// written as the kana and a voicing mark), or Shift-JIS pairs mixed with
// one-byte game codes.
#pragma once

#include <string>

#include "edition_table.h"
#include "talk_records.h"

// The texts of a person in UTF-8, with "\n" for a line break.
talk_slot_texts sample_japanese_texts(int town, int person);

// The bytes of a sample text in the edition (throws std::invalid_argument
// where the edition cannot store it).
std::string encode_japanese_sample(const edition_entry& edition, const std::string& utf8);
