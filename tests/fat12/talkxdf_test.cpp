// talkxdf run as a process: command line, default image, every failure
// line, exit codes, and the full listing of an XDF image.
#include <gtest/gtest.h>

#include <algorithm>

#include "fat12_builder.h"
#include "run_process.h"
#include "talk_records.h"
#include "test_files.h"
#include "xdf_talk_listing.h"

namespace {

const std::string usage =
    "usage: talkxdf [options] [britannia-disk.xdf]\n"
    "option: -?|--help           print usage\n"
    "\n"
    "read Britannia disk image from 'velk-britannia.xdf' if not specified\n";

std::string replace_all(std::string text, const std::string& from, const std::string& to)
{
    for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

void expect_run(const std::vector<std::string>& args, const std::string& cwd, int exit_code,
                const std::string& out)
{
    process_result run = run_process(TALKXDF_PATH, args, cwd);
    EXPECT_EQ(run.exit_code, exit_code);
    EXPECT_EQ(run.out, text_output(out));
    EXPECT_EQ(run.err, "");
}

TEST(Talkxdf, CommandLine)
{
    struct row {
        std::vector<std::string> args;
        std::string out;
    };
    const row rows[] = {
        {{"-?"}, usage},
        {{"--help"}, usage},
        {{"a.xdf", "-?"}, usage},
        {{"-?", "-x"}, usage},
        {{"a", "b", "-?"}, "error: illegal parameter 'b'\n"},
        {{"-x"}, "error: illegal option '-x'\n"},
        {{"-"}, "error: illegal option '-'\n"},
        {{"--HELP"}, "error: illegal option '--HELP'\n"},
        {{"-h", "--help"}, "error: illegal option '-h'\n"},
        {{""}, "open error ''\nerror: read disk image ''\n"},
        {{}, "open error 'velk-britannia.xdf'\nerror: read disk image 'velk-britannia.xdf'\n"},
    };
    temp_dir empty;
    for (const row& r : rows) {
        SCOPED_TRACE(r.args.empty() ? "(none)" : r.args[0]);
        expect_run(r.args, empty.path(), 1, r.out);
    }
}

byte_vector talk_data()
{
    return make_talk_buffer(talk_edition::x68000, xdf_talk_record);
}

// TALKDATA.BIN on the clusters given, in root slot 'slot'.
byte_vector talk_image(const std::string& name11, int slot, const std::vector<int>& clusters,
                       int end_mark = 0xFFF, const byte_vector& data = talk_data())
{
    fat12_test_image image = make_blank_fat12_image(fat12_test_layout::xdf);
    put_fat12_file(image, 0, fat12_entry_name("OTHER", "BIN"), byte_vector(5000, 1),
                   fat12_cluster_run(800, 5));
    put_fat12_file(image, slot, name11, data, clusters, end_mark);
    return image.bytes;
}

// TALKDATA.BIN in root slot 1 whose size field says size_field, while its
// chain holds as much of the talk data as fits in the clusters given.
byte_vector talk_image_sized(unsigned size_field, const std::vector<int>& clusters,
                             int end_mark = 0xFFF)
{
    byte_vector data = talk_data();
    data.resize(std::min(data.size(), clusters.size() * 1024));
    fat12_test_image image = make_blank_fat12_image(fat12_test_layout::xdf);
    put_fat12_file(image, 1, "TALKDATABIN", data, clusters, end_mark);
    set_fat12_file_size(image, 1, size_field);
    return image.bytes;
}

std::vector<int> scattered_clusters()
{
    std::vector<int> clusters;
    for (int i = 0; i < 128; i++)
        clusters.push_back(i % 2 == 0 ? 1222 - i : 10 + i * 3);
    return clusters;
}

TEST(Talkxdf, ListsAllRecordsOfAValidImage)
{
    const std::string listing = xdf_talk_listing();
    struct row {
        const char* what;
        byte_vector image;
    };
    const row rows[] = {
        {"builder image", make_talk_xdf_image(xdf_talk_record)},
        {"stored in lower case, last root slot",
         talk_image("talkdatabin", 191, fat12_cluster_run(2, 128))},
        {"ends in the last data cluster",
         talk_image("TALKDATABIN", 7, fat12_cluster_run(1095, 128))},
        {"scattered chain", talk_image("TalkDataBin", 100, scattered_clusters())},
    };
    for (const row& r : rows) {
        SCOPED_TRACE(r.what);
        temp_dir dir;
        write_file(dir.file("velk-britannia.xdf"), r.image);
        expect_run({}, dir.path(), 0, listing);
        write_file(dir.file("other name.xdf"), r.image);
        expect_run({"other name.xdf"}, dir.path(), 0, listing);
    }
}

TEST(Talkxdf, EveryFailurePrintsTheInnerLineThenItsOwn)
{
    byte_vector data = talk_data();
    byte_vector bad_flag = data;
    bad_flag[(3 * 16 + 5) * 512] = 7;
    byte_vector bad_text = data;
    bad_text[255 * 512 + 4] = 0xB1;  // half-width katakana in the last record's name
    byte_vector longer = data;
    longer.push_back(0);
    byte_vector shorter(data.begin(), data.end() - 1);
    std::vector<int> broken = fat12_cluster_run(2, 60);

    struct row {
        const char* what;
        byte_vector image;
        std::string out;  // IMG stands for the image path
    };
    const row rows[] = {
        {"empty file", {}, "read error 'IMG'\nerror: read disk image 'IMG'\n"},
        {"unknown size", byte_vector(1261567, 0),
         "unsupported image 'IMG'\nerror: read disk image 'IMG'\n"},
        {"no talk file", talk_image("TALKDATABAK", 1, fat12_cluster_run(2, 128)),
         "can't find 'TALKDATA.BIN'\nerror: read disk image 'IMG/TALKDATA.BIN'\n"},
        {"one byte short", talk_image("TALKDATABIN", 1, fat12_cluster_run(2, 128), 0xFFF, shorter),
         "error: file size: 131071\n"},
        {"one byte long", talk_image("TALKDATABIN", 1, fat12_cluster_run(2, 129), 0xFFF, longer),
         "error: file size: 131073\n"},
        {"chain ends early", talk_image_sized(0x20000, broken, 0xFFF),
         "illegal cluster 0xFFF\nerror: read disk image 'IMG/TALKDATA.BIN'\n"},
        {"chain leaves the data area", talk_image_sized(0x20000, broken, 1223),
         "can't get sector from cluster 0x4C7\nerror: read disk image 'IMG/TALKDATA.BIN'\n"},
        // The size field is signed; only -1 is taken for a failed lookup.
        {"lowest negative size", talk_image_sized(0x80000000u, fat12_cluster_run(2, 128)),
         "error: file size: -2147483648\n"},
        {"size -2", talk_image_sized(0xFFFFFFFEu, fat12_cluster_run(2, 128)),
         "error: file size: -2\n"},
        {"size -1", talk_image_sized(0xFFFFFFFFu, fat12_cluster_run(2, 128)),
         "error: read disk image 'IMG/TALKDATA.BIN'\n"},
        {"size 0", talk_image_sized(0, fat12_cluster_run(2, 128)), "error: file size: 0\n"},
        {"highest positive size", talk_image_sized(0x7FFFFFFFu, fat12_cluster_run(2, 128)),
         "error: file size: 2147483647\n"},
        {"bad question flag",
         talk_image("TALKDATABIN", 1, fat12_cluster_run(2, 128), 0xFFF, bad_flag),
         xdf_talk_listing(3 * 16 + 5) +
             "error: illegal data Serpent's Hold[5]\nerror: print talk data 'IMG/TALKDATA.BIN'\n"},
        {"bad text", talk_image("TALKDATABIN", 1, fat12_cluster_run(2, 128), 0xFFF, bad_text),
         xdf_talk_listing(255) + "[Cove][15]\n\t\t0A 0F 0F 5A\nerror: illegal data Cove[15]\n"
                                 "error: print talk data 'IMG/TALKDATA.BIN'\n"},
    };
    for (const row& r : rows) {
        SCOPED_TRACE(r.what);
        temp_dir dir;
        write_file(dir.file("disk.xdf"), r.image);
        expect_run({"disk.xdf"}, dir.path(), 1, replace_all(r.out, "IMG", "disk.xdf"));
    }
}

}  // namespace
