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

bool next_utf8(const std::string& text, size_t* pos, char32_t* character)
{
    unsigned char lead = static_cast<unsigned char>(text[*pos]);
    size_t extra;
    char32_t c;
    char32_t least;  // the smallest character of that length: no overlong forms
    if (lead < 0x80) {
        ++*pos;
        *character = lead;
        return true;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
        extra = 1, c = lead & 0x1Fu, least = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        extra = 2, c = lead & 0x0Fu, least = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        extra = 3, c = lead & 0x07u, least = 0x10000;
    } else {
        ++*pos;
        return false;
    }
    if (*pos + extra >= text.size()) {  // cut short
        ++*pos;
        return false;
    }
    for (size_t k = 1; k <= extra; k++) {
        unsigned char next = static_cast<unsigned char>(text[*pos + k]);
        if ((next & 0xC0) != 0x80) {
            ++*pos;
            return false;
        }
        c = c << 6 | (next & 0x3Fu);
    }
    if (c < least || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
        ++*pos;
        return false;
    }
    *pos += extra + 1;
    *character = c;
    return true;
}
