#include "sample_japanese.h"

#include <stdexcept>

namespace {

// clang-format off
const char* const names[16] = {
    "アルダ", "ブレン", "コーラ", "ダン",   "エッダ", "ファイン", "ギル",   "ヘイル",
    "イネス", "ジョリー", "ケル", "ルーネ", "モット", "ニーラ",   "オリン", "ペル",
};

const char* const looks[16] = {
    "せのたかい はたおり",   "ふとった こなひき",     "しずかな かきて",       "しらがの りょうし",
    "いそがしい りょうりにん", "わかい もんばん",     "としおいた ひつじかい", "ようきな かじや",
    "つかれた にぐるまひき", "ぬけめない しょうにん", "ねむそうな みはり",     "ほこりたかい がらすし",
    "おだやかな いしゃ",     "やせた ろうそくや",     "がっしりした いしく",   "ちいさな いかけや",
};

const char* const trades[16] = {
    "ぬのを おって いる。",       "こなを ひいて いる。",     "ふるい ほんを うつして いる。",
    "あみを つくろって いる。",   "やどの めしを つくる。",   "もんを まもって いる。",
    "ひつじを かって いる。",     "うまに ていてつを うつ。", "たるを はこんで いる。",
    "なんでも うって いる。",     "かべの うえを あるく。",   "まどに がらすを いれる。",
    "びょうにんを みて いる。",   "ろうそくを つくる。",     "いしを つんで いる。",
    "なべを なおして いる。",
};

const char* const keywords[16] = {
    "パン",   "ようもう", "かわ",   "かね",   "ランプ", "いし",   "くすりくさ", "ふね",
    "けん",   "きんか",   "ちず",   "ワイン", "こむぎ", "あみ",   "なわ",       "しお",
};

const char* const replies[16] = {
    "パンやは ひより はやく おきる。",     "よい ようもうは ふゆに うれる。",
    "あめの あとは かわが ふえる。",       "かねは ひるに なる。",
    "ランプの あぶらは にぐるまで くる。", "よい いしは やまから くる。",
    "くすりくさは ひがしの かべぞいに。",   "ふねは ゆうがたまで もどらない。",
    "けんは まいにち てを いれるものだ。", "きんかは 2ど かぞえよ。",
    "ふるい ちずは みちを まちがえる。",   "ここの ワインは うすいが しょうじきだ。",
    "こむぎぐらは もう いっぱいだ。",       "やぶれた あみでは さかなは とれぬ。",
    "よい なわは おもさだけの ねうちが ある。", "しおで にくは ふゆを こせる。",
};

const char* const questions[8] = {
    "あめは すきか?",       "いえは とおいのか?",     "てを かしてくれるか?",
    "わたしの ねこを みたか?", "うたは うたうか?",     "はらが へっているか?",
    "にわを もっているか?",   "こんやは とまっていくか?",
};
// clang-format on

// Code points of a UTF-8 text.
std::u32string code_points(const std::string& utf8)
{
    std::u32string out;
    for (size_t i = 0; i < utf8.size();) {
        unsigned char lead = static_cast<unsigned char>(utf8[i]);
        int extra = lead < 0x80 ? 0 : lead < 0xE0 ? 1 : lead < 0xF0 ? 2 : 3;
        char32_t cp = static_cast<char32_t>(extra == 0 ? lead : lead & (0x3F >> extra));
        for (int k = 1; k <= extra; k++)
            cp = (cp << 6) |
                 (static_cast<unsigned char>(utf8.at(i + static_cast<size_t>(k))) & 0x3F);
        out += cp;
        i += static_cast<size_t>(extra) + 1;
    }
    return out;
}

const std::u32string voiced =
    U"がぎぐげござじずぜぞだぢづでどばびぶべぼガギグゲゴザジズゼゾダヂヅデドバビブベボヴ";
const std::u32string semi_voiced = U"ぱぴぷぺぽパピプペポ";

// The game codes of the kana: each run starts at the code of its first
// character.
const struct {
    unsigned char first;
    const char32_t* kana;
} code_runs[] = {
    {0x86, U"ヲァィゥェォャュョッーアイウエオカキクケコサシスセソ"},
    {0xA1,
     U"。「」、・をぁぃぅぇぉゃゅょっーあいうえおかきくけこさしすせそたちつてとなにぬねの"
     U"はひふへほまみむめもやゆよらりるれろわん゛゜"},
    {0xE0, U"タチツテトナニヌネノハヒフヘホマミムメモヤユヨラリルレロワン"},
};

unsigned char kana_code(char32_t cp)
{
    for (const auto& run : code_runs) {
        std::u32string kana = run.kana;
        size_t at = kana.find(cp);
        if (at != std::u32string::npos)
            return static_cast<unsigned char>(run.first + at);
    }
    throw std::invalid_argument("no game code for a character of the sample texts");
}

// Shift-JIS of a kana or Japanese punctuation character.
std::string shift_jis(char32_t cp)
{
    unsigned code;
    if (cp >= 0x3041 && cp <= 0x3093) {  // hiragana, one run
        code = 0x829F + (cp - 0x3041);
    } else if (cp >= 0x30A1 && cp <= 0x30F6) {  // katakana, around the gap at 0x7F
        unsigned offset = cp - 0x30A1;
        code = 0x8340 + offset + (offset >= 0x3F ? 1 : 0);
    } else {
        const struct {
            char32_t cp;
            unsigned code;
        } others[] = {{0x3000, 0x8140}, {0x3001, 0x8141}, {0x3002, 0x8142},
                      {0x30FB, 0x8145}, {0x309B, 0x814A}, {0x309C, 0x814B},
                      {0x30FC, 0x815B}, {0x300C, 0x8175}, {0x300D, 0x8176}};
        code = 0;
        for (const auto& other : others)
            if (other.cp == cp)
                code = other.code;
        if (code == 0)
            throw std::invalid_argument("no Shift-JIS for a character of the sample texts");
    }
    return {static_cast<char>(code >> 8), static_cast<char>(code & 0xFF)};
}

}  // namespace

std::string encode_pc8801(const std::string& utf8)
{
    std::string out;
    for (char32_t cp : code_points(utf8)) {
        if (cp < 0x7E) {
            out += static_cast<char>(cp);
        } else if (voiced.find(cp) != std::u32string::npos) {
            out += static_cast<char>(kana_code(cp == U'ヴ' ? U'ウ' : cp - 1));
            out += static_cast<char>(kana_code(U'゛'));
        } else if (semi_voiced.find(cp) != std::u32string::npos) {
            out += static_cast<char>(kana_code(cp - 2));
            out += static_cast<char>(kana_code(U'゜'));
        } else {
            out += static_cast<char>(kana_code(cp));
        }
    }
    return out;
}

std::string encode_x68000(const std::string& utf8)
{
    std::string out;
    for (char32_t cp : code_points(utf8))
        out += cp < 0x7E ? std::string(1, static_cast<char>(cp)) : shift_jis(cp);
    return out;
}

talk_slot_texts sample_japanese_texts(int town, int person)
{
    int p = person;
    int mix = (town * 5 + person) % 16;
    std::string job = std::string(trades[p]) + "\n" + std::to_string(3 + (town + person) % 20) +
                      "ねん つづけて いる。";
    return {
        names[p],
        p % 2 == 0 ? "かのじょ" : "かれ",
        looks[(p + town) % 16],
        job,
        (town + p) % 3 == 0 ? "せきが でる。" : "げんきだ。",
        keywords[mix],
        replies[mix],
        keywords[(mix + 7) % 16],
        replies[(mix + 7) % 16],
        questions[(town + 3 * person) % 8],
        "では ともだちだ。",
        "すきに するが いい。",
    };
}
