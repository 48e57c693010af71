// Lookups and chain copies stay inside the image's buffer whatever the
// record's fields hold. The buffer lies between two pages that may not be
// touched, so a single byte read or written past either end faults.
#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/mman.h>
#include <unistd.h>

#include <climits>
#include <cstring>
#include <functional>

#include "capture_stdout.h"
#include "fat12_test_util.h"

namespace {

// A copy of bytes whose last byte lies right before a page without access,
// with such a page before the copy too (its first byte is not page-aligned,
// so a read just before it does not fault: the result columns catch that).
class guarded_copy {
public:
    explicit guarded_copy(const byte_vector& bytes)
    {
        size_t page = size_t(sysconf(_SC_PAGESIZE));
        size_t data_pages = (bytes.size() + page - 1) / page * page;
        length_ = page + data_pages + page;
        void* base =
            mmap(nullptr, length_, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (base == MAP_FAILED)
            return;
        base_ = static_cast<unsigned char*>(base);
        if (mprotect(base_, page, PROT_NONE) != 0 ||
            mprotect(base_ + page + data_pages, page, PROT_NONE) != 0)
            return;
        start_ = base_ + page + data_pages - bytes.size();
        memcpy(start_, bytes.data(), bytes.size());
    }
    ~guarded_copy()
    {
        if (base_ != nullptr)
            munmap(base_, length_);
    }
    guarded_copy(const guarded_copy&) = delete;
    guarded_copy& operator=(const guarded_copy&) = delete;
    unsigned char* start() const { return start_; }

private:
    unsigned char* base_ = nullptr;
    unsigned char* start_ = nullptr;
    size_t length_ = 0;
};

TEST(Fat12Bounds, EditedRecordsNeverLeaveTheBuffer)
{
    struct row {
        const char* what;
        std::function<void(fat12_image&)> edit;
        bool found;             // the root directory search still finds F.BIN
        std::string chain_out;  // of reading and of writing the chain; "" for success
        int load;               // load_fat's result: only the FAT's own sectors count
    };
    const std::string no_sector = "can't get sector from cluster 0x2\n";
    // clang-format off
    const row rows[] = {
        {"offset 16 bytes before the end", [](fat12_image& i) { i.offset = i.file_size - 16; },            false, no_sector, -1},
        {"offset 1 MiB before the buffer", [](fat12_image& i) { i.offset = -(1 << 20); },                  false, no_sector, -1},
        {"sectors of 1 MiB",               [](fat12_image& i) { i.bytes_per_sector = 1 << 20; },           false, no_sector, -1},
        {"sectors of 2^31 - 1 bytes",      [](fat12_image& i) { i.bytes_per_sector = INT_MAX; },           false, no_sector, -1},
        {"clusters of no sectors",         [](fat12_image& i) { i.sectors_per_cluster = 0; },              false, no_sector, -1},
        {"data area at sector 2^31 - 2",   [](fat12_image& i) { i.data_start = INT_MAX - 1; },             true,  no_sector, -1},
        {"data area past the end",         [](fat12_image& i) { i.offset = i.file_size - 12 * 512 - 16; }, false, no_sector, -1},
        {"root directory before sector 0", [](fat12_image& i) { i.root_start = -1; },                      false, "",        0},
    };
    // clang-format on
    fat12_test_image built = make_blank_fat12_image(fat12_test_layout::dd8);
    const byte_vector data = fat12_test_bytes(3000, 5);
    put_fat12_file(built, 0, "F       BIN", data, {2, 3, 4});
    temp_dir dir;
    opened_image opened = open_test_image(dir, built.bytes);
    ASSERT_EQ(opened.result, 0);
    for (const row& r : rows) {
        SCOPED_TRACE(r.what);
        guarded_copy guarded(built.bytes);
        ASSERT_NE(guarded.start(), nullptr);
        fat12_image edited = opened.image;
        edited.buffer = guarded.start();
        r.edit(edited);

        const unsigned char* entry = find_dir_entry(&edited, -1, 112, "F       BIN", false);
        EXPECT_EQ(entry != nullptr, r.found);
        byte_vector read(data.size(), 0xAA);
        int read_result = 0, write_result = 0;
        std::string out = capture_stdout([&] {
            read_result = read_fat12_chain(&edited, 2, int(data.size()), read.data());
            write_result = write_fat12_chain(&edited, 2, int(data.size()), data.data());
        });
        int expected_result = r.chain_out.empty() ? 0 : -1;
        EXPECT_EQ(std::vector<int>({read_result, write_result}),
                  std::vector<int>({expected_result, expected_result}));
        EXPECT_EQ(out, r.chain_out + r.chain_out);
        EXPECT_TRUE(read == (r.chain_out.empty() ? data : byte_vector(data.size(), 0xAA)));
        EXPECT_TRUE(byte_vector(guarded.start(), guarded.start() + built.bytes.size()) ==
                    built.bytes);

        edited.fat = nullptr;
        out = capture_stdout([&] { EXPECT_EQ(load_fat(&edited), r.load); });
        EXPECT_EQ(out, "");
        EXPECT_EQ(edited.fat != nullptr, r.load == 0);
        free(edited.fat);
    }
    // A cluster count raised past the decoded FAT reads no entry beyond it.
    fat12_image raised = opened.image;
    raised.cluster_count = 100000;
    EXPECT_EQ(get_fat_entry(&raised, raised.fat_entries), -1);
    EXPECT_EQ(get_fat_entry(&raised, 50000), -1);
    EXPECT_EQ(get_fat_entry(&raised, 3), 4);
    free_fat12_image(&opened.image, false);
}

}  // namespace

#endif
