#include "sample_data.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <stdexcept>
#include <string>

#include "d88_image.h"
#include "fat12_builder.h"
#include "fat12_image.h"
#include "pc8801_edition.h"
#include "sample_japanese.h"
#include "sample_texts.h"
#include "talk_records.h"
#include "x68000_edition.h"
#include "x68000_storage.h"

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
        text = encode_japanese_sample(
            edition == talk_edition::pc8801 ? pc8801_edition : x68000_edition, text);
    unsigned char flag = sample_question_flag(town, person);
    return make_talk_record(
        edition,
        {flag, static_cast<unsigned char>(town), static_cast<unsigned char>(person),
         static_cast<unsigned char>(0x80 | flag)},
        texts);
}

// A blank 2D disk from the library's first preset, its talk sectors
// filled in, and behind it a 2DD disk (512-byte sectors) formatted on its
// first cylinder only, which holds no talk data; written with the library's
// own writer.
void make_pc8801_sample(const std::string& path)
{
    d88_disk* disk = create_d88_disk("TOWNE", 0);
    if (disk == nullptr)
        throw std::runtime_error("cannot create the PC-8801 disk");
    disk->next = create_d88_disk("BLANK", 1);
    if (disk->next == nullptr) {
        free_d88_disk(disk, 1);
        throw std::runtime_error("cannot create the second PC-8801 disk");
    }
    // Only cylinder 0 (slots 0 and 1) keeps its sectors, so that the sample
    // stays small.
    for (int slot = 2; slot < d88_max_tracks; slot++) {
        d88_track& track = disk->next->tracks[slot];
        for (int i = 0; i < track.sector_count; i++)
            free(track.sectors[i].data);
        free(track.sectors);
        track.sectors = nullptr;
        track.sector_count = 0;
    }
    for (d88_track& track : disk->tracks) {
        for (int i = 0; i < track.sector_count; i++) {
            d88_sector& sector = track.sectors[i];
            int town = (sector.cylinder - 0x10) * 2 + sector.head;
            int person = sector.record - 1;
            if (town < 0 || town > 15 || person < 0 || person > 15)
                continue;
            byte_vector record = japanese_record(talk_edition::pc8801, town, person);
            std::copy(record.begin(), record.end(), sector.data);
        }
    }
    d88_image* image = create_d88_image();
    if (image == nullptr) {
        free_d88_disk(disk->next, 1);
        free_d88_disk(disk, 1);
        throw std::runtime_error("cannot create the PC-8801 image");
    }
    image->first_disk = disk;
    image->disk_count = 2;
    int written = write_d88_image_file(image, path.c_str());
    free_d88_image(image, 1);
    if (written < 0)
        throw std::runtime_error("cannot write " + path);
}

// A formatted XDF image in which TALKDATA.BIN's directory entry and chain
// (clusters 2 to 129) are laid out here; its contents are then written
// with the library's own file write, and the image saved with it.
void make_x68000_sample(const std::string& path)
{
    fat12_test_image blank = make_blank_fat12_image(fat12_test_layout::xdf);
    put_fat12_file(blank, 0, "TALKDATABIN", byte_vector(131072, 0), fat12_cluster_run(2, 128));
    write_file(path, blank.bytes);

    byte_vector talk_data = make_talk_buffer(talk_edition::x68000, [](int town, int person) {
        return japanese_record(talk_edition::x68000, town, person);
    });
    fat12_image image = {};
    if (read_fat12_image_file(&image, path.c_str(), 0) < 0)
        throw std::runtime_error("cannot open " + path);
    int written = write_fat12_file(&image, x68000_talk_file_name, talk_data.data(),
                                   static_cast<int>(talk_data.size()), false);
    if (written == 0)
        written = write_fat12_image_file(&image, path.c_str());
    free_fat12_image(&image, false);
    if (written < 0)
        throw std::runtime_error("cannot write " + path);
}

}  // namespace

const char* sample_input(const std::string& edition)
{
    // clang-format off
    static const struct {
        const char* edition;
        const char* input;
    } inputs[] = {
        {"dos",    "dos"},
        {"apple2", "velktown.dsk"},
        {"pc8801", "velk-towne.d88"},
        {"x68000", "velk-britannia.xdf"},
    };
    // clang-format on
    for (const auto& entry : inputs)
        if (edition == entry.edition)
            return entry.input;
    return nullptr;
}

int write_sample_data(const std::string& folder)
{
    try {
        std::filesystem::create_directories(folder);
        make_dos_sample(folder + "/" + sample_input("dos"));
        make_apple2_sample(folder + "/" + sample_input("apple2"));
        make_pc8801_sample(folder + "/" + sample_input("pc8801"));
        make_x68000_sample(folder + "/" + sample_input("x68000"));
    } catch (const std::exception& error) {
        printf("make_samples: %s\n", error.what());
        return -1;
    }
    return 0;
}
