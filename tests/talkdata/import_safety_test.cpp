// talkdata import where the process meets the system: killed at any
// moment, two imports at once into one target, and a file-size limit.
// POSIX only: the imports are started, limited and killed as processes.
#include <gtest/gtest.h>

#ifndef _WIN32

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <map>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "dos_storage.h"
#include "talk_records.h"
#include "talkdata_runs.h"
#include "test_files.h"

namespace fs = std::filesystem;

namespace {

// Where the started imports' standard output and error go.
const temp_dir& logs()
{
    static temp_dir folder;
    return folder;
}

std::string error_lines(const std::string& log)
{
    byte_vector bytes = read_file(logs().file(log + ".err"));
    return std::string(bytes.begin(), bytes.end());
}

// talkdata started in cwd, its output in the log's .out and .err; a size
// limit (not negative) in bytes for the files it writes, SIGXFSZ as it is.
pid_t start_talkdata(const std::vector<std::string>& args, const std::string& cwd,
                     const std::string& log, long size_limit = -1)
{
    std::string out_path = logs().file(log + ".out");
    std::string err_path = logs().file(log + ".err");
    pid_t child = fork();
    if (child != 0)
        return child;
    if (chdir(cwd.c_str()) != 0)
        _exit(127);
    int out = open(out_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    int err = open(err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    dup2(out, STDOUT_FILENO);
    dup2(err, STDERR_FILENO);
    signal(SIGXFSZ, SIG_DFL);
    if (size_limit >= 0) {
        rlimit limit = {static_cast<rlim_t>(size_limit), static_cast<rlim_t>(size_limit)};
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    std::vector<char*> argv = {const_cast<char*>(TALKDATA_PATH)};
    for (const std::string& arg : args)
        argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    execv(TALKDATA_PATH, argv.data());
    _exit(127);
}

// How the process ended: its exit code, or 128 + the signal.
int wait_for(pid_t child)
{
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

// The names in a folder, sorted, folders with "/".
std::string names_in(const std::string& folder)
{
    std::map<std::string, bool> names;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder))
        names[entry.path().filename().string()] = entry.is_directory();
    std::string out;
    for (const auto& name : names)
        out += name.first + (name.second ? "/" : "") + "\n";
    return out;
}

// One edit in each of the sixteen towns, so that every town file changes.
std::string sixteen_town_edits(const std::string& text)
{
    std::string edits = tsv_header;
    for (int town = 0; town < 16; town++)
        edits += tsv_row(town, 0, "job", text);
    return edits;
}

// The sixteen town files of a folder, in town order.
std::vector<byte_vector> town_files_of(const std::string& folder)
{
    std::vector<byte_vector> files;
    for (const char* name : talk_file_names)
        files.push_back(read_file(folder + "/" + name));
    return files;
}

const char completed_line[] =
    "an earlier import was interrupted while it put its new files in place; it is completed now";
const char undone_line[] =
    "an earlier import was interrupted before it replaced anything; its "
    "new files are removed, the old ones kept";

TEST(TalkdataImportSafety, AKilledImportOfTheSixteenTownFilesIsCompletedOrUndoneByTheNextRun)
{
    temp_dir dir;
    ASSERT_TRUE(make_samples_in(dir.path()));
    write_file(dir.file("e.tsv"), sixteen_town_edits("KILLED MID-WRITE."));
    ASSERT_EQ(talkdata({"import", "--output", "new", "e.tsv", "dos"}, dir.path()).exit_code, 0);
    const std::vector<byte_vector> old_files = town_files_of(dir.file("dos"));
    const std::vector<byte_vector> new_files = town_files_of(dir.file("new"));
    const byte_vector other(3000, 0x5A);  // a game folder holds more than the town files
    write_file(dir.file("dos/GAME.EXE"), other);
    const std::string names = names_in(dir.file("dos"));

    // How long a whole import takes, so that the kills fall before, during
    // and after its renames.
    auto started = std::chrono::steady_clock::now();
    fs::copy(dir.file("dos"), dir.file("timed"));
    ASSERT_EQ(
        wait_for(start_talkdata({"import", "--in-place", "e.tsv", "timed"}, dir.path(), "timed")),
        0);
    long whole_run = static_cast<long>(std::chrono::duration_cast<std::chrono::microseconds>(
                                           std::chrono::steady_clock::now() - started)
                                           .count());

    std::mt19937 random(20261208);
    std::map<std::string, int> seen;
    for (int run = 0; run < 40; run++) {
        fs::remove_all(dir.file("work"));
        fs::copy(dir.file("dos"), dir.file("work"));
        pid_t import =
            start_talkdata({"import", "--in-place", "e.tsv", "work"}, dir.path(), "kill");
        std::this_thread::sleep_for(std::chrono::microseconds(
            std::uniform_int_distribution<long>(0, whole_run * 5 / 4)(random)));
        kill(import, SIGKILL);
        int ended = wait_for(import);

        process_result next = talkdata({"export", "--format", "tsv", "work"}, dir.path());
        ASSERT_EQ(next.exit_code, 0) << next.err;
        const std::vector<byte_vector> files = town_files_of(dir.file("work"));
        bool all_new = files == new_files;
        ASSERT_TRUE(all_new || files == old_files) << "run " << run << ": a mixture";
        std::string said =
            next.err == talkdata_lines(std::string("work: ") + completed_line + "\n") ? "completed"
            : next.err == talkdata_lines(std::string("work: ") + undone_line + "\n")  ? "undone"
            : next.err.empty() ? "nothing to finish"
                               : next.err;
        // Undone leaves the old files, completed the new ones.
        EXPECT_TRUE(said != "undone" || !all_new) << run;
        EXPECT_TRUE(said != "completed" || all_new) << run;
        EXPECT_EQ(names_in(dir.file("work")), names) << "run " << run << ", " << said;
        EXPECT_EQ(read_file(dir.file("work/GAME.EXE")), other);
        seen[(ended == 128 + SIGKILL ? "killed, " : "ended, ") + said +
             (all_new ? ", new files" : ", old files")]++;
    }
    for (const auto& outcome : seen)
        printf("%3d runs: %s\n", outcome.second, outcome.first.c_str());
}

TEST(TalkdataImportSafety, AKilledImportOfAnImageLeavesNothingOnceTheNextImportRan)
{
    temp_dir dir;
    ASSERT_TRUE(make_samples_in(dir.path()));
    write_file(dir.file("e.tsv"), sixteen_town_edits("KILLED MID-WRITE."));
    write_file(dir.file("none.tsv"), tsv_header);
    const byte_vector old_image = read_file(dir.file("velk-britannia.xdf"));
    ASSERT_EQ(talkdata({"import", "--output", "new.xdf", "e.tsv", "velk-britannia.xdf"}, dir.path())
                  .exit_code,
              0);
    const byte_vector new_image = read_file(dir.file("new.xdf"));
    std::mt19937 random(8);
    std::map<std::string, int> seen;
    for (int run = 0; run < 20; run++) {
        fs::remove_all(dir.file("work"));
        fs::create_directory(dir.file("work"));
        write_file(dir.file("work/image.xdf"), old_image);
        pid_t import =
            start_talkdata({"import", "--in-place", "e.tsv", "work/image.xdf"}, dir.path(), "kill");
        std::this_thread::sleep_for(
            std::chrono::microseconds(std::uniform_int_distribution<long>(0, 20000)(random)));
        kill(import, SIGKILL);
        wait_for(import);
        std::string left = names_in(dir.file("work"));
        process_result next =
            talkdata({"import", "--in-place", "none.tsv", "work/image.xdf"}, dir.path());
        ASSERT_EQ(next.exit_code, 0) << next.err;
        EXPECT_EQ(names_in(dir.file("work")), "image.xdf\n") << "run " << run;
        const byte_vector image = read_file(dir.file("work/image.xdf"));
        EXPECT_TRUE(image == old_image || image == new_image) << "run " << run;
        seen[left == "image.xdf\n" ? "nothing left" : "leftovers removed"]++;
    }
    for (const auto& outcome : seen)
        printf("%3d runs: %s\n", outcome.second, outcome.first.c_str());
}

// Two imports into one new path at once: one writes it, the other fails
// saying why, and the path holds what the one that said "written" wrote.
TEST(TalkdataImportSafety, TwoImportsIntoOneTargetNeverBothWrite)
{
    temp_dir dir;
    ASSERT_TRUE(make_samples_in(dir.path()));
    for (const char* input : {"velktown.dsk", "velk-towne.d88", "dos"}) {
        // What the path holds after each side's import alone, as an export.
        std::map<std::string, std::string> written;
        const auto tsv_of = [&](const std::string& path) {
            return talkdata({"export", "--format", "tsv", path}, dir.path()).out;
        };
        int busy = 0;  // refused while the other wrote, not once it had written
        for (int run = 0; run < 10; run++) {
            for (std::string side : {"A", "B"}) {
                fs::remove_all(dir.file(side));
                fs::create_directory(dir.file(side));
                write_file(dir.file(std::string(side) + "/e.tsv"),
                           tsv_header + tsv_row(12, 3, "job", std::string("SIDE ") + side));
                if (written.count(side) == 0) {
                    fs::remove_all(dir.file("alone"));
                    talkdata({"import", side + "/e.tsv", input, "--output", "alone"}, dir.path());
                    written[side] = tsv_of("alone");
                }
            }
            fs::remove_all(dir.file("out"));
            std::string source = dir.file(input);
            std::string out = dir.file("out");
            pid_t a =
                start_talkdata({"import", "e.tsv", source, "--output", out}, dir.file("A"), "a");
            pid_t b =
                start_talkdata({"import", "e.tsv", source, "--output", out}, dir.file("B"), "b");
            int a_ended = wait_for(a);
            int b_ended = wait_for(b);
            ASSERT_EQ(a_ended + b_ended, 1) << input << ": both or neither wrote";
            std::string writer = a_ended == 0 ? "A" : "B";
            std::string refused = error_lines(a_ended == 0 ? "b" : "a");
            EXPECT_TRUE(refused == talkdata_lines(out + ": another import is writing it now; "
                                                        "try again when that one ends\n") ||
                        refused ==
                            talkdata_lines(out + ": exists already: --output writes a new file or "
                                                 "folder\n"))
                << refused;
            EXPECT_EQ(tsv_of("out"), written[writer]) << input;
            busy += refused.find("another import") != std::string::npos;
        }
        printf(
            "%s: one of two wrote in 10 of 10 runs; the other was refused as busy %d times, "
            "as the path taken %d times\n",
            input, busy, 10 - busy);
    }

    // In place: the second import waits for nothing and loses nothing; it is
    // refused while the first writes, or reads what the first wrote.
    fs::copy(dir.file("velktown.dsk"), dir.file("target.dsk"));
    for (int run = 0; run < 10; run++) {
        write_file(dir.file("A/e.tsv"),
                   tsv_header + tsv_row(1, 1, "job", "FIRST " + std::to_string(run)));
        write_file(dir.file("B/e.tsv"),
                   tsv_header + tsv_row(2, 2, "job", "SECOND " + std::to_string(run)));
        std::string target = dir.file("target.dsk");
        pid_t a = start_talkdata({"import", "e.tsv", target, "--in-place"}, dir.file("A"), "a");
        pid_t b = start_talkdata({"import", "e.tsv", target, "--in-place"}, dir.file("B"), "b");
        int a_ended = wait_for(a);
        int b_ended = wait_for(b);
        std::string exported =
            talkdata({"export", "--format", "tsv", "target.dsk"}, dir.path()).out;
        EXPECT_EQ(exported.find("\tFIRST " + std::to_string(run) + "\n") != std::string::npos,
                  a_ended == 0);
        EXPECT_EQ(exported.find("\tSECOND " + std::to_string(run) + "\n") != std::string::npos,
                  b_ended == 0);
        EXPECT_LE(a_ended + b_ended, 1);
    }
    EXPECT_EQ(names_in(dir.path()).find(".journal"), std::string::npos);
}

// A journal that another process holds (here this one) stops every
// import into its target, the dry run too, and a read of a DOS folder it
// is writing.
TEST(TalkdataImportSafety, AJournalHeldByAnotherImportRefusesTheTarget)
{
    struct held_case {
        const char* journal;
        std::vector<std::string> args;
        const char* error;
    };
    const char another[] = "another import is writing it now; try again when that one ends\n";
    const held_case cases[] = {
        {"velktown.dsk.journal", {"import", "--in-place", "e.tsv", "velktown.dsk"}, another},
        {"velktown.dsk.journal",
         {"import", "--dry-run", "--in-place", "e.tsv", "velktown.dsk"},
         another},
        {"out.journal", {"import", "--output", "out", "e.tsv", "velk-towne.d88"}, another},
        {"dos/talkdata.journal", {"import", "--in-place", "e.tsv", "dos"}, another},
        {"dos/talkdata.journal",
         {"export", "dos"},
         "an import is writing it now; try again when "
         "it ends\n"},
    };
    temp_dir dir;
    ASSERT_TRUE(make_samples_in(dir.path()));
    write_file(dir.file("e.tsv"), tsv_header + tsv_row(12, 3, "job", "HELD"));
    const std::string names = names_in(dir.path()) + names_in(dir.file("dos"));
    for (const held_case& c : cases) {
        std::string journal = dir.file(c.journal);
        int fd = open(journal.c_str(), O_RDWR | O_CREAT, 0644);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(flock(fd, LOCK_EX), 0);
        // What a journal holds once its import has staged a file.
        std::string name = fs::path(journal).filename().string();
        std::string target =
            name == "talkdata.journal" ? "LCB.TLK" : name.substr(0, name.rfind('.'));
        std::string text = "replacement journal\nreplace\t" + target + ".new0\t" + target + "\n";
        ASSERT_EQ(write(fd, text.data(), text.size()), static_cast<ssize_t>(text.size()));
        process_result refused = talkdata(c.args, dir.path());
        EXPECT_EQ(refused.exit_code, 1) << c.journal;
        std::string subject = c.args[c.args.size() - 1];
        if (c.args[1] == "--output")
            subject = c.args[2];
        EXPECT_EQ(refused.err, talkdata_lines(subject + ": " + c.error)) << c.journal;
        unlink(journal.c_str());
        close(fd);
        EXPECT_EQ(names_in(dir.path()) + names_in(dir.file("dos")), names) << c.journal;
    }
}

TEST(TalkdataImportSafety, AFileSizeLimitIsAnErrorThatLeavesTheTargetAsItWas)
{
    struct limit_case {
        const char* input;
        std::vector<std::string> where;  // --in-place or --output PATH
        const char* error;
    };
    const limit_case cases[] = {
        {"velktown.dsk", {"--in-place"}, "velktown.dsk: cannot write: File too large\n"},
        {"velk-towne.d88", {"--output", "new.d88"}, "new.d88: cannot write: File too large\n"},
        {"velk-britannia.xdf",
         {"--in-place"},
         "velk-britannia.xdf: cannot write: File too large\n"},
        {"dos", {"--in-place"}, "dos/LCB.TLK: cannot write: File too large\n"},
        {"dos", {"--output", "new"}, "new: cannot write: File too large\n"},
    };
    for (const limit_case& c : cases) {
        temp_dir dir;
        ASSERT_TRUE(make_samples_in(dir.path()));
        write_file(dir.file("e.tsv"), sixteen_town_edits("OVER THE LIMIT."));
        const std::string before = names_in(dir.path()) + names_in(dir.file("dos"));
        const byte_vector input = fs::is_directory(dir.file(c.input))
                                      ? read_file(dir.file(std::string(c.input) + "/LCB.TLK"))
                                      : read_file(dir.file(c.input));
        std::vector<std::string> args = {"import", "e.tsv", c.input};
        args.insert(args.end(), c.where.begin(), c.where.end());
        EXPECT_EQ(wait_for(start_talkdata(args, dir.path(), "limited", 2048)), 1) << c.input;
        EXPECT_EQ(error_lines("limited"), talkdata_lines(c.error)) << c.input;
        EXPECT_EQ(names_in(dir.path()) + names_in(dir.file("dos")), before) << c.input;
        EXPECT_EQ(fs::is_directory(dir.file(c.input))
                      ? read_file(dir.file(std::string(c.input) + "/LCB.TLK"))
                      : read_file(dir.file(c.input)),
                  input);
    }
}

}  // namespace

#endif
