// talkdata import at its edges, each behaviour one table: a record filled
// to its last byte, the bytes an import writes, edits refused before
// anything is written, malformed edits files and refused runs, a write
// that fails, and kana whose marks join.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "d88_builder.h"
#include "fat12_builder.h"
#include "talk_records.h"
#include "talkdata_runs.h"
#include "test_files.h"

namespace {

struct budget_case {
    const char* input;
    const char* record;  // as the messages name [Paws][3]
    unsigned room;       // the record's bytes of text
    const char* x;       // what the export shows of an X
};

TEST(TalkdataImport, ATextThatFillsItsRecordImportsAndOneByteMoreIsRefused)
{
    const budget_case cases[] = {
        {"dos", "[Paws][3]", 285, "X"},
        {"velktown.dsk", "[Paws][3]", 239, "X"},
        {"velk-towne.d88", "[Paws][3] 16/00/04", 252, "Ｘ"},
        {"velk-britannia.xdf", "[Paws][3]", 508, "Ｘ"},
    };
    for (const budget_case& c : cases) {
        temp_dir dir;
        ASSERT_TRUE(make_samples_in(dir.path()));
        write_file(dir.file("one.tsv"), tsv_header + tsv_row(12, 3, "job", "X"));
        process_result dry =
            talkdata({"import", "--dry-run", "--in-place", "one.tsv", c.input}, dir.path());
        unsigned free_bytes = 0;
        ASSERT_EQ(sscanf(dry.out.c_str() + dry.out.find("; ") + 2, "%u", &free_bytes), 1)
            << dry.out;

        const std::string full(free_bytes + 1, 'X');
        write_file(dir.file("full.tsv"), tsv_header + tsv_row(12, 3, "job", full));
        process_result filled =
            talkdata({"import", "--output", "full", "full.tsv", c.input}, dir.path());
        EXPECT_EQ(filled.exit_code, 0) << c.input << filled.err;
        EXPECT_EQ(filled.out,
                  std::string(c.record) +
                      ": job; 0 bytes free\n1 record, 1 field changed; written to full\n");
        std::string shown;
        for (size_t i = 0; i < full.size(); i++)
            shown += c.x;
        std::string exported = talkdata({"export", "--format", "tsv", "full"}, dir.path()).out;
        EXPECT_NE(exported.find(tsv_row(12, 3, "job", shown)), std::string::npos) << c.input;

        write_file(dir.file("over.tsv"), tsv_header + tsv_row(12, 3, "job", full + "X"));
        process_result over =
            talkdata({"import", "--output", "over", "over.tsv", c.input}, dir.path());
        EXPECT_EQ(over.exit_code, 1);
        EXPECT_EQ(over.err,
                  talkdata_lines("over.tsv: line 2: " + std::string(c.record) +
                                 " job: 1 byte over the record's " + std::to_string(c.room) +
                                 " bytes of text\n"
                                 "over.tsv: 1 problem: nothing written\n"));
        EXPECT_FALSE(std::filesystem::exists(dir.file("over")));
    }
}

// One edition's storage built from 256 records, and read back as bytes.
struct storage_case {
    const char* name;
    talk_edition edition;
    const char* input;
    std::vector<std::string> options;
    std::function<void(const std::string& path, const byte_vector& talk)> write;
};

// The record of town 12, person 3 in a buffer of 256 records.
byte_vector::iterator paws_3(byte_vector& talk, talk_edition edition)
{
    return talk.begin() + static_cast<long>((12 * 16 + 3) * talk_layout(edition).record_size);
}

// Every file of a storage, one after the other.
byte_vector stored_bytes(const std::string& path)
{
    if (!std::filesystem::is_directory(path))
        return read_file(path);
    byte_vector bytes;
    for (const char* name : dos_town_file_names) {
        byte_vector file = read_file(path + "/" + name);
        bytes.insert(bytes.end(), file.begin(), file.end());
    }
    return bytes;
}

TEST(TalkdataImport, WritesTheChangedRecordAloneWithZerosBehindItsTexts)
{
    const storage_case cases[] = {
        {"DOS",
         talk_edition::dos,
         "dos",
         {},
         [](const std::string& path, const byte_vector& talk) {
             std::filesystem::create_directory(path);
             write_town_files(path, talk);
         }},
        {"Apple II",
         talk_edition::apple2,
         "a.dsk",
         {},
         [](const std::string& path, const byte_vector& talk) {
             write_file(path, make_dsk_image(talk));
         }},
        {"PC-8801 in the writer's layout",
         talk_edition::pc8801,
         "p.d88",
         {},
         [](const std::string& path, const byte_vector& talk) {
             write_file(path, d88_file({make_d88_talk_disk(talk).bytes()}));
         }},
        {"PC-8801 with gaps between its tracks",
         talk_edition::pc8801,
         "gaps.d88",
         {"-i", "1"},
         [](const std::string& path, const byte_vector& talk) {
             write_file(path, d88_file_with_gaps(talk));
         }},
        {"X68000",
         talk_edition::x68000,
         "x.xdf",
         {},
         [](const std::string& path, const byte_vector& talk) {
             write_file(path, make_talk_xdf_image(talk));
         }},
    };
    for (const storage_case& c : cases) {
        const talk_edition edition = c.edition;
        auto header = [edition](int town, int person) {
            byte_vector bytes = {static_cast<unsigned char>(person % 7),
                                 static_cast<unsigned char>(town),
                                 static_cast<unsigned char>(person), 3};
            if (edition == talk_edition::dos)
                bytes.pop_back();
            return bytes;
        };
        byte_vector talk = make_talk_buffer(edition, [&](int town, int person) {
            return make_raw_talk_record(edition, header(town, person),
                                        {"A", "B", "", "", "", "", "", "", "", "", "", ""}, 0x5A);
        });
        // The changed record's text area as a new record's: its texts
        // packed, zeros behind them; every byte outside it stays.
        const talk_record_layout& layout = talk_layout(edition);
        byte_vector changed = talk;
        byte_vector record = make_talk_record(
            edition, header(12, 3), {"A", "B", "", "NEW", "", "", "", "", "", "", "", ""});
        std::copy(record.begin() + static_cast<long>(layout.text_offset),
                  record.begin() + static_cast<long>(layout.text_end),
                  paws_3(changed, edition) + static_cast<long>(layout.text_offset));

        temp_dir dir;
        c.write(dir.file(c.input), talk);
        c.write(dir.file("expected"), changed);
        write_file(dir.file("edit.tsv"), tsv_header + tsv_row(12, 3, "job", "NEW"));
        std::vector<std::string> args = {"import", "--in-place", "edit.tsv", c.input};
        args.insert(args.end(), c.options.begin(), c.options.end());
        process_result imported = talkdata(args, dir.path());
        EXPECT_EQ(imported.exit_code, 0) << c.name << imported.err;
        EXPECT_EQ(stored_bytes(dir.file(c.input)), stored_bytes(dir.file("expected"))) << c.name;
    }
}

struct refused_case {
    const char* input;
    const char* edits_name;
    std::string edits;
    std::string errors;  // standard error without "talkdata: "
};

// Each case: the exit code 1, the whole standard error, nothing written.
void expect_refused(const refused_case& c)
{
    temp_dir dir;
    ASSERT_TRUE(make_samples_in(dir.path()));
    write_file(dir.file(c.edits_name), c.edits);
    const std::string stored = c.input == std::string("dos") ? "dos/PAWS.TLK" : c.input;
    byte_vector before = read_file(dir.file(stored));
    process_result refused = talkdata({"import", "--in-place", c.edits_name, c.input}, dir.path());
    EXPECT_EQ(refused.exit_code, 1) << c.errors;
    EXPECT_EQ(refused.out, "");
    EXPECT_EQ(refused.err, talkdata_lines(c.errors));
    EXPECT_EQ(read_file(dir.file(stored)), before) << c.errors;
}

TEST(TalkdataImport, AFieldGivenTwiceIsRefused)
{
    const refused_case cases[] = {
        {"dos", "e.tsv", tsv_header + tsv_row(12, 3, "job", "A") + tsv_row(12, 3, "job", "B"),
         "e.tsv: line 3: [Paws][3] job: given twice\ne.tsv: 1 problem: nothing written\n"},
        {"velk-towne.d88", "e.json",
         R"({"records": [{"town": 1, "person": 2, "fields": {"job": "A"}},)"
         R"( {"town": 1, "person": 2, "fields": {"yes": "C", "job": "B"}}]})",
         "e.json: records[1]: [The Lycaeum][2] 10/01/03 job: given twice\n"
         "e.json: 1 problem: nothing written\n"},
    };
    for (const refused_case& c : cases)
        expect_refused(c);
}

TEST(TalkdataImport, TownsAndPersonsOutsideZeroToFifteenAreRefused)
{
    const refused_case cases[] = {
        {"dos", "e.json",
         R"({"records": [{"town": 16, "person": 0, "fields": {"job": "A"}}, {"town": 0, "person": 16},)"
         R"( {"town": -1, "person": 0}, {"town": 0, "person": -1}]})",
         "e.json: line 1, column 23: records[0].town: no town 0 to 15\n"
         "e.json: line 1, column 87: records[1].person: no person 0 to 15\n"
         "e.json: line 1, column 101: records[2].town: no town 0 to 15\n"
         "e.json: line 1, column 141: records[3].person: no person 0 to 15\n"
         "e.json: 4 problems: nothing written\n"},
        {"dos", "e.tsv",
         tsv_header + "16\tPaws\t0\tjob\tA\n" + "12\tPaws\t-1\tjob\tA\n" + "12\tPaws\t16\tjob\tA\n",
         "e.tsv: line 2, column 1: town '16' does not exist (0 to 15)\n"
         "e.tsv: line 3, column 9: person '-1' does not exist (0 to 15)\n"
         "e.tsv: line 4, column 9: person '16' does not exist (0 to 15)\n"
         "e.tsv: 3 problems: nothing written\n"},
    };
    for (const refused_case& c : cases)
        expect_refused(c);
}

TEST(TalkdataImport, TextsThatAreNoCharactersOfTheEditionAreRefusedByName)
{
    const refused_case cases[] = {
        {"dos", "e.tsv",
         tsv_header + tsv_row(12, 3, "job", "A\rB") + tsv_row(12, 3, "name", "A\xC3\x28") +
             tsv_row(12, 3, "look", "\xC0\xAF") + tsv_row(12, 3, "health", "\xE0\x80\x80") +
             tsv_row(12, 3, "yes", "AB\xED\xA0\x80"),
         "e.tsv: line 3: [Paws][3] name, character 2: byte 0xC3 starts no UTF-8 character\n"
         "e.tsv: line 4: [Paws][3] look, character 1: byte 0xC0 starts no UTF-8 character\n"
         "e.tsv: line 2: [Paws][3] job, character 2: U+000D is not a character of the DOS edition\n"
         "e.tsv: line 5: [Paws][3] health, character 1: byte 0xE0 starts no UTF-8 character\n"
         "e.tsv: line 6: [Paws][3] yes, character 3: byte 0xED starts no UTF-8 character\n"
         "e.tsv: 5 problems: nothing written\n"},
        {"dos", "e.json",
         "{\"records\": [{\"town\": 1, \"person\": 2, \"fields\": {\"job\": \"A\xC3\x28\"}}]}",
         "e.json: malformed JSON at line 1, column 60: syntax error while parsing value - invalid "
         "string: ill-formed UTF-8 byte; last read: '\"A{C3}('\n"
         "e.json: 1 problem: nothing written\n"},
        // What the messages quote of an edits file cannot act on a terminal.
        {"dos", "e.tsv",
         tsv_header + "12\tPaws\t3\tjo\x1B]0;b\a\tA\n" + "12\tPa\x9Bws\t3\tjob\tA\n",
         "e.tsv: line 2, column 11: field 'jo{1B}]0;b{07}' does not exist\n"
         "e.tsv: line 3, column 4: town 12 is Paws, not Pa{9B}ws\n"
         "e.tsv: 2 problems: nothing written\n"},
        {"velktown.dsk", "e.tsv", tsv_header + tsv_row(12, 3, "keyword1", "AB CD"),
         "e.tsv: line 2: [Paws][3] keyword1, character 3: a keyword ends at its first space, and "
         "this one goes on after it\ne.tsv: 1 problem: nothing written\n"},
        {"velk-britannia.xdf", "e.tsv", tsv_header + tsv_row(12, 3, "job", "{817F}"),
         "e.tsv: line 2: [Paws][3] job, character 1: {817F} is not a character of the X68000 "
         "edition\n"
         "e.tsv: 1 problem: nothing written\n"},
    };
    for (const refused_case& c : cases)
        expect_refused(c);
}

// A refused run: talkdata's arguments (or a shell command, $0 being
// talkdata), the edits file it reads, its whole standard error and exit
// code.
struct refused_run {
    std::vector<std::string> args;
    bool shell;
    std::string edits;  // written to e.json, or e.tsv when it starts as a TSV
    std::string errors;
    int exit_code;
};

// Every input of the samples, each file's bytes one after the other.
byte_vector every_sample(const temp_dir& dir)
{
    byte_vector bytes;
    for (const char* input : {"dos", "velktown.dsk", "velk-towne.d88", "velk-britannia.xdf"}) {
        byte_vector stored = stored_bytes(dir.file(input));
        bytes.insert(bytes.end(), stored.begin(), stored.end());
    }
    return bytes;
}

// TSV rows of one column each, as many as asked, and the lines that list
// their problems: the first 100, then how many more.
std::string bad_rows(int count)
{
    return tsv_header + [count] {
        std::string rows;
        for (int i = 0; i < count; i++)
            rows += "x\n";
        return rows;
    }();
}
std::string bad_row_lines(int count)
{
    std::string lines;
    for (int line = 2; line < 102; line++)
        lines += "e.tsv: line " + std::to_string(line) + ": 1 column, not 5\n";
    return lines + "e.tsv: and " + std::to_string(count - 100) +
           " more problems, not listed\ne.tsv: " + std::to_string(count) +
           " problems: nothing written\n";
}

TEST(TalkdataImport, MalformedEditsAndRefusedRunsWriteNothing)
{
    const std::vector<std::string> in_place = {"import", "--in-place", "e.json", "dos"};
    const std::string fits = tsv_header + tsv_row(0, 5, "name", "A");
    const std::string dos_label = "0\tX\t5\tname\tA\n";
    const refused_run runs[] = {
        {in_place, false, "{\"records\": []} x",
         "e.json: line 1, column 17: text after the end of the JSON document\n"
         "e.json: 1 problem: nothing written\n",
         1},
        {in_place, false, std::string("{\"records\": []}\n\0{\"records\": []}", 32),
         "e.json: line 2, column 1: a NUL byte after the JSON document\n"
         "e.json: 1 problem: nothing written\n",
         1},
        {in_place, false, std::string("{\"records\": [\0]}", 16),
         "e.json: line 1, column 14: a NUL byte in the JSON document\n"
         "e.json: 1 problem: nothing written\n",
         1},
        {in_place, false,
         "{\"edition\": \"dos\",\n \"edition\": \"dos\",\n \"input\": \"a\",\n \"input\": \"b\",\n"
         " \"disk\": null,\n \"disk\": null,\n \"records\": [{\"town\": 0,\n  \"town\": 1,\n"
         "  \"person\": 5,\n  \"person\": 6,\n  \"town_label\": \"Castle of Lord Varnel\",\n"
         "  \"town_label\": \"x\",\n  \"location\": {\"file\": \"LCB.TLK\",\n"
         "   \"file\": \"x\", \"offset\": 1440},\n  \"location\": 1,\n  \"header\": [1, 2, 3],\n"
         "  \"header\": [],\n  \"question_after\": \"pronoun\",\n  \"question_after\": \"x\",\n"
         "  \"fields\": {\"name\": \"A\",\n   \"name\": \"B\"},\n  \"fields\": {}}],\n"
         " \"records\": []}",
         "e.json: line 2, column 2: edition: given twice\n"
         "e.json: line 4, column 2: input: given twice\n"
         "e.json: line 6, column 2: disk: given twice\n"
         "e.json: line 8, column 3: records[0].town: given twice\n"
         "e.json: line 10, column 3: records[0].person: given twice\n"
         "e.json: line 12, column 3: records[0].town_label: given twice\n"
         "e.json: line 14, column 4: records[0].location.file: given twice\n"
         "e.json: line 15, column 3: records[0].location: given twice\n"
         "e.json: line 17, column 3: records[0].header: given twice\n"
         "e.json: line 19, column 3: records[0].question_after: given twice\n"
         "e.json: line 21, column 4: records[0].fields.name: given twice\n"
         "e.json: line 22, column 3: records[0].fields: given twice\n"
         "e.json: line 23, column 2: records: given twice\n"
         "e.json: 13 problems: nothing written\n",
         1},
        {in_place, false, "{\"records\": [{\"town\": 1e400, \"person\": 0}]}",
         "e.json: line 1, column 23: the number 1e400 is out of range\n"
         "e.json: 1 problem: nothing written\n",
         1},
        {in_place, false, "{\"records\": [{\"town\": 1e30, \"person\": 0}]}",
         "e.json: line 1, column 23: records[0].town: no town 0 to 15\n"
         "e.json: 1 problem: nothing written\n",
         1},
        {in_place, false,
         "{\"edition\": \"dos\",\n \"disk\": \"0\",\n \"records\": [{\"town\": 0, \"person\": 5,\n"
         "  \"question_after\": \"bogus\",\n  \"location\": \"x\",\n  \"town_label\": 5},\n"
         " {\"town\": 0, \"person\": 5, \"location\": {\"offset\": 1440}}]}",
         "e.json: line 2, column 10: disk: \"0\", but the DOS edition has no disks (its export "
         "holds null)\n"
         "e.json: line 6, column 17: records[0].town_label: town 0 is Castle of Lord Varnel, not "
         "5\n"
         "e.json: line 4, column 21: records[0].question_after: by its header's first byte, "
         "[Castle of Lord Varnel][5] asks its question after reply1, not \"bogus\"\n"
         "e.json: line 5, column 15: records[0].location: [Castle of Lord Varnel][5] lies at "
         "{\"file\": \"LCB.TLK\", \"offset\": 1440}, not at \"x\"\n"
         "e.json: line 7, column 39: records[1].location: [Castle of Lord Varnel][5] lies at "
         "{\"file\": \"LCB.TLK\", \"offset\": 1440}, not at {\"offset\": 1440}\n"
         "e.json: 5 problems: nothing written\n",
         1},
        {{"import", "--in-place", "e.json", "velktown.dsk"},
         false,
         "{\"disk\": 0, \"records\": []}",
         "e.json: line 1, column 10: disk: 0, but the Apple II edition has no disks (its export "
         "holds null)\ne.json: 1 problem: nothing written\n",
         1},
        {{"import", "--in-place", "e.json", "velk-towne.d88"},
         false,
         "{\"disk\": null, \"records\": []}",
         "e.json: line 1, column 10: disk: null is not a disk index (the input is disk 0 of a D88 "
         "image)\ne.json: 1 problem: nothing written\n",
         1},
#ifndef _WIN32
        // Standard input, as "-" and as a pipe named by its path.
        {{"cat e.tsv | \"$0\" import --in-place - dos"},
         true,
         tsv_header + dos_label,
         "standard input: line 2, column 3: town 0 is Castle of Lord Varnel, not X\n"
         "standard input: 1 problem: nothing written\n",
         1},
        {{"cat e.tsv | \"$0\" import --in-place /dev/stdin dos"},
         true,
         tsv_header + dos_label,
         "/dev/stdin: line 2, column 3: town 0 is Castle of Lord Varnel, not X\n"
         "/dev/stdin: 1 problem: nothing written\n",
         1},
#endif
        {{"import", "--in-place", "e.tsv", "dos"},
         false,
         tsv_header + std::string(16 << 20, 'x'),
         "e.tsv: larger than 16 MiB, which no export of the talk data is\n",
         1},
#ifndef _WIN32
        // Inputs that are no file or folder are refused before they are opened.
        {{"import", "--in-place", "e.tsv", "fifo"}, false, fits, "fifo: a FIFO, not an image\n", 1},
        {{"export", "/dev/null"}, false, "", "/dev/null: a character device, not an image\n", 1},
#endif
        // The disk option for an input without disks, named as it was given.
        {{"export", "-i", "0", "dos"},
         false,
         "",
         "dos: -i chooses a disk of a D88 image; this is the DOS edition\n",
         1},
        {{"import", "--index=0", "--dry-run", "--in-place", "e.tsv", "velktown.dsk"},
         false,
         fits,
         "velktown.dsk: --index chooses a disk of a D88 image; this is the Apple II edition\n",
         1},
        {{"compare", "--index-b", "0", "velk-towne.d88", "velk-britannia.xdf"},
         false,
         "",
         "velk-britannia.xdf: --index-b chooses a disk of a D88 image; this is the X68000 "
         "edition\n",
         2},
        {{"import", "--in-place", "e.tsv", "dos"}, false, bad_rows(150), bad_row_lines(150), 1},
        // A dry run checks the --output path as the import does.
        {{"import", "--dry-run", "--output", "missing/x", "e.tsv", "dos"},
         false,
         fits,
         "missing/x: cannot create it: No such file or directory\n",
         1},
        {{"import", "--output", "missing/x", "e.tsv", "dos"},
         false,
         fits,
         "missing/x: cannot create it: No such file or directory\n",
         1},
        {{"import", "--dry-run", "--output", "e.tsv/x", "e.tsv", "dos"},
         false,
         fits,
         "e.tsv/x: cannot create it: Not a directory\n",
         1},
    };
    for (const refused_run& run : runs) {
        temp_dir dir;
        // Entry by entry: the Windows library refuses a folder copied into
        // one that exists.
        for (const auto& entry : std::filesystem::directory_iterator(sample_folder()))
            std::filesystem::copy(entry.path(), dir.file(entry.path().filename().string()),
                                  std::filesystem::copy_options::recursive);
#ifndef _WIN32
        ASSERT_EQ(mkfifo(dir.file("fifo").c_str(), 0600), 0);
#endif
        write_file(dir.file(run.edits.compare(0, 4, "town") == 0 ? "e.tsv" : "e.json"),
                   byte_vector(run.edits.begin(), run.edits.end()));
        const byte_vector before = every_sample(dir);
        process_result refused =
            run.shell ? run_process("/bin/sh", {"-c", run.args[0], TALKDATA_PATH}, dir.path())
                      : talkdata(run.args, dir.path());
        EXPECT_EQ(refused.exit_code, run.exit_code) << run.errors;
        EXPECT_EQ(refused.out, "") << run.errors;
        EXPECT_EQ(refused.err, talkdata_lines(run.errors));
        EXPECT_EQ(every_sample(dir), before) << run.errors;
        EXPECT_FALSE(std::filesystem::exists(dir.file("missing")));
    }
}

TEST(TalkdataImport, AWriteThatFailsExitsWithOneInEveryEdition)
{
    temp_dir dir;
    ASSERT_TRUE(make_samples_in(dir.path()));
    write_file(dir.file("edit.tsv"), tsv_header + tsv_row(12, 3, "job", "A"));
    for (const char* input : {"dos", "velktown.dsk", "velk-towne.d88", "velk-britannia.xdf"}) {
        process_result failed =
            talkdata({"import", "--output", "missing/out", "edit.tsv", input}, dir.path());
        EXPECT_EQ(failed.exit_code, 1) << input;
        EXPECT_EQ(failed.out, "") << input;
        EXPECT_EQ(failed.err,
                  talkdata_lines("missing/out: cannot create it: No such file or directory\n"))
            << input;
    }
}

TEST(TalkdataImport, APc8801KanaAndItsVoicingMarkJoinAsTheX68000Kana)
{
    // Every name is ウ and ゛ on the PC-8801 disk, ヴ in the X68000 image;
    // every pronoun is Ａ in both.
    const std::vector<std::string> stored = {"\x93\xDE", "\x41", "", "", "", "",
                                             "",         "",     "", "", "", ""};
    byte_vector pc8801 = make_talk_buffer(talk_edition::pc8801, [&](int, int) {
        return make_raw_talk_record(talk_edition::pc8801, {0, 0, 0, 0}, stored);
    });
    temp_dir dir;
    write_file(dir.file("p.d88"), d88_file({make_d88_talk_disk(pc8801).bytes()}));
    write_file(dir.file("x.xdf"), make_talk_xdf_image([&](int, int) {
                   return make_raw_talk_record(
                       talk_edition::x68000, {0, 0, 0, 0},
                       {"\x83\x94", "\x41", "", "", "", "", "", "", "", "", "", ""});
               }));
    const char* const fields[] = {"name",   "pronoun",  "look",   "job",      "health", "keyword1",
                                  "reply1", "keyword2", "reply2", "question", "yes",    "no"};
    auto export_of = [&](const std::string& name) {
        std::string rows = tsv_header;
        for (int town = 0; town < 16; town++)
            for (int person = 0; person < 16; person++)
                for (int slot = 0; slot < 12; slot++)
                    rows += tsv_row(town, person, fields[slot],
                                    slot == 0   ? name
                                    : slot == 1 ? "Ａ"
                                                : "");
        return rows;
    };
    EXPECT_EQ(talkdata({"export", "--format", "tsv", "p.d88"}, dir.path()).out, export_of("ウ゛"));
    EXPECT_EQ(talkdata({"export", "--format", "tsv", "--join-marks", "p.d88"}, dir.path()).out,
              export_of("ヴ"));
    process_result compared = talkdata({"compare", "p.d88", "x.xdf"}, dir.path());
    EXPECT_EQ(compared.exit_code, 0);
    EXPECT_EQ(compared.out, "town\ttown_label\tperson\tfield\ta\tb\n");
    EXPECT_EQ(compared.err,
              talkdata_lines("compared 256 records, 3072 fields: 0 fields in 0 records differ\n"));
}

}  // namespace
