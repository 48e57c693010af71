// The label tables of the edition profiles, and the town table.
#include "talk_listing.h"

// clang-format off
const char* const town_labels[] = {
    "Castle of Lord Varnel",  // 0
    "The Lycaeum",            // 1
    "Empath Abbey",           // 2
    "Serpent's Hold",         // 3
    "Moonglow",               // 4
    "Britain",                // 5
    "Jhelom",                 // 6
    "Yew",                    // 7
    "Minoc",                  // 8
    "Trinsic",                // 9
    "Skara Brae",             // 10
    "Magincia",               // 11
    "Paws",                   // 12
    "Buccaneer's Den",        // 13
    "Vesper",                 // 14
    "Cove",                   // 15
};

const char* const field_labels_english[] = {
    "\tname:\t",            // 0 name
    "\tpronoun:\t",         // 1 pronoun
    "\tlook:\t",            // 2 look
    "\tjob:\t",             // 3 job
    "\thealth:\t",          // 4 health
    "\tword1:\t",           // 5 keyword 1
    "\t\t",                 // 6 reply to keyword 1
    "\tword2:\t",           // 7 keyword 2
    "\t\t",                 // 8 reply to keyword 2
    "\tquestion:\n\t\t",    // 9 question
    "\tyes:\t",             // 10 yes text
    "\tno:\t",              // 11 no text
};

// Shift-JIS bytes of the Japanese labels.
const char* const field_labels_japanese[] = {
    "\t\x96\xBC\x91\x4F:\t",          // 0 name
    "\t\x91\xE3\x96\xBC\x8E\x8C:\t",  // 1 pronoun
    "\t\x8C\xA9\x82\xE9:\t",          // 2 look
    "\t\x8E\x64\x8E\x96:\t",          // 3 job
    "\t\x82\xA9\x82\xE7\x82\xBE:\t",  // 4 health
    "\t\x89\xEF\x98\x62" "1:\t",      // 5 keyword 1
    "\t\t",                           // 6 reply to keyword 1
    "\t\x89\xEF\x98\x62" "2:\t",      // 7 keyword 2
    "\t\t",                           // 8 reply to keyword 2
    "\t\x8E\xBF\x96\xE2:\t",          // 9 question
    "\t\x82\xCD\x82\xA2:\t",          // 10 yes text
    "\t\x82\xA2\x82\xA2\x82\xA6:\t",  // 11 no text
};

static_assert(sizeof town_labels / sizeof *town_labels == talk_town_count);
static_assert(sizeof field_labels_english / sizeof *field_labels_english == talk_slot_count);
static_assert(sizeof field_labels_japanese / sizeof *field_labels_japanese == talk_slot_count);
