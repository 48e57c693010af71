// A D88 disk that another tool made: a freshly formatted 2D disk.
#include <gtest/gtest.h>

#include <cstring>

#include "capture_stdout.h"
#include "d88_test_helpers.h"

namespace {

std::string fixture_path()
{
    std::string dir = shared_fixtures_dir();
    return dir.empty() ? dir : dir + "/formatted-2d.d88";
}

TEST(FormattedDisk, HasEightyTracksOfSixteen256ByteSectors)
{
    std::string path = fixture_path();
    if (path.empty())
        GTEST_SKIP() << "no shared fixtures";
    byte_vector bytes = read_file(path);
    d88_image image = {0, nullptr};
    int result = 0;
    std::string out = capture_stdout([&] { result = read_d88_image_file(&image, path.c_str()); });
    ASSERT_EQ(result, 1);
    EXPECT_EQ(out, "");
    const d88_disk* disk = get_d88_disk(&image, 0);
    EXPECT_EQ(disk->media_type, 0x00);
    EXPECT_EQ(disk->disk_size, static_cast<int32_t>(bytes.size()));

    std::string geometry;
    for (int slot = 0; slot < 164; slot++) {
        const d88_track& track = disk->tracks[slot];
        if (track.sectors == nullptr)
            continue;
        std::string records;
        bool uniform = true;
        for (int i = 0; i < track.sector_count; i++) {
            const d88_sector& s = track.sectors[i];
            records += " " + std::to_string(s.record);
            uniform = uniform && s.cylinder == slot / 2 && s.head == slot % 2 && s.size_code == 1 &&
                      s.data_size == 256;
        }
        geometry += std::to_string(slot) + ":" + records + (uniform ? "\n" : " odd\n");
    }
    std::string expected;
    for (int slot = 0; slot < 80; slot++)
        expected += std::to_string(slot) + ": 1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16\n";
    EXPECT_EQ(geometry, expected);

    // The name fills its 17 bytes and runs on into the reserved bytes.
    EXPECT_EQ(memchr(disk->name, 0, 17), nullptr);
    EXPECT_EQ(std::string(disk->name, 17), std::string(bytes.begin(), bytes.begin() + 17));
    EXPECT_NE(bytes[17], 0);
    free_d88_image(&image, 0);

    // A message names the disk with exactly those 17 bytes.
    byte_vector damaged = bytes;
    damaged[0x1A] = 0x01;
    EXPECT_EQ(read_image_bytes(&image, damaged).out,
              "illegal data: [" + std::string(bytes.begin(), bytes.begin() + 17) +
                  "] write protect flag = 0x01\nread disk 1 error\n");
}

// Its tracks stand in slot order, back to back, behind a 688-byte header,
// so the writer gives back the very same bytes.
TEST(FormattedDisk, IsWrittenBackByteForByte)
{
    std::string path = fixture_path();
    if (path.empty())
        GTEST_SKIP() << "no shared fixtures";
    byte_vector bytes = read_file(path);
    held_image image;
    ASSERT_EQ(read_image_bytes(&image.image, bytes).result, 1);
    captured_write write = write_image_bytes(&image.image);
    EXPECT_EQ(write.result, 0);
    EXPECT_EQ(write.out, "");
    EXPECT_EQ(write.bytes, bytes);
}

}  // namespace
