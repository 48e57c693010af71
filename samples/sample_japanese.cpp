#include "sample_japanese.h"

#include <stdexcept>

#include "field_codec.h"

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
    "あめは すきか？",       "いえは とおいのか？",     "てを かしてくれるか？",
    "わたしの ねこを みたか？", "うたは うたうか？",     "はらが へっているか？",
    "にわを もっているか？",   "こんやは とまっていくか？",
};
// clang-format on

}  // namespace

std::string encode_japanese_sample(const edition_entry& edition, const std::string& utf8)
{
    encode_failure failure;
    std::string bytes;
    if (encode_talk_text(edition_codec(&edition), utf8, &bytes, &failure) < 0)
        throw std::invalid_argument("a sample text is no text of the " +
                                    std::string(edition.title) + " edition: " + failure.reason);
    return bytes;
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
