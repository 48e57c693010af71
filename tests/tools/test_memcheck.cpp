// Every program under valgrind's memcheck, over its complete run on the
// sample data, its failing runs and --help, as cmake/programs.cmake gives
// them: no memory error, no leak. It runs in the "memcheck" build, whose
// tools use the shared C library (valgrind cannot watch the allocations
// of a statically linked program). In the sanitizer build the tools carry
// AddressSanitizer and LeakSanitizer instead, which every end-to-end test
// already runs (a report there goes to standard error, which the tests
// require to be empty).
#include <gtest/gtest.h>

#include "host_programs.h"
#include "run_process.h"
#include "talk_programs.h"
#include "test_files.h"

namespace {

std::string join_arguments(const std::vector<std::string>& args)
{
    std::string text;
    for (const std::string& arg : args)
        text += (text.empty() ? "" : " ") + arg;
    return text;
}

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

    struct memcheck_run {
        const talk_program& program;
        std::vector<std::string> args;
        int exit_code;
    };
    std::vector<memcheck_run> runs;
    for (const talk_program& program : talk_programs) {
        runs.push_back({program, program_arguments(program.sample_run), 0});
        for (const std::vector<std::string>& args : program_failing_runs(program))
            runs.push_back({program, args, program.error_exit});
        runs.push_back({program, {"--help"}, program.help_exit});
    }
    // valgrind reports into a file of its own, so that the program's own
    // standard error stays apart.
    std::string log = work.file("memcheck.log");
    for (const memcheck_run& r : runs) {
        std::vector<std::string> args = {"--quiet",
                                         "--error-exitcode=99",
                                         "--leak-check=full",
                                         "--show-leak-kinds=all",
                                         "--errors-for-leak-kinds=all",
                                         "--log-file=" + log,
                                         r.program.path};
        args.insert(args.end(), r.args.begin(), r.args.end());
        process_result run = run_process(valgrind, args, work.path());
        std::string label = std::string(r.program.name) + " " + join_arguments(r.args);
        EXPECT_EQ(run.exit_code, r.exit_code) << label << "\n" << run.err << read_text_file(log);
        EXPECT_EQ(read_text_file(log), "") << label;
        if (r.exit_code == 0 || !r.program.errors_to_stderr) {
            EXPECT_EQ(run.err, "") << label;
        } else {
            EXPECT_NE(run.err, "") << label << ": a failure without a message";
        }
    }
}

}  // namespace
