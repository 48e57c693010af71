#include "utf8.h"

char* put_utf8(char* out, char32_t c)
{
    if (c < 0x80) {
        *out++ = static_cast<char>(c);
    } else if (c < 0x800) {
        *out++ = static_cast<char>(0xC0 | c >> 6);
        *out++ = static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        *out++ = static_cast<char>(0xE0 | c >> 12);
        *out++ = static_cast<char>(0x80 | (c >> 6 & 0x3F));
        *out++ = static_cast<char>(0x80 | (c & 0x3F));
    } else {
        *out++ = static_cast<char>(0xF0 | c >> 18);
        *out++ = static_cast<char>(0x80 | (c >> 12 & 0x3F));
        *out++ = static_cast<char>(0x80 | (c >> 6 & 0x3F));
        *out++ = static_cast<char>(0x80 | (c & 0x3F));
    }
    return out;
}

void append_utf8(std::string* out, char32_t c)
{
    char bytes[4];
    out->append(bytes, static_cast<size_t>(put_utf8(bytes, c) - bytes));
}

namespace {

// A lead byte of a UTF-8 sequence: the continuation bytes that follow it,
// the bits of the character it holds, and the least character of that
// length (no overlong forms).
struct utf8_lead {
    unsigned char first;
    unsigned char last;
    size_t extra;
    char32_t bits;
    char32_t least;
};

const utf8_lead utf8_leads[] = {
    {0xC2, 0xDF, 1, 0x1F, 0x80},
    {0xE0, 0xEF, 2, 0x0F, 0x800},
    {0xF0, 0xF4, 3, 0x07, 0x10000},
};

}  // namespace

bool next_utf8(const std::string& text, size_t* pos, char32_t* character)
{
    unsigned char lead = static_cast<unsigned char>(text[*pos]);
    if (lead < 0x80) {
        ++*pos;
        *character = lead;
        return true;
    }
    const utf8_lead* form = nullptr;
    for (const utf8_lead& candidate : utf8_leads)
        if (lead >= candidate.first && lead <= candidate.last)
            form = &candidate;
    if (form == nullptr || *pos + form->extra >= text.size()) {  // no lead, or cut short
        ++*pos;
        return false;
    }
    char32_t c = lead & form->bits;
    for (size_t k = 1; k <= form->extra; k++) {
        unsigned char next = static_cast<unsigned char>(text[*pos + k]);
        if ((next & 0xC0) != 0x80) {
            ++*pos;
            return false;
        }
        c = c << 6 | (next & 0x3Fu);
    }
    if (c < form->least || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
        ++*pos;
        return false;
    }
    *pos += form->extra + 1;
    *character = c;
    return true;
}
