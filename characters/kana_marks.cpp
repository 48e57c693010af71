#include "kana_marks.h"

#include "utf8.h"

namespace {

// Voiced kana, each one code point above its unvoiced kana (ヴ apart).
const char32_t voiced[] =
    U"がぎぐげござじずぜぞだぢづでどばびぶべぼ"
    U"ガギグゲゴザジズゼゾダヂヅデドバビブベボ";
// Semi-voiced kana, each two code points above its kana.
const char32_t semi_voiced[] = U"ぱぴぷぺぽパピプペポ";

const char32_t katakana_u = U'ウ';
const char32_t katakana_vu = U'ヴ';

bool holds(const char32_t* list, char32_t character)
{
    for (; *list != 0; list++)
        if (*list == character)
            return true;
    return false;
}

}  // namespace

char32_t join_voicing_mark(char32_t kana, char32_t mark)
{
    if (mark == voiced_mark) {
        if (kana == katakana_u)
            return katakana_vu;
        return holds(voiced, kana + 1) ? kana + 1 : 0;
    }
    if (mark == semi_voiced_mark)
        return holds(semi_voiced, kana + 2) ? kana + 2 : 0;
    return 0;
}

bool split_voicing_mark(char32_t character, char32_t* kana, char32_t* mark)
{
    if (character == katakana_vu) {
        *kana = katakana_u;
        *mark = voiced_mark;
    } else if (holds(voiced, character)) {
        *kana = character - 1;
        *mark = voiced_mark;
    } else if (holds(semi_voiced, character)) {
        *kana = character - 2;
        *mark = semi_voiced_mark;
    } else {
        return false;
    }
    return true;
}

std::string join_voicing_marks(const std::string& text)
{
    std::string out;
    out.reserve(text.size());
    size_t pos = 0;
    char32_t held = 0;  // a character not yet written, which a mark may join
    bool holding = false;
    while (pos < text.size()) {
        size_t start = pos;
        char32_t c;
        if (!next_utf8(text, &pos, &c)) {  // not UTF-8: passed on as it is
            if (holding)
                append_utf8(&out, held);
            holding = false;
            out.append(text, start, pos - start);
            continue;
        }
        if (holding) {
            char32_t joined = join_voicing_mark(held, c);
            if (joined != 0) {
                append_utf8(&out, joined);
                holding = false;
                continue;
            }
            append_utf8(&out, held);
        }
        held = c;
        holding = true;
    }
    if (holding)
        append_utf8(&out, held);
    return out;
}
