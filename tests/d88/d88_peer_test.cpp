// Images that the writer makes, read by an independent D88 reader:
// floptool must identify them as D88 and convert a 2D disk into the raw
// dump we expect. Skipped when floptool is not installed.
#include <gtest/gtest.h>

#include <sstream>

#include "capture_stdout.h"
#include "d88_test_helpers.h"
#include "host_programs.h"
#include "run_process.h"

namespace {

#define REQUIRE_FLOPTOOL()                                                               \
    std::string floptool = find_host_program("floptool");                                \
    if (floptool.empty())                                                                \
    GTEST_SKIP() << "floptool (Debian package mame-tools) is not installed; install it " \
                    "to check the written images with another D88 reader"

// Byte j of the sector C/H/R: distinct for every sector and position.
uint8_t pattern_byte(int cylinder, int head, int record, int j)
{
    return static_cast<uint8_t>(cylinder * 7 + head * 101 + record * 29 + j * 3 + (j >> 8));
}

// Records of a track with an interleave of 2: 1, 9, 2, 10, ...
const uint8_t interleaved_records[16] = {1, 9, 2, 10, 3, 11, 4, 12, 5, 13, 6, 14, 7, 15, 8, 16};
const uint8_t size_code_1[16] = {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1};

// Frees a slot's sectors, leaving it without any.
void release_track(d88_track& track)
{
    for (int i = 0; i < track.sector_count; i++)
        free(track.sectors[i].data);
    free(track.sectors);
    track.sectors = nullptr;
}

// A preset-0 disk whose sectors hold their pattern; odd cylinders have
// their records interleaved, as a disk formatted that way stores them.
d88_disk* patterned_2d_disk()
{
    d88_disk* disk = create_d88_disk("PATTERN", 0);
    for (int slot = 0; slot < 80; slot++) {
        int cylinder = slot / 2;
        int head = slot % 2;
        d88_track& track = disk->tracks[slot];
        if (cylinder % 2 == 1) {
            release_track(track);
            track.sectors = create_d88_custom_sectors(static_cast<uint8_t>(cylinder),
                                                      static_cast<uint8_t>(head),
                                                      interleaved_records, size_code_1, 16, 0x00);
        }
        for (int i = 0; i < track.sector_count; i++) {
            d88_sector& sector = track.sectors[i];
            for (int j = 0; j < sector.data_size; j++)
                sector.data[j] = pattern_byte(cylinder, head, sector.record, j);
        }
    }
    return disk;
}

TEST(Floptool, IdentifiesTheImagesWeWrite)
{
    REQUIRE_FLOPTOOL();
    temp_dir dir;
    std::vector<std::string> args = {"identify"};
    std::string expected;
    for (int preset : {0, 1, 3, 7, 9}) {
        std::string name = "preset" + std::to_string(preset) + ".d88";
        d88_disk* disk = create_d88_disk("PEER", preset);
        ASSERT_EQ(write_d88_disk_file(disk, dir.file(name).c_str()), 0);
        free_d88_disk(disk, 1);
        args.push_back(name);
        expected += name + " d88\n";
    }
    // A disk read from a 672-byte header and written back.
    d88_disk_builder short_header;
    short_header.header_size = 672;
    for (int slot = 0; slot < 80; slot++)
        short_header.add_track(
            slot, make_d88_track(static_cast<uint8_t>(slot / 2), static_cast<uint8_t>(slot % 2), 1,
                                 16, 1, 0x4E));
    held_image image;
    ASSERT_EQ(read_image_bytes(&image.image, short_header.bytes()).result, 1);
    ASSERT_EQ(write_d88_image_file(&image.image, dir.file("rewritten.d88").c_str()), 0);
    args.push_back("rewritten.d88");
    expected += "rewritten.d88 d88\n";

    process_result run = run_process(floptool, args, dir.path());
    EXPECT_EQ(run.exit_code, 0);
    EXPECT_EQ(run.err, "");
    // Each file's line, or the following lines of further candidates,
    // must name the format d88.
    std::string found;
    std::stringstream lines(run.out);
    std::string line;
    std::string current;
    std::string seen;
    auto flush = [&] {
        if (!current.empty())
            found += current + (seen.find(" - d88 ") != std::string::npos ? " d88\n" : " none\n");
    };
    while (std::getline(lines, line)) {
        size_t colon = line.find(" : ");
        if (colon != std::string::npos && line[0] != ' ') {
            flush();
            current = line.substr(0, line.find_last_not_of(' ', colon) + 1);
            seen.clear();
        }
        seen += line + "\n";
    }
    flush();
    EXPECT_EQ(found, expected) << run.out;
}

TEST(Floptool, ConvertsA2DDiskIntoTheRawDumpWeExpect)
{
    REQUIRE_FLOPTOOL();
    temp_dir dir;
    d88_disk* disk = patterned_2d_disk();
    ASSERT_EQ(write_d88_disk_file(disk, dir.file("pattern.d88").c_str()), 0);
    free_d88_disk(disk, 1);

    process_result run = run_process(
        floptool, {"flopconvert", "d88", "2d", "pattern.d88", "pattern.2d"}, dir.path());
    EXPECT_EQ(run.exit_code, 0) << run.out << run.err;
    byte_vector expected;
    for (int cylinder = 0; cylinder < 40; cylinder++)
        for (int head = 0; head < 2; head++)
            for (int record = 1; record <= 16; record++)
                for (int j = 0; j < 256; j++)
                    expected.push_back(pattern_byte(cylinder, head, record, j));
    byte_vector dump = read_file(dir.file("pattern.2d"));
    ASSERT_EQ(dump.size(), 327680u);
    EXPECT_TRUE(dump == expected);
}

}  // namespace
