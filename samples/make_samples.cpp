// Writes invented sample data of every edition into a folder, for the demo
// and for trying the tools: the DOS town files in "dos/", the Apple II image
// "velktown.dsk", the PC-8801 image "velk-towne.d88" and the X68000 image
// "velk-britannia.xdf".
#include <cstdio>
#include <exception>
#include <filesystem>
#include <string>

#include "d88_builder.h"
#include "fat12_builder.h"
#include "sample_japanese.h"
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

// The Japanese texts of a person in an edition's own encoding.
byte_vector japanese_record(talk_edition edition, int town, int person)
{
    talk_slot_texts texts = sample_japanese_texts(town, person);
    for (std::string& text : texts)
        text = edition == talk_edition::pc8801 ? encode_pc8801(text) : encode_x68000(text);
    unsigned char flag = sample_question_flag(town, person);
    return make_talk_record(
        edition,
        {flag, static_cast<unsigned char>(town), static_cast<unsigned char>(person),
         static_cast<unsigned char>(0x80 | flag)},
        texts);
}

void make_pc8801_sample(const std::string& path)
{
    byte_vector buffer = make_talk_buffer(talk_edition::pc8801, [](int town, int person) {
        return japanese_record(talk_edition::pc8801, town, person);
    });
    write_file(path, make_d88_talk_disk(buffer).bytes());
}

void make_x68000_sample(const std::string& path)
{
    write_file(path, make_talk_xdf_image([](int town, int person) {
                   return japanese_record(talk_edition::x68000, town, person);
               }));
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
        make_pc8801_sample(out + "/velk-towne.d88");
        make_x68000_sample(out + "/velk-britannia.xdf");
    } catch (const std::exception& error) {
        printf("make_samples: %s\n", error.what());
        return 1;
    }
    printf("sample data written to %s\n", out.c_str());
    return 0;
}
