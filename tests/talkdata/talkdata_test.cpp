// talkdata as a user runs it: exports against the listing tools, compare,
// disks, and imports whose results are read back, refused or checked by
// other tools.
#include <gtest/gtest.h>

#include <filesystem>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "cp932.h"
#include "d88_builder.h"
#include "fat12_builder.h"
#include "host_programs.h"
#include "storage_write.h"
#include "talk_records.h"
#include "talkdata_runs.h"
#include "test_files.h"

namespace {

struct edition_sample {
    const char* name;
    const char* input;   // in the sample folder
    const char* lister;  // the listing tool of the edition
};

const edition_sample samples[] = {
    {"dos", "dos", TALKDIR_PATH},
    {"apple2", "velktown.dsk", TALKDSK_PATH},
    {"pc8801", "velk-towne.d88", TALKD88_PATH},
    {"x68000", "velk-britannia.xdf", TALKXDF_PATH},
};

// A listing tool's output as UTF-8 with line feeds.
std::string listing_in_utf8(const edition_sample& sample, const std::string& folder = "")
{
    process_result listing =
        run_process(sample.lister, {sample.input}, folder.empty() ? sample_folder() : folder);
    EXPECT_EQ(listing.exit_code, 0) << sample.lister;
    std::string text;
    for (char c : listing.out)
        if (c != '\r')
            text += c;
    return cp932_text_to_utf8(text.c_str());
}

TEST(Talkdata, TextExportIsTheListingInUtf8)
{
    for (const edition_sample& sample : samples) {
        process_result exported = talkdata({"export", sample.input});
        EXPECT_EQ(exported.exit_code, 0) << sample.name << exported.err;
        EXPECT_EQ(exported.out, listing_in_utf8(sample)) << sample.name;
    }
    // --help is no error; a wrong command line is one of usage.
    EXPECT_EQ(talkdata({"export", "--help"}).exit_code, 0);
    EXPECT_EQ(talkdata({"export"}).exit_code, 2);
    EXPECT_EQ(talkdata({"export", "--format", "xml", "dos"}).exit_code, 2);
}

// The listing's block of a record, made from its JSON fields.
std::string listing_block(const nlohmann::json& record, bool japanese)
{
    static const char* const english[] = {
        "\tname:\t", "\tpronoun:\t", "\tlook:\t", "\tjob:\t",          "\thealth:\t", "\tword1:\t",
        "\t\t",      "\tword2:\t",   "\t\t",      "\tquestion:\n\t\t", "\tyes:\t",    "\tno:\t"};
    static const char* const japanese_labels[] = {
        "\t名前:\t", "\t代名詞:\t", "\t見る:\t", "\t仕事:\t", "\tからだ:\t", "\t会話1:\t",
        "\t\t",      "\t会話2:\t",  "\t\t",      "\t質問:\t", "\tはい:\t",   "\tいいえ:\t"};
    static const char* const names[] = {"name",   "pronoun",  "look",   "job",
                                        "health", "keyword1", "reply1", "keyword2",
                                        "reply2", "question", "yes",    "no"};
    std::string block = "[" + record["town_label"].get<std::string>() + "][" +
                        std::to_string(record["person"].get<int>()) + "]\n\t\t";
    for (size_t i = 0; i < record["header"].size(); i++) {
        char hex[4];
        snprintf(hex, sizeof hex, "%02X", record["header"][i].get<int>());
        block += (i > 0 ? " " : "") + std::string(hex);
    }
    block += "\n";
    auto field = [&](int slot) {
        std::string text = record["fields"][names[slot]].get<std::string>();
        block += japanese ? japanese_labels[slot] : english[slot];
        for (size_t i = 0; i < text.size(); i++)
            block +=
                text[i] == '\n' && i + 1 < text.size() ? std::string("\n\t\t") : text.substr(i, 1);
        block += "\n";
    };
    std::string after = record["question_after"].get<std::string>();
    for (int slot = 0; slot <= 8; slot++) {
        field(slot);
        if (after == names[slot])
            for (int q = 9; q < 12; q++)
                field(q);
    }
    return block + "\n";
}

TEST(Talkdata, TextExportShowsAppleIiKeywordsAsTheListingDoes)
{
    // Stored keywords with a space inside: the listing ends each at its
    // first space, and so does the text export.
    temp_dir dir;
    write_file(
        dir.file("kw.dsk"), make_dsk_image(make_talk_buffer(talk_edition::apple2, [](int, int) {
            return make_talk_record(talk_edition::apple2, {0, 0, 0, 0},
                                    {"A", "", "", "", "", "AB CD", "", " X", "", "", "", ""});
        })));
    process_result exported = talkdata({"export", "kw.dsk"}, dir.path());
    EXPECT_EQ(exported.exit_code, 0) << exported.err;
    EXPECT_EQ(exported.out, listing_in_utf8({"apple2", "kw.dsk", TALKDSK_PATH}, dir.path()));
}

TEST(Talkdata, JsonExportReadsBackAsTheListingsFields)
{
    for (const edition_sample& sample : samples) {
        process_result exported = talkdata({"export", "--format", "json", sample.input});
        ASSERT_EQ(exported.exit_code, 0) << sample.name << exported.err;
        nlohmann::json document = nlohmann::json::parse(exported.out);
        EXPECT_EQ(document["edition"], sample.name);
        EXPECT_EQ(document["input"], sample.input);
        ASSERT_EQ(document["records"].size(), 256u) << sample.name;
        bool japanese =
            std::string(sample.name) == "pc8801" || std::string(sample.name) == "x68000";
        std::string listing;
        for (const nlohmann::json& record : document["records"])
            listing += listing_block(record, japanese);
        EXPECT_EQ(listing, listing_in_utf8(sample)) << sample.name;
    }
}

TEST(Talkdata, CompareShowsOnlyRealDifferences)
{
    process_result japanese = talkdata({"compare", "velk-towne.d88", "velk-britannia.xdf"});
    EXPECT_EQ(japanese.exit_code, 0);
    EXPECT_EQ(japanese.out, "town\ttown_label\tperson\tfield\ta\tb\n");
    EXPECT_EQ(japanese.err, text_output("talkdata: compared 256 records, 3072 fields: 0 fields in "
                                        "0 records differ\n"));

    process_result english = talkdata({"compare", "dos", "velktown.dsk"});
    EXPECT_EQ(english.exit_code, 1);
    std::string rows = "town\ttown_label\tperson\tfield\ta\tb\n";
    const int persons[][2] = {{0, 0}, {2, 5}, {4, 10}, {6, 15}, {9, 4}, {11, 9}, {13, 14}};
    for (const auto& person : persons)
        rows += tsv_row(person[0], person[1], "no", "As thou wilt.\tAS YOU WISH.");
    EXPECT_EQ(english.out, rows);
    EXPECT_EQ(english.err, text_output("talkdata: compared 256 records, 3072 fields: 7 fields in 7 "
                                       "records differ\n"));

    process_result trouble = talkdata({"compare", "dos", "missing.dsk"});
    EXPECT_EQ(trouble.exit_code, 2);
}

TEST(Talkdata, DisksListsEachDiskAndTheErrorOfADamagedOne)
{
    byte_vector talk = make_talk_buffer(talk_edition::pc8801, [](int, int) {
        return make_talk_record(talk_edition::pc8801, {0, 1, 2, 3},
                                {"\x41", "", "", "", "", "", "", "", "", "", "", ""});
    });
    d88_disk_builder towne = make_d88_talk_disk(talk);
    towne.name = {'T', 'O', 'W', 'N', 'E'};
    d88_disk_builder damaged;
    damaged.name = {'B', 'A', 'D'};
    damaged.write_protect = 0x10;
    damaged.track_offsets[3] = 700;  // past the disk's end
    d88_disk_builder blank;
    blank.name = {'D', 'A', 'T', 'A', 0x09};
    blank.media_type = 0x20;
    blank.add_track(0, make_d88_track(0, 0, 1, 2, 1, 0xE5));
    temp_dir dir;
    write_file(dir.file("three.d88"), d88_file({towne.bytes(), damaged.bytes(), blank.bytes()}));

    process_result disks = talkdata({"disks", "three.d88"}, dir.path());
    EXPECT_EQ(disks.exit_code, 1);
    EXPECT_EQ(
        disks.out,
        "index\tname\tprotected\tmedia\tbytes\ttracks\tsectors\ttalk data\n"
        // 16 talk tracks and the four tracks around them, 16 sectors each; slot
        // 0's empty track holds none.
        "0\tTOWNE\tno\t2D\t" +
            std::to_string(towne.end()) +
            "\t20\t320\tyes\n"
            "1\tBAD\tyes\t2D\t688\t-\t-\terror: illegal data: [BAD] track 3 offset = 0x000002BC\n"
            "2\tDATA{09}\tno\t2HD\t" +
            std::to_string(blank.end()) + "\t1\t2\tno\n");
    EXPECT_EQ(disks.err, text_output("talkdata: three.d88: a disk is damaged: export and import "
                                     "read every disk of an image and stop at it, whichever disk "
                                     "they are given\n"));
}

struct import_case {
    const char* input;
    const char* format;
};

// Export, import the unchanged export to a new path: the same bytes.
void expect_unchanged_round_trip(const std::string& folder, const std::string& input,
                                 const std::vector<std::string>& options = {})
{
    for (const char* format : {"json", "tsv"}) {
        std::vector<std::string> args = {"export", "--format", format};
        args.insert(args.end(), options.begin(), options.end());
        args.push_back(input);
        process_result exported = talkdata(args, folder);
        ASSERT_EQ(exported.exit_code, 0) << input << exported.err;
        std::string edits = folder + "/edits." + format;
        std::string output = folder + "/out-" + input + "." + format;
        write_file(edits, exported.out);
        args = {"import", edits, input, "--output", output};
        args.insert(args.end(), options.begin(), options.end());
        process_result imported = talkdata(args, folder);
        EXPECT_EQ(imported.exit_code, 0) << input << " " << format << imported.err;
        if (input == "dos")
            for (const char* name : dos_town_file_names)
                EXPECT_EQ(read_file(output + "/" + name), read_file(folder + "/dos/" + name))
                    << name;
        else
            EXPECT_EQ(read_file(output), read_file(folder + "/" + input)) << input << " " << format;
    }
}

TEST(Talkdata, UnchangedExportsImportToTheSameBytes)
{
    for (const edition_sample& sample : samples) {
        temp_dir dir;
        ASSERT_TRUE(make_samples_in(dir.path()));
        expect_unchanged_round_trip(dir.path(), sample.input);
    }
    // Records with bytes behind their last NUL, on a multi-disk image laid
    // out unlike the writer's layout.
    byte_vector talk = make_talk_buffer(talk_edition::pc8801, [](int, int person) {
        return make_raw_talk_record(talk_edition::pc8801,
                                    {static_cast<unsigned char>(person % 7), 0, 0, 0},
                                    {"\x41", "\xB1", "", "", "", "", "", "", "", "", "", ""}, 0x5A);
    });
    temp_dir dir;
    write_file(dir.file("multi.d88"), d88_file_with_gaps(talk));
    expect_unchanged_round_trip(dir.path(), "multi.d88", {"-i", "1"});

    // The other editions' records with bytes behind their last NUL.
    auto records = [](talk_edition edition) {
        return [edition](int, int person) {
            byte_vector header = {static_cast<unsigned char>(person % 7), 1, 2, 3};
            if (edition == talk_edition::dos)
                header.pop_back();
            return make_raw_talk_record(edition, header,
                                        {"A", "B", "", "", "", "", "", "", "", "", "", ""}, 0x5A);
        };
    };
    std::filesystem::create_directory(dir.file("dos"));
    write_town_files(dir.file("dos"),
                     make_talk_buffer(talk_edition::dos, records(talk_edition::dos)));
    write_file(dir.file("a.dsk"), make_dsk_image(make_talk_buffer(talk_edition::apple2,
                                                                  records(talk_edition::apple2))));
    write_file(dir.file("b.xdf"), make_talk_xdf_image(records(talk_edition::x68000)));
    for (const char* input : {"dos", "a.dsk", "b.xdf"})
        expect_unchanged_round_trip(dir.path(), input);
}

// A field's new text in each edition, the TSV row that sets it, and the
// row of the export afterwards.
struct change_case {
    const char* input;
    const char* text;      // as the EDITS row holds it
    const char* exported;  // as the export shows it afterwards
    std::string listed;    // the job's lines as the listing tool prints them, in UTF-8
};

TEST(Talkdata, OneChangedFieldChangesExactlyThatField)
{
    const change_case cases[] = {
        {"dos", "Thou art welcome{21}\\nTruly.", "Thou art welcome!\\nTruly.",
         "\tjob:\tThou art welcome!\n\t\tTruly.\n"},
        {"velktown.dsk", "I WEAVE.\\nNO MORE.", "I WEAVE.\\nNO MORE.",
         "\tjob:\tI WEAVE.\n\t\tNO MORE.\n"},
        {"velk-towne.d88", "ダンジョン{60}", "タ゛ンシ゛ョン{60}", "\t仕事:\tタ゛ンシ゛ョン＠\n"},
        {"velk-britannia.xdf", "漢字① Ab", "漢字①　Ａｂ", "\t仕事:\t漢字①　Ａｂ\n"},
    };
    for (const change_case& c : cases) {
        temp_dir dir;
        ASSERT_TRUE(make_samples_in(dir.path()));
        std::string before = talkdata({"export", "--format", "tsv", c.input}, dir.path()).out;
        write_file(dir.file("edit.tsv"), tsv_header + tsv_row(12, 3, "job", c.text));
        const edition_sample* sample = nullptr;
        for (const edition_sample& candidate : samples)
            if (std::string(candidate.input) == c.input)
                sample = &candidate;
        std::string before_listing = listing_in_utf8(*sample, dir.path());
        byte_vector stored =
            read_file(dir.file(c.input == std::string("dos") ? "dos/PAWS.TLK" : c.input));
        process_result dry =
            talkdata({"import", "--dry-run", "--in-place", "edit.tsv", c.input}, dir.path());
        EXPECT_EQ(read_file(dir.file(c.input == std::string("dos") ? "dos/PAWS.TLK" : c.input)),
                  stored);
        process_result imported =
            talkdata({"import", "--in-place", "edit.tsv", c.input}, dir.path());
        EXPECT_EQ(imported.exit_code, 0) << c.input << imported.err;
        // The dry run told what the import then did.
        size_t free_end = dry.out.find(" bytes free\n");
        ASSERT_NE(free_end, std::string::npos) << dry.out;
        EXPECT_EQ(dry.out,
                  dry.out.substr(0, free_end) +
                      " bytes free\n1 record, 1 field would change; nothing written (dry run)\n");
        EXPECT_EQ(imported.out, dry.out.substr(0, free_end) +
                                    " bytes free\n1 record, 1 field "
                                    "changed; written to " +
                                    c.input + "\n");
        EXPECT_EQ(dry.out.rfind("[Paws][3]", 0), 0u) << dry.out;
        std::string after = talkdata({"export", "--format", "tsv", c.input}, dir.path()).out;
        std::string row_start = tsv_row(12, 3, "job", "");
        row_start.pop_back();
        size_t at = before.find(row_start);
        ASSERT_NE(at, std::string::npos);
        std::string expected =
            before.substr(0, at) + row_start + c.exported + before.substr(before.find('\n', at));
        EXPECT_EQ(after, expected) << c.input;
        // The listing tool lists the result in full, and only the job's lines changed.
        std::string after_listing = listing_in_utf8(*sample, dir.path());
        size_t job = before_listing.find(c.listed.substr(0, c.listed.find(':') + 2),
                                         before_listing.find("[Paws][3]\n"));
        size_t job_end = job;
        do
            job_end = before_listing.find('\n', job_end) + 1;
        while (before_listing.compare(job_end, 2, "\t\t") == 0);
        EXPECT_EQ(after_listing,
                  before_listing.substr(0, job) + c.listed + before_listing.substr(job_end))
            << c.input;
    }
}

struct refusal_case {
    const char* input;
    std::vector<std::string> options;  // before EDITS and INPUT
    std::string edits;
    std::string errors;  // standard error, "E" standing for the edits file's name
};

TEST(Talkdata, ImportListsEveryProblemAndWritesNothing)
{
    const std::string long_text(300, 'X');
    const refusal_case cases[] = {
        {"velktown.dsk",
         {"--in-place"},
         tsv_header + tsv_row(12, 3, "job", long_text) + tsv_row(0, 1, "name", "lower") +
             tsv_row(0, 2, "keyword1", "SEVENXX") + "16\tX\t0\tname\tA\n" +
             "1\tThe Lycaeum\t0\tjobs\tA\\q\n" + "2\tPaws\t99\tno\tA\n" + "3\tPaws\t0\tno\tA\n" +
             tsv_row(0, 0, "yes", "FINE."),
         "E: line 5, column 1: town '16' does not exist (0 to 15)\n"
         "E: line 6, column 17: field 'jobs' does not exist\n"
         "E: line 6, column 23: unknown escape (\\\\, \\t, \\n and \\r are known)\n"
         "E: line 7, column 8: person '99' does not exist (0 to 15)\n"
         "E: line 8, column 3: town 3 is Serpent's Hold, not Paws\n"
         "E: line 3: [Castle of Lord Varnel][1] name, character 1: 'l' (U+006C): the Apple II "
         "edition has capital letters only\n"
         "E: line 4: [Castle of Lord Varnel][2] keyword1, character 7: a keyword holds at most 6 "
         "characters, this one 7\n"
         "E: line 2: [Paws][3] job: 228 bytes over the record's 239 bytes of text\n"
         "E: 8 problems: nothing written\n"},
        {"velk-britannia.xdf",
         {"--in-place"},
         R"({"records": [{"town": 3, "person": 5, "header": [7, 0, 0, 0]}, {"town": 3, )"
         R"("person": 5, "feilds": {}, "fields": {"job": "ｱ"}}, {"town": 4, "person": 1, )"
         R"("header": [1, 2]}]})",
         "E: line 1, column 89: records[1]: unknown key 'feilds' (a misspelt one would be "
         "ignored)\n"
         "E: records[1]: [Serpent's Hold][5] job, character 1: 'ｱ' (U+FF71) is half-width "
         "katakana, which the X68000 edition cannot store\n"
         "E: records[0]: [Serpent's Hold][5] header: question flag 7 is not 0 to 6 or 10\n"
         "E: records[2]: [Moonglow][1] header: 2 bytes, the record has 4\n"
         "E: 4 problems: nothing written\n"},
        {"velk-towne.d88",
         {"--output", "new.d88"},
         "{\"records\": [\n  {\"town\": 1,, }]}",
         "E: malformed JSON at line 2, column 14: syntax error while parsing object key - "
         "unexpected ','; expected string literal\nE: 1 problem: nothing written\n"},
        {"velk-towne.d88",
         {"--in-place"},
         R"({"edition": "pc8801", "disk": 1, "records": []})",
         "E: line 1, column 31: disk: the edits are of disk 1, the input's disk 0 is chosen (-i)\n"
         "E: 1 problem: nothing written\n"},
        {"velk-towne.d88",
         {"--in-place"},
         tsv_header + tsv_row(1, 1, "look", "ながい　漢字"),
         "E: line 2: [The Lycaeum][1] 10/01/02 look, character 5: '漢' (U+6F22) is not a "
         "character of the PC-8801 edition\nE: 1 problem: nothing written\n"},
        {"dos",
         {"--in-place"},
         R"({"edition": "x68000", "records": []})",
         "E: line 1, column 13: edition: the edits are for the x68000 edition, the input is of the "
         "dos edition\n"
         "E: 1 problem: nothing written\n"},
        {"dos",
         {"--in-place"},
         "",
         "E: the file holds no edits, not even a header row\n"
         "E: 1 problem: nothing written\n"},
        {"dos",
         {"--dry-run", "--output", "velktown.dsk"},
         tsv_header,
         "velktown.dsk: exists already: --output writes a new file or folder\n"},
        // A record that fails its checks, and storage of another edition, are
        // not written over.
        {"velk-britannia.xdf",
         {"--in-place", "--edition", "apple2"},
         tsv_header + tsv_row(0, 0, "name", "A"),
         "velk-britannia.xdf: illegal data [Castle of Lord Varnel][0]: name: byte 0x90 at offset "
         "2 is not a character of the Apple II edition\nvelk-britannia.xdf: nothing written\n"},
    };
    for (const refusal_case& c : cases) {
        temp_dir dir;
        ASSERT_TRUE(make_samples_in(dir.path()));
        const std::string edits = c.edits.empty() || c.edits[0] == '{' ? "edits.json" : "edits.tsv";
        write_file(dir.file(edits), c.edits);
        std::vector<std::string> args = {"import"};
        args.insert(args.end(), c.options.begin(), c.options.end());
        args.push_back(edits);
        args.push_back(c.input);
        byte_vector before =
            read_file(dir.file(c.input == std::string("dos") ? "dos/PAWS.TLK" : c.input));
        process_result refused = talkdata(args, dir.path());
        std::string expected;
        for (size_t at = 0, end; at < c.errors.size(); at = end + 1) {
            end = c.errors.find('\n', at);
            std::string line = c.errors.substr(at, end - at);
            expected +=
                "talkdata: " + (line.compare(0, 3, "E: ") == 0 ? edits + line.substr(1) : line) +
                "\n";
        }
        EXPECT_EQ(refused.exit_code, 1) << c.errors;
        EXPECT_EQ(refused.out, "");
        EXPECT_EQ(refused.err, text_output(expected));
        EXPECT_EQ(read_file(dir.file(c.input == std::string("dos") ? "dos/PAWS.TLK" : c.input)),
                  before);
        EXPECT_FALSE(path_exists(dir.file("new.d88")));
    }
}

TEST(Talkdata, ImportedImagesPassOtherTools)
{
    std::string fsck = find_host_program("fsck.fat");
    std::string mtype = find_host_program("mtype");
    std::string floptool = find_host_program("floptool");
    if (fsck.empty() || mtype.empty() || floptool.empty())
        GTEST_SKIP() << "fsck.fat, mtype or floptool is not installed";
    temp_dir dir;
    ASSERT_TRUE(make_samples_in(dir.path()));
    write_file(dir.file("edit.tsv"), tsv_header + tsv_row(5, 2, "reply1", "新しい 返事"));
    for (const char* input : {"velk-britannia.xdf", "velk-towne.d88"})
        ASSERT_EQ(talkdata({"import", "--in-place", "edit.tsv", input}, dir.path()).exit_code,
                  input == std::string("velk-towne.d88") ? 1 : 0);
    EXPECT_EQ(run_process(fsck, {"-n", "velk-britannia.xdf"}, dir.path()).exit_code, 0);
    process_result typed =
        run_process(mtype, {"-i", "velk-britannia.xdf", "::TALKDATA.BIN"}, dir.path());
    EXPECT_EQ(typed.exit_code, 0);
    EXPECT_EQ(typed.out.size(), 131072u);
    write_file(dir.file("kana.tsv"), tsv_header + tsv_row(5, 2, "reply1", "あたらしい　へんし゛"));
    ASSERT_EQ(
        talkdata({"import", "--in-place", "kana.tsv", "velk-towne.d88"}, dir.path()).exit_code, 0);
    process_result identified = run_process(floptool, {"identify", "velk-towne.d88"}, dir.path());
    EXPECT_EQ(identified.exit_code, 0);
    EXPECT_NE(identified.out.find("d88"), std::string::npos) << identified.out;
}

}  // namespace

namespace {

struct telling_case {
    const char* name;    // the input's name
    const char* source;  // the sample it is made of, or "" for zeros
    size_t size;         // bytes of the source kept (0: all), or of zeros
    std::string start;   // bytes put over its start
    const char* told;    // the edition it is read as, or "" where it fails
    std::string errors;  // standard error, "E" standing for the name
};

TEST(Talkdata, TheContentsTellTheEditionBeforeTheName)
{
    // Bytes that begin as a D88 disk header does, whose track offsets are
    // a record's texts.
    const std::string header_like = std::string(0x1C, '\0') + std::string("\x00\x10\x00\x00", 4);
    const telling_case cases[] = {
        {"image.d88", "velk-britannia.xdf", 0, "", "x68000", ""},
        {"image.xdf", "velk-towne.d88", 0, "", "pc8801", ""},
        {"plain.img", "", 70000, "", "apple2", ""},
        {"texts.dsk", "", 70000, header_like + "AAAAAAAA", "apple2", ""},
        // Where the contents fit no image, the name tells, so that a
        // damaged image is reported as what it is.
        {"cut.d88", "velk-towne.d88", 200000, "", "",
         "E: illegal data: [TOWNE           ] disk size = 0x000552B0\nE: read disk 1 error\n"
         "E: not a readable D88 image\n"},
        {"zeros.xdf", "", 70000, "", "",
         "E: unsupported image 'zeros.xdf'\nE: not a readable FAT12 image\n"},
        {"tiny", "", 100, "", "",
         "E: 100 bytes: too short for any edition's talk data (name the edition with --edition)\n"},
    };
    for (const telling_case& c : cases) {
        temp_dir dir;
        byte_vector bytes(c.size, 0);
        if (*c.source != '\0') {
            bytes = read_file(sample_folder() + "/" + c.source);
            if (c.size > 0)
                bytes.resize(c.size);
        }
        std::copy(c.start.begin(), c.start.end(), bytes.begin());
        write_file(dir.file(c.name), bytes);
        process_result exported = talkdata({"export", "--format", "json", c.name}, dir.path());
        std::string errors;
        for (size_t at = 0; at < c.errors.size(); at = c.errors.find('\n', at) + 1)
            errors +=
                std::string(c.name) + c.errors.substr(at + 1, c.errors.find('\n', at) + 1 - at - 1);
        EXPECT_EQ(exported.err, talkdata_lines(errors)) << c.name;
        if (*c.told != '\0') {
            EXPECT_EQ(exported.exit_code, 0) << c.name;
            EXPECT_EQ(nlohmann::json::parse(exported.out)["edition"], c.told) << c.name;
        } else {
            EXPECT_EQ(exported.exit_code, 1) << c.name;
        }
    }
}

}  // namespace
