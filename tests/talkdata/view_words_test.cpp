// The words that the page marks: tokens of stored texts of both languages,
// compared as compare compares them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "edition_table.h"
#include "text_tokens.h"
#include "word_diff.h"

namespace {

struct words_case {
    const char* edition_a;
    const char* text_a;
    const char* edition_b;
    const char* text_b;
    const char* marked_a;  // the tokens' HTML, each marked run in [ ]
    const char* marked_b;
};

// clang-format off
const words_case words_cases[] = {
    {"dos", "As thou wilt.", "apple2", "AS YOU WISH.", "As [thou] [wilt.]", "AS [YOU] [WISH.]"},
    {"dos", "Then we are friends.", "apple2", "THEN WE ARE FRIENDS.", "Then we are friends.", "THEN WE ARE FRIENDS."},
    {"dos", "I mend\nthe nets.", "dos", "I mend the nets.", "I mend[<br>]the nets.", "I mend[ ]the nets."},
    {"dos", "a {7B}b", "dos", "a b", "a [<span class=\"escape\">{7B}</span>b]", "a [b]"},
    {"dos", "", "dos", "Well met.", "", "[Well][ ][met.]"},
    // Kana and voicing marks stored apart or as one, full-width letters and ASCII.
    {"pc8801", "タ゛ルア　ＡＢＣ", "x68000", "ダルア　abc", "ダルア　ＡＢＣ", "ダルア　ａｂｃ"},
    {"pc8801", "あめは　すきか？", "x68000", "あめは　きらいか？", "あめは　[すきか？]", "あめは　[きらいか？]"},
};
// clang-format on

std::vector<text_token> tokens_of(const char* edition, const std::string& text)
{
    const field_codec& codec = edition_codec(find_edition(edition));
    std::string bytes;
    encode_failure failure;
    EXPECT_EQ(encode_talk_text(codec, text, &bytes, &failure), 0) << text << failure.reason;
    return text_tokens(codec, reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), false);
}

std::string shown(const std::vector<text_token>& tokens, const std::vector<bool>& marked)
{
    std::string out;
    for (size_t i = 0; i < tokens.size(); i++)
        out += marked[i] ? "[" + tokens[i].html + "]" : tokens[i].html;
    return out;
}

TEST(ViewWords, MarksTheWordsThatCompareFindsDifferent)
{
    for (const words_case& c : words_cases) {
        SCOPED_TRACE(c.text_a);
        const std::vector<text_token> a = tokens_of(c.edition_a, c.text_a);
        const std::vector<text_token> b = tokens_of(c.edition_b, c.text_b);
        std::vector<std::string> keys_a, keys_b;
        for (const text_token& token : a)
            keys_a.push_back(token.key);
        for (const text_token& token : b)
            keys_b.push_back(token.key);
        std::vector<bool> marked_a, marked_b;
        mark_differing_words(keys_a, keys_b, &marked_a, &marked_b);
        EXPECT_EQ(shown(a, marked_a), c.marked_a);
        EXPECT_EQ(shown(b, marked_b), c.marked_b);
    }
}

}  // namespace
