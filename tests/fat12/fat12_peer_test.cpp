// Images made by dosfstools' mkfs.fat and filled by mtools' mcopy, read
// with the library and compared with what mtype prints; and builder images
// read back by mtype. Skipped when the tools are not installed.
#include <gtest/gtest.h>

#include <filesystem>

#include "capture_stdout.h"
#include "fat12_test_util.h"
#include "host_programs.h"
#include "run_process.h"
#include "talk_records.h"
#include "xdf_talk_listing.h"

namespace {

#define REQUIRE_PEER_TOOLS()                                                                    \
    if (find_host_program("mkfs.fat").empty() || find_host_program("mcopy").empty() ||          \
        find_host_program("mtype").empty() || find_host_program("mdel").empty())                \
    GTEST_SKIP() << "dosfstools (mkfs.fat) and mtools (mcopy, mtype, mdel) are not installed; " \
                    "install them to compare with a real FAT12 implementation"

// Runs a tool in dir; it must succeed quietly enough to go on.
std::string tool(const std::string& name, const std::vector<std::string>& args, const temp_dir& dir)
{
    process_result run = run_process(find_host_program(name), args, dir.path());
    EXPECT_EQ(run.exit_code, 0) << name << " failed: " << run.err;
    return run.out;
}

struct peer_layout {
    fat12_test_layout layout;
    std::vector<std::string> mkfs_args;
};

const peer_layout peer_layouts[] = {
    {fat12_test_layout::xdf,
     {"-C", "-a", "--invariant", "-S", "1024", "-s", "1",   "-f", "2", "-r",       "192", "-R",
      "1",  "-F", "12",          "-M", "0xFE", "-g", "2/8", "-h", "0", "disk.img", "1232"}},
    {fat12_test_layout::dd9,
     {"-C", "-a", "--invariant", "-S", "512",  "-s", "2",   "-f", "2", "-r",       "112", "-R",
      "1",  "-F", "12",          "-M", "0xF9", "-g", "2/9", "-h", "0", "disk.img", "720"}},
    {fat12_test_layout::dd8,
     {"-C", "-a", "--invariant", "-S", "512",  "-s", "2",   "-f", "2", "-r",       "112", "-R",
      "1",  "-F", "12",          "-M", "0xFB", "-g", "2/8", "-h", "0", "disk.img", "640"}},
};

void copy_in(const temp_dir& dir, const std::string& name, const byte_vector& data)
{
    write_file(dir.file("src"), data);
    tool("mcopy", {"-o", "-i", "disk.img", "src", "::" + name}, dir);
}

// The clusters of a root file's chain, as the library's FAT gives them.
std::vector<int> chain_of(const fat12_image& image, const std::string& name)
{
    char key[12];
    make_fat_name(key, name.c_str());
    const unsigned char* entry = find_dir_entry(&image, -1, image.root_entries, key, true);
    std::vector<int> chain;
    if (entry == nullptr)
        return chain;
    for (int c = int(fat12::read_le16(entry + 26)); c >= 2 && c <= 0xFEF && chain.size() < 5000;
         c = get_fat_entry(&image, c))
        chain.push_back(c);
    return chain;
}

TEST(Fat12Peer, ReadsEveryFileAsMtypeShowsIt)
{
    REQUIRE_PEER_TOOLS();
    for (const peer_layout& p : peer_layouts) {
        const fat12_test_geometry& g = fat12_geometry(p.layout);
        SCOPED_TRACE(g.image_size);
        temp_dir dir;
        tool("mkfs.fat", p.mkfs_args, dir);
        copy_in(dir, "A.BIN", fat12_test_bytes(3000, 1));
        copy_in(dir, "B.BIN", fat12_test_bytes(5000, 2));
        copy_in(dir, "C.BIN", fat12_test_bytes(2500, 3));
        tool("mdel", {"-i", "disk.img", "::B.BIN"}, dir);
        copy_in(dir, "D.BIN", fat12_test_bytes(9000, 4));      // fills B's hole, then jumps
        copy_in(dir, "low.txt", fat12_test_bytes(700, 5));     // stored in capitals
        copy_in(dir, "Mixed.Dat", fat12_test_bytes(1024, 6));  // long-name entries before it
        copy_in(dir, "EMPTY.TXT", {});

        // The last file takes every free cluster, so it ends in the last one.
        opened_image before = open_test_image(dir, read_file(dir.file("disk.img")), 0, "copy.img");
        ASSERT_EQ(before.result, 0);
        int free_clusters = 0;
        for (int c = 2; c <= g.cluster_count + 1; c++)
            free_clusters += get_fat_entry(&before.image, c) == 0;
        free_fat12_image(&before.image, false);
        copy_in(dir, "FULL.BIN", fat12_test_bytes(size_t(free_clusters) * 1024 - 7, 7));

        // A name stored in lower case, patched into A.BIN's entry.
        byte_vector bytes = read_file(dir.file("disk.img"));
        size_t root = size_t(g.root_start * g.bytes_per_sector);
        ASSERT_EQ(std::string(bytes.begin() + long(root), bytes.begin() + long(root) + 11),
                  "A       BIN");
        for (size_t i : {0u, 8u, 9u, 10u})
            bytes[root + i] = static_cast<unsigned char>(bytes[root + i] | 0x20);
        write_file(dir.file("disk.img"), bytes);

        opened_image opened = open_test_image(dir, bytes, 0, "ours.img");
        ASSERT_EQ(opened.result, 0);
        std::vector<int> d_chain = chain_of(opened.image, "D.BIN");
        std::vector<int> full_chain = chain_of(opened.image, "FULL.BIN");
        ASSERT_EQ(d_chain.size(), 9u);
        EXPECT_NE(d_chain[5], d_chain[4] + 1) << "D.BIN is not fragmented";
        ASSERT_FALSE(full_chain.empty());
        EXPECT_EQ(full_chain.back(), g.cluster_count + 1);

        struct file_row {
            std::string ours;
            bool ignore_case;
            std::string theirs;
        };
        const file_row files[] = {
            {"a.bin", false, "a.bin"},        {"A.BIN", true, "A.BIN"},
            {"C.BIN", false, "C.BIN"},        {"D.BIN", false, "D.BIN"},
            {"low.txt", true, "low.txt"},     {"LOW.TXT", false, "LOW.TXT"},
            {"mixed.dat", true, "Mixed.Dat"}, {"EMPTY.TXT", false, "EMPTY.TXT"},
            {"FULL.BIN", false, "FULL.BIN"},
        };
        for (const file_row& f : files) {
            SCOPED_TRACE(f.ours);
            std::string theirs = tool("mtype", {"-i", "disk.img", "::" + f.theirs}, dir);
            int size = get_fat12_file_size(&opened.image, f.ours.c_str(), f.ignore_case);
            ASSERT_EQ(size, int(theirs.size()));
            read_result read = read_test_file(opened.image, f.ours, size_t(size), f.ignore_case);
            EXPECT_EQ(read.out, "");
            EXPECT_EQ(read.result, 0);
            EXPECT_TRUE(read.dest == byte_vector(theirs.begin(), theirs.end()));
        }
        free_fat12_image(&opened.image, false);
    }
}

TEST(Fat12Peer, MtypeReadsWhatTheBuilderWrote)
{
    REQUIRE_PEER_TOOLS();
    for (fat12_test_layout layout :
         {fat12_test_layout::xdf, fat12_test_layout::dd9, fat12_test_layout::dd8}) {
        const fat12_test_geometry& g = fat12_geometry(layout);
        SCOPED_TRACE(g.image_size);
        fat12_test_image built = make_blank_fat12_image(layout);
        byte_vector data = fat12_test_bytes(5000, 9);
        // Slot 0: other readers stop at the first unused entry.
        put_fat12_file(built, 0, fat12_entry_name("FRAG", "BIN"), data,
                       {g.cluster_count + 1, 40, 3, 41, 2});
        temp_dir dir;
        write_file(dir.file("disk.img"), built.bytes);
        std::string theirs = tool("mtype", {"-i", "disk.img", "::FRAG.BIN"}, dir);
        EXPECT_TRUE(byte_vector(theirs.begin(), theirs.end()) == data);
    }
}

TEST(Fat12Peer, TalkxdfListsAnImageFilledByMcopy)
{
    REQUIRE_PEER_TOOLS();
    temp_dir dir;
    tool("mkfs.fat", peer_layouts[0].mkfs_args, dir);
    copy_in(dir, "FIRST.DAT", fat12_test_bytes(10000, 1));
    copy_in(dir, "TALKDATA.BIN", make_talk_buffer(talk_edition::x68000, xdf_talk_record));
    std::filesystem::rename(dir.file("disk.img"), dir.file("velk-britannia.xdf"));
    process_result run = run_process(TALKXDF_PATH, {}, dir.path());
    EXPECT_EQ(run.exit_code, 0);
    EXPECT_EQ(run.out, text_output(xdf_talk_listing()));
    EXPECT_EQ(run.err, "");
}

}  // namespace

namespace {

// Files of an image made by mkfs.fat and mcopy, overwritten with the
// library and written back over the image: mtype prints the new contents
// (and the old tail of a file written short), and fsck.fat finds nothing
// wrong.
TEST(Fat12Peer, MtypeAndFsckAcceptWhatWasWritten)
{
    REQUIRE_PEER_TOOLS();
    if (find_host_program("fsck.fat").empty())
        GTEST_SKIP() << "dosfstools' fsck.fat is not installed; install it to check the images "
                        "written";
    for (const peer_layout& p : peer_layouts) {
        const fat12_test_geometry& g = fat12_geometry(p.layout);
        SCOPED_TRACE(g.image_size);
        temp_dir dir;
        tool("mkfs.fat", p.mkfs_args, dir);
        const byte_vector a = fat12_test_bytes(3000, 1), c = fat12_test_bytes(2500, 3);
        copy_in(dir, "A.BIN", a);
        copy_in(dir, "B.BIN", fat12_test_bytes(5000, 2));
        copy_in(dir, "C.BIN", c);
        tool("mdel", {"-i", "disk.img", "::B.BIN"}, dir);
        copy_in(dir, "D.BIN", fat12_test_bytes(9000, 4));  // fills B's hole, then jumps
        opened_image before = open_test_image(dir, read_file(dir.file("disk.img")), 0, "copy.img");
        ASSERT_EQ(before.result, 0);
        int free_clusters = 0;
        for (int cluster = 2; cluster <= g.cluster_count + 1; cluster++)
            free_clusters += get_fat_entry(&before.image, cluster) == 0;
        free_fat12_image(&before.image, false);
        const size_t full_size = size_t(free_clusters) * 1024 - 7;
        copy_in(dir, "FULL.BIN", fat12_test_bytes(full_size, 5));

        fat12_image image;
        ASSERT_EQ(read_fat12_image_file(&image, dir.file("disk.img").c_str(), 0), 0);
        std::vector<int> d_chain = chain_of(image, "D.BIN");
        ASSERT_EQ(d_chain.size(), 9u);
        EXPECT_NE(d_chain[5], d_chain[4] + 1) << "D.BIN is not fragmented";
        ASSERT_EQ(chain_of(image, "FULL.BIN").back(), g.cluster_count + 1);

        const byte_vector new_d = fat12_test_bytes(9000, 11);
        const byte_vector new_full = fat12_test_bytes(full_size, 12);
        const byte_vector new_c = fat12_test_bytes(1000, 13);
        byte_vector c_after = new_c;
        c_after.insert(c_after.end(), c.begin() + 1000, c.end());
        struct row {
            std::string name;
            bool ignore_case;
            const byte_vector* source;  // null: not written
            std::string out;
            byte_vector mtype;  // what mtype prints afterwards
        };
        const row rows[] = {
            {"D.BIN", false, &new_d, "", new_d},
            {"full.bin", true, &new_full, "", new_full},
            {"C.BIN", false, &new_c, "file size mismatch 'C.BIN' 2500 != 1000 ... ignored\n",
             c_after},
            {"A.BIN", false, nullptr, "", a},
        };
        for (const row& r : rows) {
            if (r.source == nullptr)
                continue;
            int result = -9;
            std::string out = capture_stdout([&] {
                result = write_fat12_file(&image, r.name.c_str(), r.source->data(),
                                          int(r.source->size()), r.ignore_case);
            });
            EXPECT_EQ(result, 0) << r.name;
            EXPECT_EQ(out, r.out);
        }
        int result = -9;
        std::string out = capture_stdout(
            [&] { result = write_fat12_image_file(&image, dir.file("disk.img").c_str()); });
        EXPECT_EQ(result, 0);
        EXPECT_EQ(out, "");
        free_fat12_image(&image, false);

        for (const row& r : rows) {
            SCOPED_TRACE(r.name);
            std::string theirs = tool("mtype", {"-i", "disk.img", "::" + r.name}, dir);
            EXPECT_TRUE(byte_vector(theirs.begin(), theirs.end()) == r.mtype);
        }
        // The version line first, then the summary of a full disk.
        process_result fsck =
            run_process(find_host_program("fsck.fat"), {"-n", "disk.img"}, dir.path());
        EXPECT_EQ(fsck.exit_code, 0);
        EXPECT_EQ(fsck.out.substr(std::min(fsck.out.find('\n') + 1, fsck.out.size())),
                  "disk.img: 4 files, " + std::to_string(g.cluster_count) + "/" +
                      std::to_string(g.cluster_count) + " clusters\n");
        EXPECT_EQ(fsck.err, "");
    }
}

}  // namespace
