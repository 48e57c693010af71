// Writes invented sample data of every edition into a folder, for the demo
// and for trying the tools: the DOS town files in "dos/" and the Apple II
// image "velktown.dsk".
#include <cstdio>
#include <exception>
#include <filesystem>
#include <string>

#include "sample_texts.h"
#include "talk_records.h"

namespace {

void make_dos_sample(const std::string& folder)
{
    std::filesystem::create_directories(folder);
    write_town_files(folder, make_talk_buffer(talk_edition::dos, [](int town, int person) {
                         unsigned char flag = sample_question_flag(town, person);
                         return make_talk_record(talk_edition::dos,
                                                 {flag, static_cast<unsigned char>(person * 3),
                                                  static_cast<unsigned char>(town)},
                                                 sample_english_texts(town, person));
                     }));
}

void make_apple2_sample(const std::string& path)
{
    byte_vector buffer = make_talk_buffer(talk_edition::apple2, [](int town, int person) {
        unsigned char flag = sample_question_flag(town, person);
        return make_talk_record(
            talk_edition::apple2,
            {flag, static_cast<unsigned char>(town), static_cast<unsigned char>(person), 0x5A},
            sample_apple2_texts(town, person));
    });
    write_file(path, make_dsk_image(buffer));
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        printf("usage: make_samples OUTPUT-FOLDER\n");
        return 1;
    }
    std::string out = argv[1];
    try {
        std::filesystem::create_directories(out);
        make_dos_sample(out + "/dos");
        make_apple2_sample(out + "/velktown.dsk");
    } catch (const std::exception& error) {
        printf("make_samples: %s\n", error.what());
        return 1;
    }
    printf("sample data written to %s\n", out.c_str());
    return 0;
}
