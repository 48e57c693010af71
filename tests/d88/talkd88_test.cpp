// talkd88 run as a process: command line, choice of the disk, every final
// line, and whole listings compared byte for byte with bodies written out
// by hand.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "d88_builder.h"
#include "run_process.h"
#include "talk_records.h"
#include "test_files.h"

namespace {

// clang-format off
const char* const expected_town_labels[16] = {
    "Castle of Lord Varnel", "The Lycaeum", "Empath Abbey", "Serpent's Hold",
    "Moonglow",              "Britain",     "Jhelom",       "Yew",
    "Minoc",                 "Trinsic",     "Skara Brae",   "Magincia",
    "Paws",                  "Buccaneer's Den", "Vesper",   "Cove",
};
// clang-format on

// The Japanese labels as their Shift-JIS bytes.
const std::string name_label = "\t\x96\xBC\x91\x4F:\t";
const std::string pronoun_label = "\t\x91\xE3\x96\xBC\x8E\x8C:\t";
const std::string look_label = "\t\x8C\xA9\x82\xE9:\t";
const std::string job_label = "\t\x8E\x64\x8E\x96:\t";
const std::string health_label = "\t\x82\xA9\x82\xE7\x82\xBE:\t";
const std::string word1_label =
    "\t\x89\xEF\x98\x62"
    "1:\t";
const std::string word2_label =
    "\t\x89\xEF\x98\x62"
    "2:\t";
const std::string reply_label = "\t\t";
const std::string question_label = "\t\x8E\xBF\x96\xE2:\t";
const std::string yes_label = "\t\x82\xCD\x82\xA2:\t";
const std::string no_label = "\t\x82\xA2\x82\xA2\x82\xA6:\t";

// Four kinds of record, person p using kind p % 4. The name (game codes
// A-P for the town, two digits for the person) is filled in per record;
// the body lines after it are written out as the listing must show them.
struct record_kind {
    byte_vector header;
    talk_slot_texts codes;  // slot 0 (the name) unused
    std::string body;       // the lines after the name line
};

const talk_slot_texts codes_a = {"",         "\xB6\xDA", "\x91\x0A\x92", "\x7E",
                                 "\xB1\x0A", "\x41\x42", "\x30\x39",     "\x5A",
                                 "\xA1",     "\x3F",     "\xCA",         "\xB2\xB2\xB4"};

const std::string pronoun_a = pronoun_label + "\x82\xA9\x82\xEA\n";
const std::string look_a = look_label + "\x83\x41\n\t\t\x83\x43\n";
const std::string job_a = job_label + "?\n";
const std::string health_a = health_label + "\x82\xA0\n\n";
const std::string words_a = word1_label + "\x82\x60\x82\x61\n" + reply_label + "\x82\x4F\x82\x58\n";
const std::string words2_a = word2_label + "\x82\x79\n" + reply_label + "\x81\x42\n";
const std::string question_a = question_label + "\x81\x48\n" + yes_label + "\x82\xCD\n" + no_label +
                               "\x82\xA2\x82\xA2\x82\xA6\n";

const record_kind record_kinds[4] = {
    // Flag 0: the question after keyword 2's reply.
    {{0x00, 0x01, 0x02, 0x03},
     codes_a,
     pronoun_a + look_a + job_a + health_a + words_a + words2_a + question_a},
    // Flag 1: right after the pronoun; an empty look, a reply that is one
    // line break.
    {{0x01, 0xFF, 0x10, 0x20},
     {"", "\xB6\xC9", "", "\x96\x98", "\x20", "\x61\x7A", "\x0A", "\x5B\x5D", "\xB0", "\xA2\xA3",
      "\x86", "\xDD"},
     pronoun_label + "\x82\xA9\x82\xCC\n" + question_label + "\x81\x75\x81\x76\n" + yes_label +
         "\x83\x92\n" + no_label + "\x82\xF1\n" + look_label + "\n" + job_label +
         "\x83\x4A\x83\x4E\n" + health_label + "\x81\x40\n" + word1_label + "\x82\x81\x82\x9A\n" +
         reply_label + "\n\n" + word2_label + "\x81\x6D\x81\x6E\n" + reply_label + "\x81\x5B\n"},
    // Flag 5: after keyword 1's reply.
    {{0x05, 0x00, 0x00, 0x00},
     codes_a,
     pronoun_a + look_a + job_a + health_a + words_a + question_a + words2_a},
    // Flag 10: after keyword 2's reply, like 0.
    {{0x0A, 0x12, 0x34, 0x56},
     codes_a,
     pronoun_a + look_a + job_a + health_a + words_a + words2_a + question_a},
};

byte_vector talk_record(int town, int person)
{
    const record_kind& kind = record_kinds[person % 4];
    talk_slot_texts texts = kind.codes;
    texts[0] = {static_cast<char>(0x41 + town), static_cast<char>(0x30 + person / 10),
                static_cast<char>(0x30 + person % 10)};
    return make_talk_record(talk_edition::pc8801, kind.header, texts);
}

std::string hex2(unsigned value)
{
    const char digits[] = "0123456789ABCDEF";
    return {digits[(value >> 4) & 15], digits[value & 15]};
}

// Heading and header line of a record.
std::string expected_heading(int town, int person)
{
    const byte_vector& header = record_kinds[person % 4].header;
    return "[" + std::string(expected_town_labels[town]) + "][" + std::to_string(person) +
           "]\n\t\t" + hex2(header[0]) + " " + hex2(header[1]) + " " + hex2(header[2]) + " " +
           hex2(header[3]) + "\n";
}

std::string expected_record(int town, int person)
{
    // Full-width A-P and digits: 82 60 + n and 82 4F + n.
    std::string name = {'\x82', static_cast<char>(0x60 + town),
                        '\x82', static_cast<char>(0x4F + person / 10),
                        '\x82', static_cast<char>(0x4F + person % 10)};
    return expected_heading(town, person) + name_label + name + "\n" +
           record_kinds[person % 4].body + "\n";
}

// The listing of the first count records.
std::string expected_listing(int count)
{
    std::string out;
    for (int index = 0; index < count; index++)
        out += expected_record(index / 16, index % 16);
    return out;
}

byte_vector talk_buffer()
{
    return make_talk_buffer(talk_edition::pc8801, talk_record);
}

using track_edit = std::function<void(int town, d88_track_image& track)>;

byte_vector talk_disk(const track_edit& edit = {}, const byte_vector& buffer = talk_buffer())
{
    return make_d88_talk_disk(buffer, edit).bytes();
}

// Edits the sector of one record.
track_edit edit_record(int town, int person, std::function<void(d88_sector_image&)> change)
{
    return [=](int t, d88_track_image& track) {
        if (t == town)
            change(track[static_cast<size_t>(person)]);
    };
}

byte_vector with_flag(int town, int person, unsigned char flag)
{
    byte_vector buffer = talk_buffer();
    buffer[static_cast<size_t>(16 * town + person) * 256] = flag;
    return buffer;
}

// Talk tracks listed in the table in reverse slot order, each with its
// sectors in reverse order, and one sector longer than 256 bytes.
byte_vector shuffled_disk()
{
    d88_disk_builder disk = make_d88_talk_disk(talk_buffer(), [](int town, d88_track_image& t) {
        std::reverse(t.begin(), t.end());
        if (town == 2)
            t[0].data.resize(300, 0xFF);
    });
    std::reverse(disk.track_offsets.begin() + talk_track_slot(0),
                 disk.track_offsets.begin() + talk_track_slot(15) + 1);
    return disk.bytes();
}

// The record of town 0, person 15 only in a later slot of the same C/H.
byte_vector second_slot_disk()
{
    d88_disk_builder disk = make_d88_talk_disk(talk_buffer(), [](int town, d88_track_image& track) {
        if (town == 0)
            track.pop_back();
    });
    byte_vector buffer = talk_buffer();
    d88_sector_image moved = make_d88_track(0x10, 0, 16, 1, 1, 0)[0];
    moved.data.assign(buffer.begin() + 15 * 256, buffer.begin() + 16 * 256);
    disk.add_track(100, {moved});
    return disk.bytes();
}

const char usage[] =
    "usage: talkd88 [options] [towne-disk.d88]\n"
    "option: -i|--index INDEX    specify index # of multiple disks image\n"
    "        -?|--help           print usage\n"
    "\n"
    "read Towne disk image from 'velk-towne.d88' if not specified\n";

class Talkd88 : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        files = std::make_unique<temp_dir>();
        auto put = [](const char* name, const byte_vector& bytes) {
            write_file(files->file(name), bytes);
        };
        put("velk-towne.d88", talk_disk());
        put("towne.d88", d88_file({talk_disk([](int town, d88_track_image& track) {
                                       if (town == 0) {
                                           for (auto& sector : track)
                                               sector.record =
                                                   static_cast<uint8_t>(sector.record + 16);
                                       }
                                   }),
                                   talk_disk(), talk_disk({}, with_flag(0, 0, 7))}));
        d88_disk_builder damaged;
        damaged.name = {'S', 'E', 'C', 'O', 'N', 'D'};
        damaged.write_protect = 0x01;
        put("damaged.d88", d88_file({talk_disk(), damaged.bytes()}));
        put("short.d88", byte_vector(100, 0));
        put("missing.d88", talk_disk([](int town, d88_track_image& track) {
                if (town == 3)
                    track.erase(track.begin() + 5);
            }));
        d88_disk_builder no_town4 = make_d88_talk_disk(talk_buffer());
        no_town4.track_offsets[static_cast<size_t>(talk_track_slot(4))] = 0;
        put("no-town-track.d88", no_town4.bytes());
        put("size-code.d88",
            talk_disk(edit_record(15, 15, [](d88_sector_image& s) { s.size_code = 2; })));
        put("short-sector.d88",
            talk_disk(edit_record(0, 1, [](d88_sector_image& s) { s.data.resize(255); })));
        put("flag.d88", talk_disk({}, with_flag(9, 10, 7)));
        byte_vector bad_text = talk_buffer();
        bad_text[(16 * 5 + 0) * 256 + 5] = 0x80;  // the name's second code
        put("text.d88", talk_disk({}, bad_text));
        put("shuffled.d88", shuffled_disk());
        put("second-slot.d88", second_slot_disk());
        empty = std::make_unique<temp_dir>();
    }
    static void TearDownTestSuite()
    {
        files.reset();
        empty.reset();
    }
    static std::unique_ptr<temp_dir> files;
    static std::unique_ptr<temp_dir> empty;
};

std::unique_ptr<temp_dir> Talkd88::files;
std::unique_ptr<temp_dir> Talkd88::empty;

struct run_case {
    std::vector<std::string> args;
    int exit_code;
    std::string out;
};

void expect_runs(const std::string& cwd, const std::vector<run_case>& cases)
{
    for (const run_case& c : cases) {
        std::string line;
        for (const std::string& arg : c.args)
            line += " '" + arg + "'";
        SCOPED_TRACE("talkd88" + line);
        process_result result = run_process(TALKD88_PATH, c.args, cwd);
        EXPECT_EQ(result.exit_code, c.exit_code);
        EXPECT_EQ(result.out, text_output(c.out));
        EXPECT_EQ(result.err, "");
    }
}

const std::string full_listing = expected_listing(256);

TEST_F(Talkd88, ListsAValidDiskInFull)
{
    expect_runs(files->path(), {
                                   {{}, 0, full_listing},
                                   {{"shuffled.d88"}, 0, full_listing},
                               });
}

TEST_F(Talkd88, SelectsTheDiskByItsIndex)
{
    const std::string disk0 = "error: read sector 10/00/01\nerror: print talk data 'towne.d88':0\n";
    expect_runs(files->path(),
                {
                    {{"towne.d88"}, 1, disk0},
                    {{"-i", "", "towne.d88"}, 1, disk0},
                    {{"-i", "1", "towne.d88"}, 0, full_listing},
                    {{"towne.d88", "-i", "0x1"}, 0, full_listing},
                    {{"-i", "01", "towne.d88"}, 0, full_listing},
                    {{"--index", " +1", "towne.d88"}, 0, full_listing},
                    {{"-i", "5", "-i", "0X2", "towne.d88"},
                     1,
                     "error: illegal data 10/00/01\nerror: print talk data 'towne.d88':2\n"},
                    {{"-i", "3", "towne.d88"}, 1, "error: illegal image index 'towne.d88':3\n"},
                    {{"towne.d88", "-i", "2147483647"},
                     1,
                     "error: illegal image index 'towne.d88':2147483647\n"},
                    {{"short.d88"},
                     1,
                     "data size too short ... garbage? ... ignored\n"
                     "error: illegal image index 'short.d88':0\n"},
                });
}

TEST_F(Talkd88, RefusesBadCommandLinesBeforeTouchingAFile)
{
    expect_runs(
        empty->path(),
        {
            {{"-?"}, 1, usage},
            {{"--help", "x.d88"}, 1, usage},
            {{"-?", "a.d88", "b.d88"}, 1, usage},
            {{"x.d88", "-?"}, 1, usage},
            {{"a.d88", "b.d88"}, 1, "error: illegal parameter 'b.d88'\n"},
            {{"-x", "a.d88"}, 1, "error: illegal option '-x'\n"},
            {{"-"}, 1, "error: illegal option '-'\n"},
            {{"--index=1"}, 1, "error: illegal option '--index=1'\n"},
            {{"-i"}, 1, "no image index\n"},
            {{"a.d88", "--index"}, 1, "no image index\n"},
            {{"-i", "1x"}, 1, "error: illegal image index '1x'\n"},
            {{"-i", "-1"}, 1, "error: illegal image index '-1'\n"},
            {{"-i", "08"}, 1, "error: illegal image index '08'\n"},
            {{"-i", "0x80000000"}, 1, "error: illegal image index '0x80000000'\n"},
            {{"-i", "2147483648"}, 1, "error: illegal image index '2147483648'\n"},
            {{"-i", "4294967297"}, 1, "error: illegal image index '4294967297'\n"},
            {{"-i", "0x100000000"}, 1, "error: illegal image index '0x100000000'\n"},
            {{"-i", "99999999999999999999999"},
             1,
             "error: illegal image index '99999999999999999999999'\n"},
            {{"-i", "-?"}, 1, "error: illegal image index '-?'\n"},
            {{"-i", "1x", "-?"}, 1, "error: illegal image index '1x'\n"},
            {{}, 1, "open error 'velk-towne.d88'\nerror: read d88 image 'velk-towne.d88'\n"},
            {{""}, 1, "open error ''\nerror: read d88 image ''\n"},
        });
}

TEST_F(Talkd88, StopsAtTheFirstBadImageOrRecord)
{
    expect_runs(
        files->path(),
        {
            {{"damaged.d88"},
             1,
             "illegal data: [SECOND] write protect flag = 0x01\nread disk 2 error\n"
             "read image data error 'damaged.d88'\nerror: read d88 image 'damaged.d88'\n"},
            {{"missing.d88"},
             1,
             expected_listing(3 * 16 + 5) +
                 "error: read sector 11/01/06\nerror: print talk data 'missing.d88':0\n"},
            {{"no-town-track.d88"},
             1,
             expected_listing(4 * 16) +
                 "error: read sector 12/00/01\nerror: print talk data 'no-town-track.d88':0\n"},
            {{"size-code.d88"},
             1,
             expected_listing(255) +
                 "error: read sector 17/01/10\nerror: print talk data 'size-code.d88':0\n"},
            {{"short-sector.d88"},
             1,
             expected_listing(1) +
                 "error: read sector 10/00/02\nerror: print talk data 'short-sector.d88':0\n"},
            {{"second-slot.d88"},
             1,
             expected_listing(15) +
                 "error: read sector 10/00/10\nerror: print talk data 'second-slot.d88':0\n"},
            {{"flag.d88"},
             1,
             expected_listing(9 * 16 + 10) +
                 "error: illegal data 14/01/0B\nerror: print talk data 'flag.d88':0\n"},
            {{"text.d88"},
             1,
             expected_listing(5 * 16) + expected_heading(5, 0) +
                 "error: illegal data 12/01/01\nerror: print talk data 'text.d88':0\n"},
        });
}

// A freshly formatted disk from another tool: its sectors hold 0xE5, so
// the first record already has an invalid question flag.
TEST(Talkd88FormattedDisk, StopsAtItsFirstRecord)
{
    std::string dir = shared_fixtures_dir();
    if (dir.empty())
        GTEST_SKIP() << "no shared fixtures";
    expect_runs(dir, {
                         {{"formatted-2d.d88"},
                          1,
                          "error: illegal data 10/00/01\n"
                          "error: print talk data 'formatted-2d.d88':0\n"},
                         {{"-i", "1", "formatted-2d.d88"},
                          1,
                          "error: illegal image index 'formatted-2d.d88':1\n"},
                     });
}

}  // namespace
