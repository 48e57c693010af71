// A field's text as the page shows it, cut into words and the white space
// between them: each word as HTML (escapes set off, kana and voicing marks
// joined for reading) and with the key that compare compares it by.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "field_codec.h"

struct text_token {
    std::string html;
    std::string key;  // the word as compare sees it; white space as itself
    bool space;       // the white space between two words
};

// The tokens of a stored text of length bytes (a checked text, without its
// NUL), or of an Apple II keyword field (six bytes) when keyword is set.
std::vector<text_token> text_tokens(const field_codec& codec, const uint8_t* text, size_t length,
                                    bool keyword);

// The HTML of an exported string: its characters escaped for HTML, every
// escape ({7B}) set off in a span of its own, line breaks as <br>.
std::string text_html(const std::string& text);
