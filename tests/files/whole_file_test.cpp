// Reading a whole file, or its first bytes, with one read: the bytes, or
// the step that failed.
#include "whole_file.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <fstream>

#ifndef _WIN32
#include <signal.h>
#include <unistd.h>
#endif

#include "test_files.h"

namespace {

TEST(WholeFile, ReadsTheFileOrSaysWhichStepFailed)
{
    struct row {
        const char* what;
        const byte_vector* file;  // null: no file
        size_t limit;             // of read_whole_file
        size_t start;             // bytes read_file_start asks for
        file_step whole_failed;
        file_step start_failed;
        int error_number;  // of both reads
    };
    const byte_vector ten = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
    const byte_vector empty;
    // clang-format off
    const row rows[] = {
        {"ten bytes",              &ten,    10,      10, file_step_none,      file_step_none, 0},
        {"ten bytes, start of it", &ten,    1 << 20, 4,  file_step_none,      file_step_none, 0},
        {"one byte over the limit",&ten,    9,       11, file_step_too_large, file_step_read, 0},
        {"empty file",             &empty,  10,      1,  file_step_read,      file_step_read, 0},
        {"no file",                nullptr, 10,      1,  file_step_open,      file_step_open, ENOENT},
    };
    // clang-format on
    for (const row& r : rows) {
        SCOPED_TRACE(r.what);
        temp_dir dir;
        std::string path = dir.file("f");
        if (r.file != nullptr)
            write_file(path, *r.file);
        uint8_t* bytes = reinterpret_cast<uint8_t*>(&dir);
        size_t size = 99;
        file_status whole = {file_step_write, -9};
        EXPECT_EQ(read_whole_file(path.c_str(), r.limit, &bytes, &size, &whole),
                  r.whole_failed == file_step_none ? 0 : -1);
        EXPECT_EQ(std::vector<int>({whole.failed, whole.error_number}),
                  std::vector<int>({r.whole_failed, r.error_number}));
        byte_vector whole_bytes =
            bytes == nullptr ? byte_vector() : byte_vector(bytes, bytes + size);
        EXPECT_EQ(whole_bytes, r.whole_failed == file_step_none ? *r.file : byte_vector());
        EXPECT_EQ(bytes == nullptr, r.whole_failed != file_step_none);
        free(bytes);

        mapped_file mapped = {reinterpret_cast<uint8_t*>(&dir), 99, true};
        file_status map_status = {file_step_write, -9};
        EXPECT_EQ(map_whole_file(path.c_str(), r.limit, &mapped, &map_status),
                  r.whole_failed == file_step_none ? 0 : -1);
        EXPECT_EQ(std::vector<int>({map_status.failed, map_status.error_number}),
                  std::vector<int>({r.whole_failed, r.error_number}));
        byte_vector mapped_bytes = mapped.bytes == nullptr
                                       ? byte_vector()
                                       : byte_vector(mapped.bytes, mapped.bytes + mapped.size);
        EXPECT_EQ(mapped_bytes, whole_bytes);
        EXPECT_FALSE(mapped_file_was_cut(&mapped));
        unmap_whole_file(&mapped);

        byte_vector start(r.start, 0xAA);
        file_status first = {file_step_write, -9};
        EXPECT_EQ(read_file_start(path.c_str(), start.data(), start.size(), &first),
                  r.start_failed == file_step_none ? 0 : -1);
        EXPECT_EQ(std::vector<int>({first.failed, first.error_number}),
                  std::vector<int>({r.start_failed, r.error_number}));
        if (r.start_failed == file_step_none) {
            EXPECT_EQ(start, byte_vector(r.file->begin(), r.file->begin() + long(r.start)));
        }
    }
}

TEST(WholeFile, HugePageAndPlainBuffersHoldTheSameBytes)
{
    // A file past the huge-page minimum, read into a buffer on huge pages
    // (minimum 0 or its size) and into a plain one (minimum above it).
    byte_vector file(file_huge_page_minimum + 3);
    for (size_t i = 0; i < file.size(); i++)
        file[i] = static_cast<uint8_t>(i * 7 + i / 251);
    temp_dir dir;
    std::string path = dir.file("big");
    write_file(path, file);
    for (size_t minimum : {size_t{0}, file.size(), file.size() + 1, SIZE_MAX}) {
        SCOPED_TRACE(minimum);
        uint8_t* bytes = nullptr;
        size_t size = 0;
        file_status status = {file_step_write, -9};
        ASSERT_EQ(read_whole_file(path.c_str(), SIZE_MAX, minimum, &bytes, &size, &status), 0);
        EXPECT_EQ(byte_vector(bytes, bytes + size), file);
        free(bytes);
    }
}

#ifndef _WIN32
TEST(WholeFile, AFileShorterThanItsSizeIsAShortRead)
{
    // A sysfs attribute tells the size of a page and holds a few bytes: a
    // file that shrank between the size and the read.
    const char* path = "/sys/devices/system/cpu/online";
    if (!std::ifstream(path))
        GTEST_SKIP() << path << " is missing";
    uint8_t* bytes = nullptr;
    size_t size = 99;
    file_status status = {file_step_write, -9};
    EXPECT_EQ(read_whole_file(path, SIZE_MAX, &bytes, &size, &status), -1);
    EXPECT_EQ(std::vector<int>({status.failed, status.error_number}),
              std::vector<int>({file_step_read, 0}));
    EXPECT_EQ(bytes, nullptr);
    mapped_file mapped;
    EXPECT_EQ(map_whole_file(path, SIZE_MAX, &mapped, &status), -1);
    EXPECT_EQ(std::vector<int>({status.failed, status.error_number}),
              std::vector<int>({file_step_read, 0}));
}

TEST(WholeFile, AMappedFileCutShorterReadsAsZerosAndSaysSo)
{
    const size_t page = static_cast<size_t>(sysconf(_SC_PAGESIZE));
    byte_vector file(3 * page, 0x5A);
    temp_dir dir;
    std::string path = dir.file("image");
    write_file(path, file);
    struct sigaction before;
    ASSERT_EQ(sigaction(SIGBUS, nullptr, &before), 0);
    mapped_file mapped;
    file_status status;
    ASSERT_EQ(map_whole_file(path.c_str(), SIZE_MAX, &mapped, &status), 0);
    ASSERT_TRUE(mapped.mapped);
    // A second file while the first is mapped is read into a buffer.
    mapped_file second;
    ASSERT_EQ(map_whole_file(path.c_str(), SIZE_MAX, &second, &status), 0);
    EXPECT_FALSE(second.mapped);
    ASSERT_EQ(truncate(path.c_str(), static_cast<off_t>(page)), 0);
    const volatile uint8_t* bytes = mapped.bytes;
    byte_vector seen = {bytes[0], bytes[page - 1], bytes[page], bytes[3 * page - 1]};
    EXPECT_EQ(seen, byte_vector({0x5A, 0x5A, 0, 0}));
    EXPECT_TRUE(mapped_file_was_cut(&mapped));
    EXPECT_EQ(byte_vector(second.bytes, second.bytes + second.size), file);
    EXPECT_FALSE(mapped_file_was_cut(&second));
    unmap_whole_file(&second);
    unmap_whole_file(&mapped);
    // The fault's action is what it was before.
    struct sigaction after;
    ASSERT_EQ(sigaction(SIGBUS, nullptr, &after), 0);
    EXPECT_EQ(reinterpret_cast<void*>(after.sa_handler),
              reinterpret_cast<void*>(before.sa_handler));
}
#endif

}  // namespace
