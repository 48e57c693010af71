// Replacing a file: the target holds exactly the new bytes, keeps its
// permissions and the links that lead to it, and no failure ever harms the
// file being replaced or leaves a new file behind. The layer prints nothing;
// its status says which step failed.
#include "file_replacement.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <vector>

#include "capture_stdout.h"
#include "child_process.h"
#include "test_files.h"

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace fs = std::filesystem;

namespace {

// 5,000 bytes: larger than a stdio buffer of 4,096 bytes.
const byte_vector new_bytes = [] {
    byte_vector bytes(5000);
    for (size_t i = 0; i < bytes.size(); i++)
        bytes[i] = static_cast<unsigned char>(i * 7 + i / 256);
    return bytes;
}();
// 1,776 bytes: fits a stdio buffer whole, so only the close writes it.
const byte_vector small_bytes(1776, 0x33);
const byte_vector old_bytes(2000, 0x55);

std::string listing_of(const std::string& dir)
{
    return folder_listing(dir, {{&new_bytes, "new"}, {&small_bytes, "small"}, {&old_bytes, "old"}});
}

void write_old(const std::string& path)
{
    write_file(path, old_bytes);
}

const char* step_name(file_step step)
{
    static const char* const names[] = {"none",   "open", "seek_end", "seek_set", "too_large",
                                        "memory", "read", "write",    "busy",     "journal"};
    return names[step];
}

std::string many_names_taken_listing()
{
    std::vector<std::string> lines = {"image 5000 bytes (new)"};
    for (int n = 0; n < 150; n++)
        lines.push_back("image.new" + std::to_string(n) + " 5 bytes");
    std::sort(lines.begin(), lines.end());
    std::string out;
    for (const std::string& line : lines)
        out += line + "\n";
    return out;
}

struct replace_case {
    const char* name;
    std::function<void(const std::string& dir)> setup;
    const char* target;  // relative to the folder
    const byte_vector* bytes;
    file_step failed;     // file_step_none: replaced
    std::string listing;  // the folder afterwards; %d: the folder's path
};

const byte_vector nothing;

const replace_case replace_cases[] = {
    {"a new file", nullptr, "image", &new_bytes, file_step_none, "image 5000 bytes (new)\n"},
    {"an existing longer file is replaced whole",
     [](const std::string& dir) { write_old(dir + "/image"); }, "image", &small_bytes,
     file_step_none, "image 1776 bytes (small)\n"},
    {"names of other files are passed over for the new file",
     [](const std::string& dir) {
         write_old(dir + "/image");
         write_file(dir + "/image.new0", std::string("keep"));
         fs::create_directory(dir + "/image.new1");
     },
     "image", &new_bytes, file_step_none,
     "image 5000 bytes (new)\nimage.new0 4 bytes\nimage.new1/\n"},
    {"a hundred and fifty new names taken",
     [](const std::string& dir) {
         write_old(dir + "/image");
         for (int n = 0; n < 150; n++)
             write_file(dir + "/image.new" + std::to_string(n), std::string("taken"));
     },
     "image", &new_bytes, file_step_none, many_names_taken_listing()},
    {"a folder that does not exist", nullptr, "missing/image", &new_bytes, file_step_open, ""},
    {"a folder that is a file", [](const std::string& dir) { write_old(dir + "/plain"); },
     "plain/image", &new_bytes, file_step_open, "plain 2000 bytes (old)\n"},
    {"a target that is a folder with a file in it",
     [](const std::string& dir) {
         fs::create_directory(dir + "/image");
         write_old(dir + "/image/inside");
     },
     "image", &new_bytes, file_step_open, "image/\nimage/inside 2000 bytes (old)\n"},
    {"a target that is an empty folder",
     [](const std::string& dir) { fs::create_directory(dir + "/image"); }, "image", &new_bytes,
     file_step_open, "image/\n"},
    {"no bytes leave the old file", [](const std::string& dir) { write_old(dir + "/image"); },
     "image", &nothing, file_step_write, "image 2000 bytes (old)\n"},
    {"no bytes make no file", nullptr, "image", &nothing, file_step_write, ""},
#ifndef _WIN32
    // Links: the link stays and the file it names is replaced; a relative
    // link is taken from its own folder.
    {"a dangling link at the first new name is skipped",
     [](const std::string& dir) {
         write_old(dir + "/image");
         fs::create_symlink("elsewhere", dir + "/image.new0");
     },
     "image", &new_bytes, file_step_none, "image 5000 bytes (new)\nimage.new0 -> elsewhere\n"},
    {"a link to a file",
     [](const std::string& dir) {
         write_old(dir + "/real");
         fs::create_symlink("real", dir + "/image");
     },
     "image", &new_bytes, file_step_none, "image -> real\nreal 5000 bytes (new)\n"},
    {"a link to a link to a file in a subfolder",
     [](const std::string& dir) {
         fs::create_directory(dir + "/sub");
         write_old(dir + "/sub/real");
         fs::create_symlink("sub/real", dir + "/middle");
         fs::create_symlink("middle", dir + "/image");
     },
     "image", &new_bytes, file_step_none,
     "image -> middle\nmiddle -> sub/real\nsub/\nsub/real 5000 bytes (new)\n"},
    {"an absolute link",
     [](const std::string& dir) {
         fs::create_directory(dir + "/sub");
         write_old(dir + "/sub/real");
         fs::create_symlink(dir + "/sub/real", dir + "/image");
     },
     "image", &new_bytes, file_step_none,
     "image -> %d/sub/real\nsub/\nsub/real 5000 bytes (new)\n"},
    {"a relative link in a subfolder",
     [](const std::string& dir) {
         fs::create_directory(dir + "/sub");
         write_old(dir + "/real");
         fs::create_symlink("../real", dir + "/sub/image");
     },
     "sub/image", &new_bytes, file_step_none,
     "real 5000 bytes (new)\nsub/\nsub/image -> ../real\n"},
    {"a dangling link makes the file it names",
     [](const std::string& dir) { fs::create_symlink("real", dir + "/image"); }, "image",
     &new_bytes, file_step_none, "image -> real\nreal 5000 bytes (new)\n"},
    {"a dangling link into a folder that does not exist",
     [](const std::string& dir) { fs::create_symlink("missing/real", dir + "/image"); }, "image",
     &new_bytes, file_step_open, "image -> missing/real\n"},
    {"a link to a folder",
     [](const std::string& dir) {
         fs::create_directory(dir + "/sub");
         fs::create_symlink("sub", dir + "/image");
     },
     "image", &new_bytes, file_step_open, "image -> sub\nsub/\n"},
    {"a loop of links",
     [](const std::string& dir) {
         fs::create_symlink("other", dir + "/image");
         fs::create_symlink("image", dir + "/other");
     },
     "image", &new_bytes, file_step_open, "image -> other\nother -> image\n"},
    {"a named pipe is no file to replace",
     [](const std::string& dir) { mkfifo((dir + "/image").c_str(), 0644); }, "image", &new_bytes,
     file_step_open, "image |\n"},
    {"no bytes through a link leave the file it names",
     [](const std::string& dir) {
         write_old(dir + "/real");
         fs::create_symlink("real", dir + "/image");
     },
     "image", &nothing, file_step_write, "image -> real\nreal 2000 bytes (old)\n"},
#endif
};

TEST(ReplaceFile, WritesTheWholeFileOrLeavesTheOldFileAsItWas)
{
    for (const replace_case& c : replace_cases) {
        SCOPED_TRACE(c.name);
        temp_dir dir;
        if (c.setup)
            c.setup(dir.path());
        std::string target = dir.file(c.target);
        int result = 0;
        file_status status = {file_step_read, -9};
        std::string out = capture_stdout([&] {
            result = replace_file(target.c_str(), c.bytes->data(), c.bytes->size(), &status);
        });
        EXPECT_EQ(result, c.failed == file_step_none ? 0 : -1);
        EXPECT_STREQ(step_name(status.failed), step_name(c.failed));
        EXPECT_EQ(status.error_number != 0, c.failed == file_step_open);
        EXPECT_EQ(out, "");
        EXPECT_EQ(listing_of(dir.path()), with_paths(c.listing, target, dir.path()));
    }
}

// Staged files stay beside their targets until they are committed or
// abandoned; abandoning leaves every target as it was.
TEST(ReplaceFile, StagesSeveralFilesThenCommitsOrAbandonsThem)
{
    for (bool commit : {false, true}) {
        SCOPED_TRACE(commit ? "commit" : "abandon");
        temp_dir dir;
        write_old(dir.file("a"));
        file_replacement staged[2];
        file_status status;
        ASSERT_EQ(stage_file_replacement(dir.file("a").c_str(), new_bytes.data(), new_bytes.size(),
                                         &staged[0], &status),
                  0);
        ASSERT_EQ(stage_file_replacement(dir.file("b").c_str(), small_bytes.data(),
                                         small_bytes.size(), &staged[1], &status),
                  0);
        EXPECT_EQ(listing_of(dir.path()),
                  "a 2000 bytes (old)\na.new0 5000 bytes (new)\nb.new0 1776 bytes (small)\n");
        std::vector<bool> existed = {staged[0].existed, staged[1].existed};
        EXPECT_EQ(existed, (std::vector<bool>{true, false}));
        for (file_replacement& r : staged) {
            if (commit)
                EXPECT_EQ(commit_file_replacement(&r, &status), 0);
            else
                abandon_file_replacement(&r);
            EXPECT_EQ(r.target, nullptr);
            EXPECT_EQ(r.new_name, nullptr);
        }
        EXPECT_EQ(listing_of(dir.path()),
                  commit ? "a 5000 bytes (new)\nb 1776 bytes (small)\n" : "a 2000 bytes (old)\n");
    }
}

#ifndef _WIN32
// The replacement takes the permissions of the file it replaces, also
// through a link, whatever the process's file creation mask.
TEST(ReplaceFile, KeepsThePermissionsOfTheReplacedFile)
{
    struct row {
        fs::perms mode;
        bool through_link;
    };
    // clang-format off
    const row rows[] = {
        {fs::perms(0600), false},
        {fs::perms(0640), false},
        {fs::perms(0666), false},
        {fs::perms(0755), false},
        {fs::perms(0600), true},
    };
    // clang-format on
    for (const row& r : rows) {
        SCOPED_TRACE(mode_text(r.mode));
        temp_dir dir;
        std::string real = dir.file("real");
        write_old(real);
        fs::permissions(real, r.mode);
        std::string target = real;
        if (r.through_link) {
            target = dir.file("image");
            fs::create_symlink("real", target);
        }
        file_status status;
        EXPECT_EQ(replace_file(target.c_str(), new_bytes.data(), new_bytes.size(), &status), 0);
        EXPECT_EQ(listing_of(dir.path()) + mode_text(fs::status(real).permissions()),
                  std::string(r.through_link ? "image -> real\n" : "") + "real 5000 bytes (new)\n" +
                      mode_text(r.mode));
    }
}

// As root the replacement also takes the owner and group of the file it
// replaces; the permissions come after them, so set-id bits survive.
TEST(ReplaceFile, AsRootKeepsTheOwnerAndGroupOfTheReplacedFile)
{
    if (geteuid() != 0)
        GTEST_SKIP() << "only root may give a file to another owner";
    struct row {
        fs::perms mode;
        bool through_link;
    };
    const row rows[] = {
        {fs::perms(0640), false}, {fs::perms(06755), false}, {fs::perms(0600), true}};
    for (const row& r : rows) {
        SCOPED_TRACE(mode_text(r.mode));
        temp_dir dir;
        std::string real = dir.file("real");
        write_old(real);
        ASSERT_EQ(chown(real.c_str(), 12345, 23456), 0);
        fs::permissions(real, r.mode);
        std::string target = real;
        if (r.through_link) {
            target = dir.file("image");
            fs::create_symlink("real", target);
        }
        file_status status;
        EXPECT_EQ(replace_file(target.c_str(), new_bytes.data(), new_bytes.size(), &status), 0);
        struct stat replaced = {};
        ASSERT_EQ(stat(real.c_str(), &replaced), 0);
        EXPECT_EQ(listing_of(dir.path()) + mode_text(fs::status(real).permissions()) + " " +
                      std::to_string(replaced.st_uid) + ":" + std::to_string(replaced.st_gid),
                  std::string(r.through_link ? "image -> real\n" : "") + "real 5000 bytes (new)\n" +
                      mode_text(r.mode) + " 12345:23456");
    }
}

struct child_case {
    const char* name;
    std::function<void(const std::string& dir)> setup;  // the folder is 0777 before
    const char* target;
    const byte_vector* bytes;
    long size_limit;
    std::string out;
    std::string listing;
};

// Runs each case's replacement in a child and compares the result and step
// it printed and the folder afterwards.
void expect_child_cases(const child_case* cases, size_t count, bool unprivileged)
{
    for (size_t i = 0; i < count; i++) {
        const child_case& c = cases[i];
        SCOPED_TRACE(c.name);
        temp_dir dir;
        fs::permissions(dir.path(), fs::perms(0777));
        if (c.setup)
            c.setup(dir.path());
        std::string target = dir.file(c.target);
        std::string out = run_in_child(unprivileged, c.size_limit, [&] {
            file_status status;
            int result = replace_file(target.c_str(), c.bytes->data(), c.bytes->size(), &status);
            printf("result %d %s\n", result, step_name(status.failed));
        });
        fs::permissions(dir.path(), fs::perms(0700));
        EXPECT_EQ(out, c.out);
        EXPECT_EQ(listing_of(dir.path()), c.listing);
    }
}

// A file size limit makes the new file come up short: in fwrite for bytes
// larger than the stdio buffer, in fclose for fewer. The new file goes,
// the old one stays.
TEST(ReplaceFile, AShortWriteOrAFailedCloseLeavesTheOldFileAsItWas)
{
    auto old_file = [](const std::string& dir) { write_old(dir + "/image"); };
    // clang-format off
    const child_case cases[] = {
        {"short write",               old_file, "image", &new_bytes,   1000, "result -1 write\nexit 0\n", "image 2000 bytes (old)\n"},
        {"failed close",              old_file, "image", &small_bytes, 1000, "result -1 write\nexit 0\n", "image 2000 bytes (old)\n"},
        {"failed close, no old file", nullptr,  "image", &small_bytes, 1000, "result -1 write\nexit 0\n", ""},
        {"exactly the limit",         old_file, "image", &small_bytes, 1776, "result 0 none\nexit 0\n",   "image 1776 bytes (small)\n"},
    };
    // clang-format on
    expect_child_cases(cases, std::size(cases), false);
}

// As an ordinary user: a target that does not open for update is refused
// before anything is made, also behind a link; a folder that takes no new
// file refuses the replacement; a file of another user that is open to all
// is replaced.
TEST(ReplaceFile, AsAnOrdinaryUserRefusesWhatTheUserMayNotWrite)
{
    std::string why = no_unprivileged_user();
    if (!why.empty())
        GTEST_SKIP() << "no unprivileged user to test with: " << why;
    auto with_mode = [](const char* name, unsigned mode) {
        return [=](const std::string& dir) {
            write_old(dir + "/" + name);
            fs::permissions(dir + "/" + name, fs::perms(mode));
        };
    };
    auto read_only_behind_link = [=](const std::string& dir) {
        with_mode("real", 0444)(dir);
        fs::create_symlink("real", dir + "/image");
    };
    auto read_only_folder = [=](const std::string& dir) {
        with_mode("image", 0666)(dir);
        fs::permissions(dir, fs::perms(0555));
    };
    // clang-format off
    const child_case cases[] = {
        {"read-only target",                with_mode("image", 0444), "image", &new_bytes, -1, "result -1 open\nexit 0\n", "image 2000 bytes (old)\n"},
        {"target nobody may touch",         with_mode("image", 0000), "image", &new_bytes, -1, "result -1 open\nexit 0\n", "image 2000 bytes (old)\n"},
        {"read-only target behind a link",  read_only_behind_link,    "image", &new_bytes, -1, "result -1 open\nexit 0\n", "image -> real\nreal 2000 bytes (old)\n"},
        {"read-only folder",                read_only_folder,         "image", &new_bytes, -1, "result -1 open\nexit 0\n", "image 2000 bytes (old)\n"},
        {"another user's file open to all", with_mode("image", 0666), "image", &new_bytes, -1, "result 0 none\nexit 0\n",  "image 5000 bytes (new)\n"},
    };
    // clang-format on
    expect_child_cases(cases, std::size(cases), true);
}
#endif

}  // namespace
