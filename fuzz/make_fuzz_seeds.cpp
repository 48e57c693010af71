// Writes the seed corpora of the fuzz targets into fuzz/corpus/<target>/:
// small inputs made by the builders of the tests and the sample texts,
// kept in the repository.
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "sample_japanese.h"
#include "sample_texts.h"
#include "talk_records.h"

namespace fs = std::filesystem;

namespace {

void write_seed(const fs::path& folder, const std::string& name, const byte_vector& bytes)
{
    fs::create_directories(folder);
    write_file((folder / name).string(), bytes);
}

byte_vector record_of(talk_edition edition, int town, int person)
{
    unsigned char flag = sample_question_flag(town, person);
    talk_slot_texts texts;
    switch (edition) {
    case talk_edition::dos:
        texts = sample_english_texts(town, person);
        break;
    case talk_edition::apple2:
        texts = sample_apple2_texts(town, person);
        break;
    case talk_edition::pc8801:
    case talk_edition::x68000:
        texts = sample_japanese_texts(town, person);
        for (std::string& text : texts)
            text = edition == talk_edition::pc8801 ? encode_pc8801(text) : encode_x68000(text);
        break;
    }
    return make_talk_record(edition, {flag, 1, 2, 3}, texts);
}

void write_listing_seeds(const fs::path& folder)
{
    const talk_edition editions[4] = {talk_edition::dos, talk_edition::apple2, talk_edition::pc8801,
                                      talk_edition::x68000};
    for (unsigned char which = 0; which < 4; which++) {
        for (unsigned char via_fetch = 0; via_fetch < 2; via_fetch++) {
            byte_vector seed = {static_cast<unsigned char>(which | via_fetch << 2)};
            for (int person = 0; person < 2; person++) {
                byte_vector record = record_of(editions[which], 0, person);
                seed.insert(seed.end(), record.begin(), record.end());
            }
            write_seed(folder, "edition" + std::to_string(which) + "-" + std::to_string(via_fetch),
                       seed);
        }
    }
}

void write_command_line_seeds(const fs::path& folder)
{
    const std::vector<std::string> lines = {
        std::string("-i\0"
                    "1\0"
                    "towne.d88",
                    15),
        std::string("--index\0"
                    "0x7FFFFFFF",
                    18),
        std::string("a\0"
                    "b",
                    3),
        std::string("-?", 2),
        std::string("--help\0"
                    "x",
                    8),
        std::string("-i", 2),
        std::string("-i\0"
                    "-1",
                    5),
        std::string("\0"
                    "-i\0"
                    "010",
                    8),
    };
    int n = 0;
    for (const std::string& line : lines)
        write_seed(folder, "line" + std::to_string(n++), byte_vector(line.begin(), line.end()));
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        printf("usage: make_fuzz_seeds FUZZ-FOLDER\n");
        return 1;
    }
    fs::path corpus = fs::path(argv[1]) / "corpus";
    write_listing_seeds(corpus / "listing");
    write_command_line_seeds(corpus / "command_line");
    printf("seeds written to %s\n", corpus.string().c_str());
    return 0;
}
