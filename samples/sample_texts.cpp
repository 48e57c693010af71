#include "sample_texts.h"

#include <cctype>

namespace {

// clang-format off
const char* const names[16] = {
    "Alda", "Bren", "Cora", "Dunn", "Edda", "Fane", "Gil",  "Hale",
    "Ines", "Jory", "Kell", "Lune", "Mott", "Nyra", "Orin", "Pell",
};

const char* const looks[16] = {
    "a tall weaver",      "a stout miller",     "a quiet scribe",     "a grey fisher",
    "a busy cook",        "a young guard",      "an old shepherd",    "a cheerful smith",
    "a tired carter",     "a keen trader",      "a sleepy watchman",  "a proud glazier",
    "a calm healer",      "a thin candler",     "a broad mason",      "a small tinker",
};

const char* const trades[16] = {
    "weave cloth",        "grind the grain",    "copy the old books", "mend the nets",
    "cook for the inn",   "guard the gate",     "keep the sheep",     "shoe the horses",
    "haul the barrels",   "sell what I can",    "walk the walls",     "set the windows",
    "tend the sick",      "pour the candles",   "lay the stones",     "fix the pots",
};

// Keywords of at most six letters, so that they fit the fixed fields.
const char* const keywords[16] = {
    "BREAD", "WOOL",  "RIVER", "BELLS", "LAMPS", "STONE", "HERBS", "BOATS",
    "SWORD", "COINS", "MAPS",  "WINE",  "GRAIN", "NETS",  "ROPE",  "SALT",
};

const char* const replies[16] = {
    "The baker rises before the sun.",     "Soft wool sells well in winter.",
    "The river runs high after rain.",     "The bells ring at noon.",
    "Oil for the lamps comes by cart.",    "Good stone comes from the hills.",
    "Herbs grow best by the east wall.",   "The boats are out until dusk.",
    "A sword wants care every day.",       "Count thy coins twice.",
    "Old maps lie about the roads.",       "The wine here is thin but honest.",
    "The grain store is nearly full.",     "Torn nets catch no fish.",
    "Good rope is worth its weight.",      "Salt keeps the meat through winter.",
};

const char* const questions[8] = {
    "Dost thou like the rain?",  "Art thou far from home?",   "Wilt thou help me?",
    "Hast thou seen my cat?",    "Dost thou sing?",           "Art thou hungry?",
    "Dost thou keep a garden?",  "Wilt thou stay the night?",
};
// clang-format on

// The question flags of the listing's question block, cycled over persons.
const unsigned char flags[8] = {0, 1, 2, 3, 4, 5, 6, 10};

}  // namespace

unsigned char sample_question_flag(int town, int person)
{
    return flags[(town + person) % 8];
}

talk_slot_texts sample_english_texts(int town, int person)
{
    int p = person;
    int mix = (town * 5 + person) % 16;
    std::string job = std::string("I ") + trades[p] + ".\nFor " +
                      std::to_string(3 + (town + person) % 20) + " winters now.";
    return {
        names[p],
        p % 2 == 0 ? "She" : "He",
        looks[(p + town) % 16],
        job,
        (town + p) % 3 == 0 ? "A cough troubles me." : "I am well.",
        keywords[mix],
        replies[mix],
        keywords[(mix + 7) % 16],
        replies[(mix + 7) % 16],
        questions[(town + 3 * person) % 8],
        "Then we are friends.",
        "As thou wilt.",
    };
}

talk_slot_texts sample_apple2_texts(int town, int person)
{
    talk_slot_texts texts = sample_english_texts(town, person);
    // A few persons answer otherwise in this edition, so that comparing the
    // two English editions finds real differences.
    const int differing_every = 37;
    if ((town * 16 + person) % differing_every == 0)
        texts[11] = "As you wish.";  // the no text
    for (std::string& text : texts) {
        for (char& c : text) {
            if (c == '\n')
                c = static_cast<char>(0x8D);
            else
                c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
        }
    }
    return texts;
}
