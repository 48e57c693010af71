#include "tool_listings.h"

#include <filesystem>

talk_slot_texts english_texts(int town, int person, char line_break)
{
    std::string name = "NAME " + std::to_string(town) + "." + std::to_string(person);
    return {name,      "HE",   "A FOLK",  std::string("WORK") + line_break + "HARD",
            "WELL",    "KEYA", "REPLY A", "KEYB",
            "REPLY B", "YES?", "GOOD",    "BAD"};
}

std::string english_listing(int count, const std::string& header_line)
{
    std::string all;
    for (int index = 0; index < count; index++) {
        int town = index / 16, person = index % 16;
        all += talk_heading(town, person) + header_line + "\tname:\tNAME " + std::to_string(town) +
               "." + std::to_string(person) +
               "\n"
               "\tpronoun:\tHE\n"
               "\tlook:\tA FOLK\n"
               "\tjob:\tWORK\n"
               "\t\tHARD\n"
               "\thealth:\tWELL\n"
               "\tword1:\tKEYA\n"
               "\t\tREPLY A\n"
               "\tword2:\tKEYB\n"
               "\t\tREPLY B\n"
               "\tquestion:\n"
               "\t\tYES?\n"
               "\tyes:\tGOOD\n"
               "\tno:\tBAD\n"
               "\n";
    }
    return all;
}

void make_folder(const std::string& path)
{
    std::filesystem::create_directories(path);
}
