// Every tool under valgrind's memcheck, over a full listing of the sample
// data and over its error paths: no memory error, no leak. It runs in the
// "memcheck" build, whose tools use the shared C library (valgrind cannot
// watch the allocations of a statically linked program). In the sanitizer
// build the tools carry AddressSanitizer and LeakSanitizer instead, which
// every end-to-end test already runs (a report there goes to standard
// error, which the tests require to be empty).
#include <gtest/gtest.h>

#include "host_programs.h"
#include "run_process.h"
#include "test_files.h"

namespace {

TEST(Memcheck, EveryToolOnItsListingAndErrorPaths)
{
#ifdef TALK_TOOLS_SANITIZED
    GTEST_SKIP() << "the tools carry the sanitizers in this build; valgrind cannot run them";
#endif
#ifdef TALK_TOOLS_STATIC
    GTEST_SKIP() << "the tools are linked statically in this build; valgrind checks them in "
                    "the memcheck build (cmake --workflow --preset memcheck)";
#endif
    std::string valgrind = find_host_program("valgrind");
    if (valgrind.empty())
        GTEST_SKIP() << "valgrind is not installed";

    temp_dir work;
    ASSERT_EQ(run_process(MAKE_SAMPLES_PATH, {work.path()}, work.path()).exit_code, 0);
    // A D88 image cut inside a sector, and an XDF image whose TALKDATA.BIN
    // size is wrong, reach the libraries' deeper failure paths.
    byte_vector d88 = read_file(work.file("velk-towne.d88"));
    d88.resize(20000);
    write_file(work.file("cut.d88"), d88);
    byte_vector xdf = read_file(work.file("velk-britannia.xdf"));
    xdf[0x1400 + 28] = 0x01;  // size field of the first root entry
    write_file(work.file("size.xdf"), xdf);

    const struct {
        const char* tool;
        std::vector<std::string> args;
        int exit_code;
    } runs[] = {
        {TALKDIR_PATH, {"dos"}, 0},
        {TALKDIR_PATH, {"missing"}, 1},
        {TALKDIR_PATH, {}, 1},
        {TALKDSK_PATH, {"velktown.dsk"}, 0},
        {TALKDSK_PATH, {"velk-towne.d88"}, 1},
        {TALKDSK_PATH, {"-x"}, 1},
        {TALKD88_PATH, {"velk-towne.d88"}, 0},
        {TALKD88_PATH, {"-i", "1", "velk-towne.d88"}, 1},
        {TALKD88_PATH, {"cut.d88"}, 1},
        {TALKD88_PATH, {"velktown.dsk"}, 1},
        {TALKXDF_PATH, {"velk-britannia.xdf"}, 0},
        {TALKXDF_PATH, {"size.xdf"}, 1},
        {TALKXDF_PATH, {"velktown.dsk"}, 1},
        {TALKXDF_PATH, {"missing.xdf"}, 1},
    };
    for (const auto& r : runs) {
        std::vector<std::string> args = {"--quiet",
                                         "--error-exitcode=99",
                                         "--leak-check=full",
                                         "--show-leak-kinds=all",
                                         "--errors-for-leak-kinds=all",
                                         r.tool};
        args.insert(args.end(), r.args.begin(), r.args.end());
        process_result run = run_process(valgrind, args, work.path());
        EXPECT_EQ(run.exit_code, r.exit_code) << r.tool << " " << run.err;
        EXPECT_EQ(run.err, "") << r.tool;
    }
}

}  // namespace
