// talkdsk end to end: the program run as a process on images made here.
#include <gtest/gtest.h>

#include <algorithm>

#include "run_process.h"
#include "talk_records.h"
#include "test_files.h"
#include "tool_listings.h"

namespace {

const char usage[] =
    "usage: talkdsk [options] [towne-disk.dsk]\n"
    "option: -?|--help           print usage\n"
    "\n"
    "read Towne disk image from 'velktown.dsk' if not specified\n";

// bad_flag_index: a record with question flag 9; bad_text_index: a
// record whose name holds a lower-case letter.
byte_vector apple2_buffer(int bad_flag_index = -1, int bad_text_index = -1)
{
    return make_talk_buffer(talk_edition::apple2, [&](int town, int person) {
        talk_slot_texts texts = english_texts(town, person, '\x8D');
        if (town * 16 + person == bad_text_index)
            texts[0] = "NAMe";
        byte_vector record = make_talk_record(talk_edition::apple2, {0, 0xA1, 0xB2, 0xC3}, texts);
        if (town * 16 + person == bad_flag_index)
            record[252] = 9;
        return record;
    });
}

// An image whose bytes behind the talk data would be invalid records.
byte_vector image_with_filler()
{
    byte_vector image = make_dsk_image(apple2_buffer());
    std::fill(image.begin() + 65536, image.end(), 0xFF);
    return image;
}

std::string apple2_listing(int count)
{
    return english_listing(count, "\t\t00 A1 B2 C3\n");
}

struct talkdsk_case {
    const char* what;
    std::vector<std::string> args;
    byte_vector image;  // written as "towne.dsk"; empty: no file
    std::string out;
    int exit_code;
};

std::vector<talkdsk_case> talkdsk_cases()
{
    const byte_vector image = make_dsk_image(apple2_buffer());
    byte_vector exact = apple2_buffer();
    byte_vector short_image(exact.begin(), exact.end() - 1);
    return {
        {"help", {"-?"}, image, usage, 1},
        {"long help after a path", {"towne.dsk", "--help"}, image, usage, 1},
        {"unknown option", {"-v", "towne.dsk"}, image, "error: illegal option '-v'\n", 1},
        {"lone dash", {"-"}, image, "error: illegal option '-'\n", 1},
        {"two paths",
         {"towne.dsk", "other.dsk", "-?"},
         image,
         "error: illegal parameter 'other.dsk'\n",
         1},
        {"missing image",
         {"nothing.dsk"},
         image,
         "error: open 'nothing.dsk'\nerror: read disk image 'nothing.dsk'\n",
         1},
        {"image one byte short",
         {"towne.dsk"},
         short_image,
         "error: read 'towne.dsk'\nerror: read disk image 'towne.dsk'\n",
         1},
        {"image of exactly the talk data", {"towne.dsk"}, exact, apple2_listing(256), 0},
        {"full image", {"towne.dsk"}, image_with_filler(), apple2_listing(256), 0},
        {"long help alone", {"--help"}, image, usage, 1},
        {"bad text in the first record",
         {"towne.dsk"},
         make_dsk_image(apple2_buffer(-1, 0)),
         talk_heading(0, 0) + "\t\t00 A1 B2 C3\nerror: illegal data Castle of Lord Varnel[0]\n"
                              "error: print talk data 'towne.dsk'\n",
         1},
        {"bad flag in town 3, person 5",
         {"towne.dsk"},
         make_dsk_image(apple2_buffer(16 * 3 + 5)),
         apple2_listing(16 * 3 + 5) +
             "error: illegal data Serpent's Hold[5]\nerror: print talk data 'towne.dsk'\n",
         1},
    };
}

TEST(Talkdsk, CommandLineLoadingAndListing)
{
    for (const talkdsk_case& c : talkdsk_cases()) {
        temp_dir work;
        if (!c.image.empty())
            write_file(work.file("towne.dsk"), c.image);
        process_result run = run_process(TALKDSK_PATH, c.args, work.path());
        EXPECT_EQ(run.out, text_output(c.out)) << c.what;
        EXPECT_EQ(run.exit_code, c.exit_code) << c.what;
        EXPECT_EQ(run.err, "") << c.what;
    }
}

#ifndef _WIN32
// A path that opens but cannot be read, and a listing that standard output
// cannot take: both end with exit code 1.
TEST(Talkdsk, UnreadableImageAndFullOutput)
{
    temp_dir work;
    process_result run = run_process(TALKDSK_PATH, {"."}, work.path());
    EXPECT_EQ(run.out, "error: read '.'\nerror: read disk image '.'\n");
    EXPECT_EQ(run.exit_code, 1);
    EXPECT_EQ(run.err, "");

    write_file(work.file("velktown.dsk"), make_dsk_image(apple2_buffer()));
    run = run_process(TALKDSK_PATH, {}, work.path(), "/dev/full");
    EXPECT_EQ(run.exit_code, 1);
    EXPECT_EQ(run.err, "");
}
#endif

TEST(Talkdsk, ReadsTheDefaultImageFromTheCurrentFolder)
{
    temp_dir work;
    process_result run = run_process(TALKDSK_PATH, {}, work.path());
    EXPECT_EQ(run.out, text_output("error: open 'velktown.dsk'\n"
                                   "error: read disk image 'velktown.dsk'\n"));
    EXPECT_EQ(run.exit_code, 1);
    EXPECT_EQ(run.err, "");

    write_file(work.file("velktown.dsk"), make_dsk_image(apple2_buffer()));
    run = run_process(TALKDSK_PATH, {}, work.path());
    EXPECT_EQ(run.out, text_output(apple2_listing(256)));
    EXPECT_EQ(run.exit_code, 0);
    EXPECT_EQ(run.err, "");
}

}  // namespace
