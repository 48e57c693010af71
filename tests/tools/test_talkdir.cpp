// talkdir end to end: the program run as a process on town files made here.
#include <gtest/gtest.h>

#include <functional>

#include "run_process.h"
#include "talk_records.h"
#include "test_files.h"
#include "tool_listings.h"

namespace {

const char usage[] =
    "usage: talkdir [options] [data-directory]\n"
    "option: -?|--help           print usage\n"
    "\n"
    "read data files from current directory if not specified\n";

byte_vector dos_buffer(int bad_index = -1)
{
    return make_talk_buffer(talk_edition::dos, [&](int town, int person) {
        byte_vector record =
            make_talk_record(talk_edition::dos, {0, 0x12, 0x34}, english_texts(town, person));
        if (town * 16 + person == bad_index)
            record[0] = 0x0B;
        return record;
    });
}

std::string dos_listing(int count)
{
    return english_listing(count, "\t\t00 12 34\n");
}

struct talkdir_case {
    const char* what;
    std::vector<std::string> args;  // "@" stands for the data folder
    std::function<void(const std::string& data)> damage;
    std::string out;
    int exit_code;
};

std::vector<talkdir_case> talkdir_cases()
{
    auto none = [](const std::string&) {};
    return {
        {"help", {"-?"}, none, usage, 1},
        {"long help", {"--help"}, none, usage, 1},
        {"help after a folder", {"@", "-?"}, none, usage, 1},
        {"help after two folders", {"a", "b", "-?"}, none, "error: illegal parameter 'b'\n", 1},
        {"unknown option before a folder", {"-x", "@"}, none, "error: illegal option '-x'\n", 1},
        {"help in capitals", {"--HELP"}, none, "error: illegal option '--HELP'\n", 1},
        {"lone dash", {"-"}, none, "error: illegal option '-'\n", 1},
        {"second folder", {"@", "other"}, none, "error: illegal parameter 'other'\n", 1},
        {"missing folder",
         {"no-such-folder"},
         none,
         "error: chdir 'no-such-folder'\nerror: read data\n",
         1},
        {"missing town file",
         {"@"},
         [](const std::string& data) { remove((data + "/PAWS.TLK").c_str()); },
         "error: open 'PAWS.TLK'\nerror: read data\n",
         1},
        {"short town file",
         {"@"},
         [](const std::string& data) {
             byte_vector file = read_file(data + "/VESPER.TLK");
             file.pop_back();
             write_file(data + "/VESPER.TLK", file);
         },
         "error: read 'VESPER.TLK'\nerror: read data\n",
         1},
        {"longer town file",
         {"@"},
         [](const std::string& data) {
             byte_vector file = read_file(data + "/LCB.TLK");
             file.insert(file.end(), 300, 0xFF);  // an invalid record, never read
             write_file(data + "/LCB.TLK", file);
         },
         dos_listing(256),
         0},
        {"complete listing", {"@"}, none, dos_listing(256), 0},
        {"bad record",
         {"@"},
         [](const std::string& data) { write_town_files(data, dos_buffer(16 * 12 + 3)); },
         dos_listing(16 * 12 + 3) + "error: illegal data Paws[3]\nerror: print talk data\n",
         1},
    };
}

TEST(Talkdir, CommandLineLoadingAndListing)
{
    for (const talkdir_case& c : talkdir_cases()) {
        temp_dir work;
        std::string data = work.file("data");
        make_folder(data);
        write_town_files(data, dos_buffer());
        c.damage(data);
        std::vector<std::string> args;
        for (const std::string& arg : c.args)
            args.push_back(arg == "@" ? data : arg);

        process_result run = run_process(TALKDIR_PATH, args, work.path());
        EXPECT_EQ(run.out, text_output(c.out)) << c.what;
        EXPECT_EQ(run.exit_code, c.exit_code) << c.what;
        EXPECT_EQ(run.err, "") << c.what;
    }
}

#ifndef _WIN32
// A town file that opens but cannot be read, and a listing that standard
// output cannot take: both end with exit code 1.
TEST(Talkdir, UnreadableFileAndFullOutput)
{
    temp_dir work;
    write_town_files(work.path(), dos_buffer());
    remove(work.file("LCB.TLK").c_str());
    make_folder(work.file("LCB.TLK"));
    process_result run = run_process(TALKDIR_PATH, {}, work.path());
    EXPECT_EQ(run.out, "error: read 'LCB.TLK'\nerror: read data\n");
    EXPECT_EQ(run.exit_code, 1);
    EXPECT_EQ(run.err, "");

    temp_dir full;
    write_town_files(full.path(), dos_buffer());
    run = run_process(TALKDIR_PATH, {}, full.path(), "/dev/full");
    EXPECT_EQ(run.exit_code, 1);
    EXPECT_EQ(run.err, "");
}
#endif

TEST(Talkdir, ReadsTheCurrentFolderWithoutArguments)
{
    temp_dir work;
    write_town_files(work.path(), dos_buffer());
    process_result run = run_process(TALKDIR_PATH, {}, work.path());
    EXPECT_EQ(run.out, text_output(dos_listing(256)));
    EXPECT_EQ(run.exit_code, 0);
    EXPECT_EQ(run.err, "");

    temp_dir empty;
    run = run_process(TALKDIR_PATH, {}, empty.path());
    EXPECT_EQ(run.out, text_output("error: open 'LCB.TLK'\nerror: read data\n"));
    EXPECT_EQ(run.exit_code, 1);
    EXPECT_EQ(run.err, "");
}

}  // namespace
