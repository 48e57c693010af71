// D88 disks written by the library, seeded: blank disks from the presets
// whose geometry floptool can turn into a raw dump, with some tracks
// replaced by custom sector lists in random record order, every sector
// holding its own random bytes, under a random name and write-protect
// flag. floptool converts each file into a raw dump in cylinder, head and
// record order; the library reads the file back, and the dump built from
// its sector lookups must equal floptool's and the bytes put in.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <random>

#include "capture_stdout.h"
#include "captured_run.h"
#include "d88_image.h"
#include "peer_tools.h"
#include "test_files.h"

namespace {

struct peer_geometry {
    const char* name;
    int preset;  // create_d88_disk preset of this geometry
    int cylinders;
    int heads;
    int sectors;  // per track, records 1 to sectors
    uint8_t size_code;
    const char* format;  // floptool's name of the raw dump
};

// The geometries floptool converts from D88 to a raw dump (tried with
// every preset: the others are refused or come out laid out otherwise).
// clang-format off
const peer_geometry peer_geometries[] = {
    {"TwoD40x16x256",   0, 40, 2, 16, 1, "2d"},
    {"TwoDD80x9x512",   2, 80, 2,  9, 2, "pc"},
    {"TwoHD77x8x1024",  3, 77, 2,  8, 3, "xdf"},
    {"TwoHD80x15x512",  7, 80, 2, 15, 2, "pc"},
};
// clang-format on
static_assert(sizeof peer_geometries / sizeof peer_geometries[0] == 4, "one row per geometry");

using rng_type = std::mt19937;

size_t below(rng_type& rng, size_t n)
{
    return n == 0 ? 0 : rng() % n;
}

void release_sectors(d88_track& track)
{
    for (int i = 0; i < track.sector_count; i++)
        free(track.sectors[i].data);
    free(track.sectors);
    track.sectors = nullptr;
    track.sector_count = 0;
}

struct written_disk {
    byte_vector dump;  // the data put in, cylinder, head and record order
    int custom_tracks = 0;
    std::string failure;
};

// Builds the disk of seed and writes it to path.
written_disk write_random_disk(const peer_geometry& g, unsigned long seed, const std::string& path)
{
    rng_type rng(static_cast<uint32_t>(seed));
    written_disk written;
    char name[17] = {};
    size_t name_length = below(rng, 17);
    for (size_t i = 0; i < name_length; i++)
        name[i] = static_cast<char>(0x21 + below(rng, 0x5E));
    d88_disk* disk = create_d88_disk(name, g.preset);
    if (disk == nullptr) {
        written.failure = "create_d88_disk refused preset " + std::to_string(g.preset);
        return written;
    }
    disk->write_protect = below(rng, 2) == 0 ? 0x00 : 0x10;

    size_t sector_bytes = size_t(128) << g.size_code;
    std::vector<uint8_t> size_codes(size_t(g.sectors), g.size_code);
    for (int c = 0; c < g.cylinders; c++)
        for (int h = 0; h < g.heads; h++) {
            d88_track& track = disk->tracks[c * g.heads + h];
            if (below(rng, 2) == 0) {
                // The same sectors in another order, or in order from a
                // list of size codes alone.
                std::vector<uint8_t> records;
                for (int r = 1; r <= g.sectors; r++)
                    records.push_back(static_cast<uint8_t>(r));
                bool shuffled = below(rng, 4) != 0;
                if (shuffled)
                    std::shuffle(records.begin(), records.end(), rng);
                release_sectors(track);
                track.sectors = create_d88_custom_sectors(
                    static_cast<uint8_t>(c), static_cast<uint8_t>(h),
                    shuffled ? records.data() : nullptr, size_codes.data(), g.sectors, 0x00);
                track.sector_count = track.sectors == nullptr ? 0 : g.sectors;
                written.custom_tracks++;
            }
            for (int i = 0; i < track.sector_count; i++)
                for (int j = 0; j < track.sectors[i].data_size; j++)
                    track.sectors[i].data[j] = static_cast<uint8_t>(rng());
        }

    // The dump in cylinder, head and record order, from the model.
    written.dump.reserve(size_t(g.cylinders * g.heads * g.sectors) * sector_bytes);
    for (int c = 0; c < g.cylinders && written.failure.empty(); c++)
        for (int h = 0; h < g.heads && written.failure.empty(); h++)
            for (int r = 1; r <= g.sectors; r++) {
                const d88_track& track = disk->tracks[c * g.heads + h];
                const d88_sector* sector = nullptr;
                for (int i = 0; i < track.sector_count; i++)
                    if (track.sectors[i].record == r)
                        sector = &track.sectors[i];
                if (sector == nullptr || size_t(sector->data_size) != sector_bytes) {
                    written.failure = "the disk made lacks sector " + std::to_string(c) + "/" +
                                      std::to_string(h) + "/" + std::to_string(r);
                    break;
                }
                written.dump.insert(written.dump.end(), sector->data,
                                    sector->data + sector->data_size);
            }

    int result = 0;
    std::string printed;
    if (written.failure.empty()) {
        if (below(rng, 2) == 0) {
            printed = capture_stdout([&] { result = write_d88_disk_file(disk, path.c_str()); });
        } else {
            d88_image image = {1, disk};
            printed = capture_stdout([&] { result = write_d88_image_file(&image, path.c_str()); });
        }
        if (result != 0 || !printed.empty())
            written.failure = "writing failed: " + printed;
    }
    free_d88_disk(disk, 1);
    return written;
}

// The dump of the file as the library reads it back.
std::string read_back_dump(const peer_geometry& g, const std::string& path, byte_vector& dump)
{
    d88_image image = {0, nullptr};
    int count = 0;
    std::string printed =
        capture_stdout([&] { count = read_d88_image_file(&image, path.c_str()); });
    std::string failure;
    d88_disk* disk = get_d88_disk(&image, 0);
    if (count != 1 || !printed.empty() || disk == nullptr)
        failure = "read_d88_image_file gave " + std::to_string(count) + " disks: " + printed;
    size_t sector_bytes = size_t(128) << g.size_code;
    for (int c = 0; c < g.cylinders && failure.empty(); c++)
        for (int h = 0; h < g.heads && failure.empty(); h++)
            for (int r = 1; r <= g.sectors; r++) {
                const d88_sector* sector = find_d88_sector(disk, c, h, r);
                if (sector == nullptr || sector->size_code != g.size_code ||
                    size_t(sector->data_size) != sector_bytes) {
                    failure = "find_d88_sector finds no sector " + std::to_string(c) + "/" +
                              std::to_string(h) + "/" + std::to_string(r) + " of its size";
                    break;
                }
                dump.insert(dump.end(), sector->data, sector->data + sector->data_size);
            }
    free_d88_image(&image, 0);
    return failure;
}

// The first position where two dumps differ, as cylinder/head/record.
std::string first_difference(const peer_geometry& g, const byte_vector& a, const byte_vector& b)
{
    size_t sector_bytes = size_t(128) << g.size_code;
    size_t at = 0;
    while (at < a.size() && at < b.size() && a[at] == b[at])
        at++;
    size_t sector = at / sector_bytes;
    int r = int(sector % size_t(g.sectors)) + 1;
    int h = int(sector / size_t(g.sectors)) % g.heads;
    int c = int(sector / size_t(g.sectors)) / g.heads;
    return "sizes " + std::to_string(a.size()) + " and " + std::to_string(b.size()) +
           ", first difference at byte " + std::to_string(at) + " (sector " + std::to_string(c) +
           "/" + std::to_string(h) + "/" + std::to_string(r) + ")";
}

class D88Differential : public testing::TestWithParam<int> {};

TEST_P(D88Differential, ReaderFindsWhatFloptoolConverts)
{
    std::string floptool = find_peer_tool("floptool");
    if (floptool.empty())
        GTEST_SKIP() << "floptool (Debian package mame-tools) is not installed; install it to "
                        "compare with another D88 reader";
    const peer_geometry& g = peer_geometries[GetParam()];
    int cases = 0;
    int custom_tracks = 0;
    int failures = 0;
    unsigned long first = static_cast<unsigned long>(first_diff_seed());
    for (unsigned long seed = first; seed < first + static_cast<unsigned long>(d88_diff_cases());
         seed++) {
        if (seed % 4 != static_cast<unsigned long>(GetParam()))
            continue;
        cases++;
        temp_dir dir;
        written_disk written = write_random_disk(g, seed, dir.file("disk.d88"));
        custom_tracks += written.custom_tracks;
        std::string problems = written.failure;
        byte_vector ours;
        if (problems.empty())
            problems = read_back_dump(g, dir.file("disk.d88"), ours);
        if (problems.empty() && ours != written.dump)
            problems = "the library reads back other bytes than were written: " +
                       first_difference(g, ours, written.dump);
        if (problems.empty()) {
            process_result run = run_spawned(
                floptool, {"flopconvert", "d88", g.format, "disk.d88", "disk.raw"}, dir.path());
            if (run.exit_code != 0)
                problems = "floptool failed with exit code " + std::to_string(run.exit_code) +
                           ": " + run.out + run.err;
            else if (byte_vector theirs = read_file(dir.file("disk.raw")); theirs != ours)
                problems = "floptool's dump differs from the library's: " +
                           first_difference(g, theirs, ours);
        }
        if (!problems.empty() && ++failures <= 10)
            ADD_FAILURE() << g.name << " disk, " << replay_hint(seed) << ":\n" << problems;
    }
    printf("%s: %d disks, %d tracks from custom sector lists\n", g.name, cases, custom_tracks);
}

INSTANTIATE_TEST_SUITE_P(Geometries, D88Differential, testing::Values(0, 1, 2, 3),
                         [](const testing::TestParamInfo<int>& row_info) {
                             return std::string(peer_geometries[row_info.param].name);
                         });

}  // namespace
