#include "text_tokens.h"

#include "compare_inputs.h"
#include "kana_marks.h"

namespace {

// The white space that parts words: what the game shows as a space, an
// ideographic space or a line break.
bool is_space(const std::string& shown)
{
    return shown == " " || shown == "\n" || shown == "\xE3\x80\x80";
}

void append_escaped(std::string* out, char c)
{
    switch (c) {
    case '&':
        *out += "&amp;";
        break;
    case '<':
        *out += "&lt;";
        break;
    case '>':
        *out += "&gt;";
        break;
    case '"':
        *out += "&quot;";
        break;
    case '\n':
        *out += "<br>";
        break;
    default:
        *out += c;
    }
}

text_token word_token(const std::string& exact, const std::string& shown)
{
    return {text_html(join_voicing_marks(exact)), comparable_text(shown), false};
}

}  // namespace

std::string text_html(const std::string& text)
{
    std::string out;
    out.reserve(text.size() + 16);
    for (size_t i = 0; i < text.size(); i++) {
        // No character that a text decodes to is an ASCII brace: a brace
        // always opens an escape.
        const size_t end = text[i] == '{' ? text.find('}', i) : std::string::npos;
        if (end == std::string::npos) {
            append_escaped(&out, text[i]);
            continue;
        }
        out += "<span class=\"escape\">";
        for (size_t k = i; k <= end; k++)
            append_escaped(&out, text[k]);
        out += "</span>";
        i = end;
    }
    return out;
}

std::vector<text_token> text_tokens(const field_codec& codec, const uint8_t* text, size_t length,
                                    bool keyword)
{
    std::vector<text_token> tokens;
    if (keyword) {
        // A keyword is one word: it ends at its first space.
        const std::string exact = decode_keyword_field(codec, text);
        if (!exact.empty())
            tokens.push_back(word_token(exact, show_keyword_field(codec, text)));
        return tokens;
    }
    std::string exact, shown;
    for (size_t pos = 0; pos < length;) {
        const size_t size =
            codec.rule.kind[text[pos]] == talk_byte_lead && pos + 1 < length ? 2 : 1;
        const std::string code_shown = show_talk_text(codec, text + pos, size);
        const std::string code_exact = decode_talk_text(codec, text + pos, size);
        pos += size;
        if (!is_space(code_shown)) {
            exact += code_exact;
            shown += code_shown;
            continue;
        }
        if (!exact.empty())
            tokens.push_back(word_token(exact, shown));
        exact.clear();
        shown.clear();
        tokens.push_back({text_html(code_exact), code_shown, true});
    }
    if (!exact.empty())
        tokens.push_back(word_token(exact, shown));
    return tokens;
}
