// Writes the seed corpora of the fuzz targets into fuzz/corpus/<target>/:
// small inputs made by the builders of the tests and the sample texts,
// kept in the repository.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "d88_builder.h"
#include "fat12_builder.h"
#include "pc8801_edition.h"
#include "sample_japanese.h"
#include "sample_texts.h"
#include "talk_records.h"
#include "x68000_edition.h"

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
            text = encode_japanese_sample(
                edition == talk_edition::pc8801 ? pc8801_edition : x68000_edition, text);
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

// Small D88 files: a disk with two tracks (one of them a talk track), the
// same with a 672-byte header, an empty track, and two disks.
void write_d88_seeds(const fs::path& folder)
{
    d88_disk_builder disk;
    disk.name = {'S', 'E', 'E', 'D'};
    d88_track_image talk = make_d88_track(0x10, 0, 1, 2, 1, 0);
    for (int person = 0; person < 2; person++) {
        byte_vector record = record_of(talk_edition::pc8801, 0, person);
        talk[static_cast<size_t>(person)].data = record;
    }
    disk.add_track(0, make_d88_track(0, 0, 1, 3, 0, 0xE5));
    disk.add_track(0x20, talk);
    write_seed(folder, "two-tracks", disk.bytes());

    d88_disk_builder short_header = disk;
    short_header.header_size = 672;
    short_header.body.clear();
    short_header.track_offsets = {};
    short_header.add_track(0, make_d88_track(0, 0, 1, 2, 0, 0x11));
    write_seed(folder, "header-672", short_header.bytes());

    d88_disk_builder empty = disk;
    empty.track_offsets[5] = empty.append(byte_vector(16, 0));
    write_seed(folder, "empty-track", empty.bytes());

    write_seed(folder, "two-disks", d88_file({disk.bytes(), short_header.bytes()}));
}

// FAT12 seeds: the layout byte, then the image from sector 1 up to the
// first clusters: contiguous and fragmented files in the root directory.
void write_fat12_seeds(const fs::path& folder)
{
    const fat12_test_layout layouts[3] = {fat12_test_layout::xdf, fat12_test_layout::dd9,
                                          fat12_test_layout::dd8};
    for (unsigned char which = 0; which < 3; which++) {
        fat12_test_image image = make_blank_fat12_image(layouts[which]);
        const fat12_test_geometry& g = fat12_geometry(layouts[which]);
        size_t cluster_bytes = static_cast<size_t>(g.bytes_per_sector * g.sectors_per_cluster);
        put_fat12_file(image, 0, "TALKDATABIN", fat12_test_bytes(cluster_bytes + 7, which), {2, 3});
        put_fat12_file(image, 3, "frag    txt", fat12_test_bytes(2 * cluster_bytes, 9), {5, 4});
        put_fat12_file(image, 4, "EMPTY      ", {}, {});
        size_t start = static_cast<size_t>(g.bytes_per_sector);
        size_t end = static_cast<size_t>(g.data_start * g.bytes_per_sector) + 4 * cluster_bytes;
        // The layout byte, then the image bytes; opened from a file, the
        // flag byte and the length of the header (16) come first.
        byte_vector seed(1 + end - start);
        seed[0] = which;
        std::copy(image.bytes.begin() + static_cast<long>(start),
                  image.bytes.begin() + static_cast<long>(end), seed.begin() + 1);
        write_seed(folder, "layout" + std::to_string(which), seed);
        byte_vector through_file(2 + end - start);
        through_file[0] = static_cast<unsigned char>(0x80 | which);
        through_file[1] = 16;
        std::copy(seed.begin() + 1, seed.end(), through_file.begin() + 2);
        write_seed(folder, "file-layout" + std::to_string(which), through_file);
    }
}

// Edits for talkdata import: the first byte picks the edition, the rest is
// a TSV or JSON file as an export writes it, with texts of each edition.
void write_import_seeds(const fs::path& folder)
{
    const char* const tsv[4] = {
        "12\tPaws\t3\tjob\tI mend {7B}nets}.\\nNo more.\n0\tCastle of Lord Varnel\t0\tname\tAlda\n",
        "12\tPaws\t3\tkeyword1\tNETS\n12\tPaws\t3\tno\tAS YOU WISH.\n",
        "12\tPaws\t3\tjob\t\xe3\x83\x80\xe3\x83\xb3{60}\\n\xef\xbc\xa1\n",
        "12\tPaws\t3\tjob\t\xe6\xbc\xa2\xe5\xad\x97{8260}\n3\tSerpent's Hold\t5\tyes\tA b\n",
    };
    for (unsigned char which = 0; which < 4; which++) {
        std::string text = std::string(1, static_cast<char>(which)) +
                           "town\ttown_label\tperson\tfield\ttext\n" + tsv[which];
        write_seed(folder, "tsv" + std::to_string(which), byte_vector(text.begin(), text.end()));
    }
    std::string json = std::string(1, '\3') +
                       R"({"edition": "x68000", "records": [{"town": 1, "person": 2, )"
                       R"("header": [3, 0, 0, 0], "fields": {"name": "A", "yes": "\n"}}]})";
    write_seed(folder, "json3", byte_vector(json.begin(), json.end()));
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
    write_d88_seeds(corpus / "d88");
    write_fat12_seeds(corpus / "fat12");
    write_import_seeds(corpus / "import");
    printf("seeds written to %s\n", corpus.string().c_str());
    return 0;
}
