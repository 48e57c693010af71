// Kana and their voicing marks: the PC-8801 edition stores a voiced kana
// as the kana followed by a mark of its own (タ゛), other editions as one
// character (ダ).
#pragma once

#include <string>

enum : char32_t {
    voiced_mark = 0x309B,       // ゛
    semi_voiced_mark = 0x309C,  // ゜
};

// The character that a kana and a following mark make, or 0.
char32_t join_voicing_mark(char32_t kana, char32_t mark);

// Splits a voiced or semi-voiced kana into its kana and mark: false for
// any other character.
bool split_voicing_mark(char32_t character, char32_t* kana, char32_t* mark);

// The UTF-8 text with every kana and following mark joined into one
// character.
std::string join_voicing_marks(const std::string& text);
