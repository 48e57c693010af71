#include "editions.h"

// clang-format off
const edition_info edition_infos[] = {
    // name      title       profile
    {"dos",      "DOS",      &talk_profile_dos},
    {"apple2",   "Apple II", &talk_profile_apple2},
    {"pc8801",   "PC-8801",  &talk_profile_pc8801},
    {"x68000",   "X68000",   &talk_profile_x68000},
};

const char* const field_names[] = {
    "name", "pronoun", "look", "job", "health", "keyword1",
    "reply1", "keyword2", "reply2", "question", "yes", "no",
};
// clang-format on
static_assert(sizeof edition_infos / sizeof *edition_infos == edition_count);
static_assert(sizeof field_names / sizeof *field_names == talk_slot_count);

int find_edition(const std::string& name)
{
    for (int i = 0; i < edition_count; i++)
        if (name == edition_infos[i].name)
            return i;
    return -1;
}

int find_field(const std::string& name)
{
    // The first letters tell most names apart before a whole compare.
    for (int i = 0; i < talk_slot_count; i++)
        if (name[0] == field_names[i][0] && name == field_names[i])
            return i;
    return -1;
}
