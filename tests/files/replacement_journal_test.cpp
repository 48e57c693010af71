// The journal of several replacements: what a process that finds one left
// by an interrupted process does with it, and a journal held by another.
#include "replacement_journal.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>

#include "test_files.h"

namespace fs = std::filesystem;

namespace {

const byte_vector old_bytes(300, 0x55);
const byte_vector new_bytes(400, 0xAA);

std::string listing_of(const std::string& dir)
{
    return folder_listing(dir, {{&old_bytes, "old"}, {&new_bytes, "new"}});
}

// A journal as an interrupted process leaves it.
struct left_journal_case {
    const char* name;
    const char* journal;
    std::function<void(const std::string& dir)> staged;  // the files it left besides
    int result;
    journal_outcome outcome;
    const char* listing;  // the folder afterwards
};

void old_targets_and_new_files(const std::string& dir)
{
    write_file(dir + "/A", old_bytes);
    write_file(dir + "/B", old_bytes);
    write_file(dir + "/A.new0", new_bytes);
    write_file(dir + "/B.new3", new_bytes);
    write_file(dir + "/B.new0", std::string("another's"));
}

const char two_entries[] =
    "replacement journal\n"
    "replace\tA.new0\tA\n"
    "replace\tB.new3\tB\n";

TEST(ReplacementJournal, AJournalLeftByAnInterruptedProcessIsUndoneOrCompleted)
{
    const std::string committed = std::string(two_entries) + "commit\n";
    const std::string cut = std::string(two_entries) + "comm";
    const left_journal_case cases[] = {
        {"without the mark its new files go", two_entries, old_targets_and_new_files, 0,
         journal_undone, "A 300 bytes (old)\nB 300 bytes (old)\nB.new0 9 bytes\n"},
        {"with the mark its renames are completed", committed.c_str(), old_targets_and_new_files, 0,
         journal_completed, "A 400 bytes (new)\nB 400 bytes (new)\nB.new0 9 bytes\n"},
        {"with the mark and one rename done, the other follows", committed.c_str(),
         [](const std::string& dir) {
             old_targets_and_new_files(dir);
             fs::rename(dir + "/A.new0", dir + "/A");
         },
         0, journal_completed, "A 400 bytes (new)\nB 400 bytes (new)\nB.new0 9 bytes\n"},
        {"a mark cut by a power loss is no mark", cut.c_str(), old_targets_and_new_files, 0,
         journal_undone, "A 300 bytes (old)\nB 300 bytes (old)\nB.new0 9 bytes\n"},
        {"a new folder without the mark goes with the files made in it",
         "replacement journal\nfolder\tout.new0\tout\nin\tX.TLK\n",
         [](const std::string& dir) {
             fs::create_directory(dir + "/out.new0");
             write_file(dir + "/out.new0/X.TLK", new_bytes);
         },
         0, journal_undone, ""},
        {"a file the journal does not name keeps the new folder",
         "replacement journal\nfolder\tout.new0\tout\nin\tX.TLK\n",
         [](const std::string& dir) {
             fs::create_directory(dir + "/out.new0");
             write_file(dir + "/out.new0/X.TLK", new_bytes);
             write_file(dir + "/out.new0/KEEP", std::string("another's"));
         },
         0, journal_undone, "out.new0/\nout.new0/KEEP 9 bytes\n"},
        {"a new folder with the mark takes its name",
         "replacement journal\nfolder\tout.new0\tout\ncommit\n",
         [](const std::string& dir) {
             fs::create_directory(dir + "/out.new0");
             write_file(dir + "/out.new0/X.TLK", new_bytes);
         },
         0, journal_completed, "out/\nout/X.TLK 400 bytes (new)\n"},
        {"with the mark, a new path that another took first is undone",
         "replacement journal\ncreate\tA.new0\tA\ncommit\n", old_targets_and_new_files, 0,
         journal_undone,
         "A 300 bytes (old)\nB 300 bytes (old)\nB.new0 9 bytes\nB.new3 400 bytes (new)\n"},
        {"an empty journal holds nothing", "", old_targets_and_new_files, 0, journal_none,
         "A 300 bytes (old)\nA.new0 400 bytes (new)\nB 300 bytes (old)\nB.new0 9 bytes\nB.new3 "
         "400 bytes (new)\n"},
        {"a file that is no journal is left as it is", "replacement journal?\nreplace\tA.new0\tA\n",
         old_targets_and_new_files, -1, journal_none,
         "A 300 bytes (old)\nA.new0 400 bytes (new)\nB 300 bytes (old)\nB.new0 9 bytes\nB.new3 "
         "400 bytes (new)\nj 38 bytes\n"},
        {"a journal naming a file of another folder is left as it is",
         "replacement journal\nreplace\t../A.new0\t../A\ncommit\n", old_targets_and_new_files, -1,
         journal_none,
         "A 300 bytes (old)\nA.new0 400 bytes (new)\nB 300 bytes (old)\nB.new0 9 bytes\nB.new3 "
         "400 bytes (new)\nj %j bytes\n"},
        {"a journal naming another's file as a new one is left as it is",
         "replacement journal\nreplace\tB.new0\tA\ncommit\n", old_targets_and_new_files, -1,
         journal_none,
         "A 300 bytes (old)\nA.new0 400 bytes (new)\nB 300 bytes (old)\nB.new0 9 bytes\nB.new3 "
         "400 bytes (new)\nj %j bytes\n"},
    };
    for (const left_journal_case& c : cases) {
        SCOPED_TRACE(c.name);
        temp_dir dir;
        c.staged(dir.path());
        write_file(dir.file("j"), with_paths(c.journal, "", dir.path()));
        journal_outcome outcome = journal_none;
        file_status status = {file_step_none, 0};
        EXPECT_EQ(recover_replacement_journal(dir.file("j").c_str(), &outcome, &status), c.result);
        EXPECT_EQ(outcome, c.outcome);
        EXPECT_EQ(status.failed, c.result == 0 ? file_step_none : file_step_journal);
        std::string listing = c.listing;
        size_t size_at = listing.find("%j");
        if (size_at != std::string::npos)
            listing.replace(size_at, 2, std::to_string(read_file(dir.file("j")).size()));
        EXPECT_EQ(listing_of(dir.path()), listing);
    }
}

TEST(ReplacementJournal, AJournalHeldByAnotherIsBusyOnceItHasStagedAFile)
{
    temp_dir dir;
    write_file(dir.file("A"), old_bytes);
    journal_outcome outcome = journal_none;
    file_status status = {file_step_none, 0};
    replacement_journal* held = open_replacement_journal(dir.file("j").c_str(), &outcome, &status);
    ASSERT_NE(held, nullptr);
    // Another open of the journal is refused, as in another process.
    EXPECT_EQ(open_replacement_journal(dir.file("j").c_str(), &outcome, &status), nullptr);
    EXPECT_EQ(status.failed, file_step_busy);
    EXPECT_EQ(recover_replacement_journal(dir.file("j").c_str(), &outcome, &status), 0);

    ASSERT_EQ(journal_file_replacement(held, dir.file("A").c_str(), new_bytes.data(),
                                       new_bytes.size(), false, &status),
              0);
    EXPECT_EQ(recover_replacement_journal(dir.file("j").c_str(), &outcome, &status), -1);
    EXPECT_EQ(status.failed, file_step_busy);
    EXPECT_EQ(read_file(dir.file("A")), old_bytes);
    EXPECT_EQ(read_file(dir.file("A.new0")), new_bytes);
    close_replacement_journal(held);
    EXPECT_EQ(listing_of(dir.path()), "A 300 bytes (old)\n");
}

}  // namespace
