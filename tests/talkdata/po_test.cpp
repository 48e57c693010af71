// The PO format through the translators' real tools (gettext's msgfmt,
// msgcat and msgmerge, and translate-toolkit's PO library, as translation
// platforms save files), the reader's accepted and refused inputs, and the
// max-length bound of the English editions.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "host_programs.h"
#include "talkdata_runs.h"
#include "test_files.h"

namespace fs = std::filesystem;

namespace {

struct po_edition {
    const char* name;
    const char* input;      // in the sample folder
    const char* reference;  // another edition's input shown beside it
    const char* reference_edition;
    const char* language;
    const char* job;     // a translation of every job field, as a translator types it
    const char* stored;  // the same as the export writes it
};

const po_edition po_editions[] = {
    {"dos", "dos", "velk-towne.d88", "pc8801", "en", "I mend {6E}ets.", "I mend nets."},
    {"apple2", "velktown.dsk", "velk-britannia.xdf", "x68000", "en", "I MEND THE NETS.",
     "I MEND THE NETS."},
    // ASCII is stored as the full-width game codes, a voiced kana as the kana and its mark.
    {"pc8801", "velk-towne.d88", "dos", "dos", "ja", "ダ Nets.", "タ゛　Ｎｅｔｓ．"},
    {"x68000", "velk-britannia.xdf", "velktown.dsk", "apple2", "ja", "網 Nets.", "網　Ｎｅｔｓ．"},
};

// Debian's own Python with translate-toolkit (another Python on the PATH
// may not see it), or "".
std::string python_with_translate_toolkit()
{
    for (const std::string& python :
         {std::string("/usr/bin/python3"), find_host_program("python3")})
        if (!python.empty() && fs::exists(python) &&
            run_process(python, {"-c", "import translate.storage.pypo"}, ".").exit_code == 0)
            return python;
    return "";
}

// The bytes of a file, or of every file of a folder in name order.
std::string storage_bytes(const std::string& path)
{
    if (!fs::is_directory(path))
        return read_text_file(path);
    std::vector<std::string> names;
    for (const fs::directory_entry& entry : fs::directory_iterator(path))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    std::string bytes;
    for (const std::string& name : names)
        bytes += name + "\n" + read_text_file(path + "/" + name);
    return bytes;
}

// The TSV export with every job field replaced by job.
std::string with_jobs(const std::string& tsv, const std::string& job)
{
    std::string out;
    size_t start = 0;
    while (start < tsv.size()) {
        size_t end = tsv.find('\n', start) + 1;
        std::string row = tsv.substr(start, end - start);
        const size_t field = row.find("\tjob\t");
        if (field != std::string::npos)
            row = row.substr(0, field + 5) + job + "\n";
        out += row;
        start = end;
    }
    return out;
}

size_t count_of(const std::string& text, const std::string& what)
{
    size_t count = 0;
    for (size_t pos = text.find(what); pos != std::string::npos; pos = text.find(what, pos + 1))
        count++;
    return count;
}

TEST(TalkdataPo, RoundTripThroughGettextAndTranslateToolkit)
{
    const std::string msgfmt = find_host_program("msgfmt");
    const std::string msgcat = find_host_program("msgcat");
    const std::string msgmerge = find_host_program("msgmerge");
    const std::string msginit = find_host_program("msginit");
    const std::string python = python_with_translate_toolkit();
    if (msgfmt.empty() || msgcat.empty() || msgmerge.empty() || msginit.empty() || python.empty()) {
#ifndef _WIN32
        // In CI, which installs them, a missing tool is a failure, not a reason to skip.
        if (getenv("CI") != nullptr)
            FAIL() << "gettext or translate-toolkit (Debian's python3) is not installed";
#endif
        GTEST_SKIP() << "gettext or translate-toolkit (Debian's python3) is not installed";
    }
    temp_dir dir;
    for (const po_edition& edition : po_editions) {
        SCOPED_TRACE(edition.name);
        const std::string po = dir.file(std::string(edition.name) + ".po");
        process_result exported =
            talkdata({"export", "--format", "po", "--reference", edition.reference, edition.input});
        ASSERT_EQ(exported.exit_code, 0) << exported.err;
        write_file(po, exported.out);
        process_result check = run_process(msgfmt, {"--check", "-o", "/dev/null", po}, dir.path());
        EXPECT_EQ(check.exit_code, 0);
        EXPECT_EQ(check.err, "");  // no warning either
        // One entry per field that holds text, each with its budget; the
        // English editions' a max-length flag too.
        const size_t entries = count_of(exported.out, "\nmsgctxt ");
        EXPECT_EQ(count_of(exported.out, " free\n#") + count_of(exported.out, " of its own\n"),
                  entries);
        EXPECT_EQ(count_of(exported.out, "\n#, max-length:"),
                  std::string(edition.language) == "en" ? entries : 0);
        EXPECT_NE(exported.out.find("\"Language: " + std::string(edition.language) + "\\n\""),
                  std::string::npos);
        // The reference's job of the first record, a comment line for each of its lines.
        const std::string tsv =
            talkdata({"export", "--format", "tsv", "--join-marks", edition.reference}).out;
        const size_t job = tsv.find("\t0\tjob\t") + 7;
        std::string lines = "\n#. " + std::string(edition.reference_edition) + ": " +
                            tsv.substr(job, tsv.find('\n', job) - job) + "\n#: ";
        for (size_t at; (at = lines.find("\\n")) != std::string::npos;)
            lines.replace(at, 2, "\n#. " + std::string(edition.reference_edition) + ": ");
        const size_t block = exported.out.find(lines);
        ASSERT_NE(block, std::string::npos) << lines;
        EXPECT_EQ(exported.out.find("\nmsgctxt ", block),
                  exported.out.find("\nmsgctxt \"0/0/job\""));

        // A template for msginit, as any PO template is.
        const std::string started = dir.file(std::string(edition.name) + "-es.po");
        ASSERT_EQ(
            run_process(msginit, {"-i", po, "-o", started, "-l", "es_ES.UTF-8", "--no-translator"},
                        dir.path())
                .exit_code,
            0);
        EXPECT_EQ(run_process(msgfmt, {"--check", "-o", "/dev/null", started}, dir.path()).err, "");
        EXPECT_EQ(talkdata({"import", "--dry-run", "--in-place", started, edition.input}).out,
                  "0 records, 0 fields would change; nothing written (dry run)\n");

        const std::string translated = dir.file(std::string(edition.name) + "-done.po");
        ASSERT_EQ(
            run_process(python,
                        {TALK_SOURCE_DIR "/tests/talkdata/fill_po.py", po, translated, edition.job},
                        dir.path())
                .exit_code,
            0);
        const std::string out = dir.file(std::string(edition.name) + "-out");
        process_result imported = talkdata({"import", translated, edition.input, "--output", out});
        ASSERT_EQ(imported.exit_code, 0) << imported.err;
        const size_t looks = count_of(exported.out, "/look\"\n");
        EXPECT_NE(imported.out.find("\n" + std::to_string(looks) + " fuzzy entries skipped\n"),
                  std::string::npos)
            << imported.out;
        // The jobs changed, and nothing else.
        process_result before = talkdata({"export", "--format", "tsv", edition.input});
        process_result after = talkdata({"export", "--format", "tsv", out});
        EXPECT_EQ(after.out, with_jobs(before.out, edition.stored));

        // msgcat's re-wrapping and msgmerge's update against a new export
        // import to the same bytes; the same file again changes nothing.
        const std::string wrapped = dir.file(std::string(edition.name) + "-wrapped.po");
        const std::string merged = dir.file(std::string(edition.name) + "-merged.po");
        ASSERT_EQ(
            run_process(msgcat, {"--width=20", "-o", wrapped, translated}, dir.path()).exit_code,
            0);
        ASSERT_EQ(
            run_process(msgmerge, {"--quiet", "-o", merged, translated, po}, dir.path()).exit_code,
            0);
        for (const std::string& file : {wrapped, merged}) {
            const std::string again = file + "-out";
            EXPECT_EQ(talkdata({"import", file, edition.input, "--output", again}).exit_code, 0);
            EXPECT_EQ(storage_bytes(again), storage_bytes(out)) << file;
        }
        process_result twice = talkdata({"import", translated, out, "--in-place"});
        EXPECT_EQ(twice.exit_code, 0);
        EXPECT_EQ(twice.out.substr(twice.out.find('\n') + 1), "nothing changes; nothing written\n");
    }
}

struct po_reading {
    const char* what;
    std::string po;
    const char* out;  // of a dry run into the DOS sample
    const char* err;  // "%s" the file's path
};

// clang-format off
const po_reading po_readings[] = {
    {"many strings on one line", "msgctxt \"0/0/name\"\nmsgid \"Alda\"\nmsgstr \"Olda\"" + std::string(60000, ' ') + [] {
         std::string strings;
         for (int i = 0; i < 30000; i++)
             strings += " \"\"";
         return strings;
     }() + "\n",
     "[Castle of Lord Varnel][0]: name; 73 bytes free\n"
     "1 record, 1 field would change; nothing written (dry run)\n", ""},
    {"an octal escape above a byte, an entry without its msgid",
     "msgctxt \"0/0/name\"\nmsgid \"Alda\"\nmsgstr \"O\\777\"\n\nmsgctxt \"0/0/look\"\nmsgstr \"x\"\n", "",
     "%s: line 3, column 10: an octal escape above \\377, which is no byte\n"
     "%s: line 6, column 1: msgstr without a msgid before it\n"
     "%s: 2 problems: nothing written\n"},
    {"a byte order mark alone", "\xEF\xBB\xBF\n", "",
     "%s: the file holds no edits, not even a header row\n%s: 1 problem: nothing written\n"},
    {"a file in UTF-16", std::string("\xFF\xFEm\0s\0g\0", 8), "",
     "%s: in UTF-16; the import reads files of edits in UTF-8\n%s: 1 problem: nothing written\n"},
    {"strings continued over lines and on one line, C escapes, CR LF",
     "msgctxt \"0/0/name\"\r\nmsgid \"Alda\"\r\nmsgstr \"\"\r\n\"Al\" \"\\x41\\101\"\r\n  \"\\\"x\\\\\\n\"\r\n",
     "[Castle of Lord Varnel][0]: name; 69 bytes free\n"
     "1 record, 1 field would change; nothing written (dry run)\n", ""},
    {"comments of every kind, previous source, an obsolete fuzzy entry, any order",
     "#~ msgctxt \"0/0/name\"\n#, fuzzy\n#~ msgid \"Alda\"\n#~ msgstr \"Q\"\n\n# translator\n"
     "#. extracted\n#: LCB.TLK:3\n#| msgid \"Ald\"\nmsgctxt \"0/0/pronoun\"\nmsgid \"She\"\n"
     "msgstr \"He\"\n\nmsgctxt \"0/0/name\"\nmsgid \"Alda\"\nmsgstr \"Bo\"\n",
     "[Castle of Lord Varnel][0]: name, pronoun; 76 bytes free\n"
     "1 record, 2 fields would change; nothing written (dry run)\n", ""},
    {"a fuzzy header, a fuzzy entry, an empty msgstr, a msgstr already stored",
     "#, fuzzy\nmsgid \"\"\nmsgstr \"Language: en\\n\" \"Content-Type: text/plain; charset=utf-8 ; x\\n\"\n\n#, no-wrap, fuzzy\nmsgctxt \"0/0/name\"\n"
     "msgid \"Alda\"\nmsgstr \"Bo\"\n\nmsgctxt \"0/0/look\"\nmsgid \"a tall weaver\"\nmsgstr \"\"\n\n"
     "msgctxt \"0/1/name\"\nmsgid \"Brin\"\nmsgstr \"Bren\"\n",
     "1 fuzzy entry skipped\n0 records, 0 fields would change; nothing written (dry run)\n", ""},
    {"keys that name no field, a msgid the input no longer holds",
     "msgctxt \"0/16/name\"\nmsgid \"Alda\"\nmsgstr \"x\"\n\nmsgctxt \"0/0/nome\"\nmsgid \"Alda\"\n"
     "msgstr \"x\"\n\nmsgid \"Alda\"\nmsgstr \"x\"\n\nmsgctxt \"00/0/name\"\nmsgid \"Alda\"\nmsgstr \"x\"\n\n"
     "msgctxt \"0/0/name\"\nmsgid \"Aldo\"\nmsgstr \"x\"\n",
     "",
     "%s: line 1: msgctxt \"0/16/name\" names no field of a talk record (TOWN/PERSON/FIELD, as in \"12/3/job\")\n"
     "%s: line 5: msgctxt \"0/0/nome\" names no field of a talk record (TOWN/PERSON/FIELD, as in \"12/3/job\")\n"
     "%s: line 9: an entry without msgctxt names no field of a talk record (TOWN/PERSON/FIELD, as in \"12/3/job\")\n"
     "%s: line 12: msgctxt \"00/0/name\" names no field of a talk record (TOWN/PERSON/FIELD, as in \"12/3/job\")\n"
     "%s: line 16: 0/0/name: msgid is not the input's text of the field, which has changed since the export "
     "(export the input again and merge this file into it with msgmerge)\n"
     "%s: 5 problems: nothing written\n"},
    {"the syntax: escapes, quotes, keywords out of place",
     "msgctxt \"0/0/look\"\nmsgid \"a tall weaver\"\nmsgstr \"\\q\"\nmsgctxt \"0/0/job\"\nmsgid \"a\n"
     "msgstr \"x\" y\nmsgstr \"z\"\nfoo \"x\"\n\"dangling\"\nmsgstr \"w\"\nmsgid \"Alda\"\n",
     "",
     "%s: line 3, column 9: unknown escape (\\n, \\t, \\\", \\\\ and the other C escapes are known)\n"
     "%s: line 5, column 7: the string has no closing quote on its line\n"
     "%s: line 6, column 12: text after the string's closing quote\n"
     "%s: line 7, column 1: msgstr does not belong here in the entry\n"
     "%s: line 8, column 1: not a keyword, a comment or a string of a PO file\n"
     "%s: line 9, column 1: a string that follows no msgctxt, msgid or msgstr\n"
     "%s: line 10, column 1: msgstr does not belong here in the entry\n"
     "%s: line 11: the entry has no msgstr\n"
     "%s: line 4: 0/0/job: msgid is not the input's text of the field, which has changed since the export "
     "(export the input again and merge this file into it with msgmerge)\n"
     "%s: 9 problems: nothing written\n"},
    {"a text that does not fit, a character the edition cannot store, a plural entry",
     "msgctxt \"0/0/name\"\nmsgid \"Alda\"\nmsgstr \"AAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAA\"\n\n"
     "msgctxt \"0/1/name\"\nmsgid \"Bren\"\nmsgstr \"Caf\xC3\xA9\"\n\n"
     "msgctxt \"0/2/name\"\nmsgid \"x\"\nmsgid_plural \"xs\"\nmsgstr[0] \"y\"\nmsgstr[1] \"ys\"\n",
     "",
     "%s: line 9: 0/2/name: a text of the talk data has no plural forms (msgid_plural)\n"
     "%s: line 1: [Castle of Lord Varnel][0] name: 1 byte over the record's 285 bytes of text\n"
     "%s: line 5: [Castle of Lord Varnel][1] name, character 4: '\xC3\xA9' (U+00E9) is not a character of the DOS edition\n"
     "%s: 3 problems: nothing written\n"},
    {"a file of another charset", "msgid \"\"\nmsgstr \"Content-Type: text/plain; charset=ISO-8859-1\\n\"\n", "",
     "%s: line 1: the file's charset is ISO-8859-1; the import reads PO files in UTF-8 (charset=UTF-8)\n"
     "%s: 1 problem: nothing written\n"},
    {"the export of another edition", "msgid \"\"\nmsgstr \"\"\n\"X-Talkdata-Edition: apple2\\n\"\n", "",
     "%s: line 1: X-Talkdata-Edition: the edits are for the apple2 edition, the input is of the dos "
     "edition\n%s: 1 problem: nothing written\n"},
};
// clang-format on

TEST(TalkdataPo, ReaderTakesWhatPoToolsWriteAndListsEveryProblem)
{
    temp_dir dir;
    for (const po_reading& row : po_readings) {
        SCOPED_TRACE(row.what);
        const std::string po = dir.file("edits.txt");  // told by its contents
        write_file(po, row.po);
        process_result run = talkdata({"import", "--dry-run", "--in-place", po, "dos"});
        EXPECT_EQ(run.exit_code, *row.err == '\0' ? 0 : 1);
        EXPECT_EQ(run.out, row.out);
        EXPECT_EQ(run.err, talkdata_lines(with_paths(row.err, po)));
    }
    // A PO file is read by its texts, which --join-marks would change.
    EXPECT_EQ(talkdata({"export", "--format", "po", "--join-marks", "dos"}).exit_code, 2);
}

// The max-length flag of every field of a few records: that many plain
// letters fit, one more does not.
TEST(TalkdataPo, MaxLengthIsTheMostLettersThatFit)
{
    temp_dir dir;
    for (const char* input : {"dos", "velktown.dsk"}) {
        SCOPED_TRACE(input);
        const std::string exported = talkdata({"export", "--format", "po", input}).out;
        size_t checked = 0;
        for (size_t pos = exported.find("#, max-length:"); pos != std::string::npos;
             pos = exported.find("#, max-length:", pos + 1)) {
            const size_t most = std::stoul(exported.substr(pos + 14));
            const size_t entry = exported.find("msgctxt", pos);
            const size_t end = exported.find("msgstr \"\"\n", entry);
            const std::string context = exported.substr(entry, exported.find('\n', entry) - entry);
            if (context.find("\"0/0/") == std::string::npos &&
                context.find("\"3/7/") == std::string::npos)
                continue;  // two records are enough
            for (size_t letters : {most, most + 1}) {
                write_file(dir.file("edit.po"), exported.substr(entry, end - entry) + "msgstr \"" +
                                                    std::string(letters, 'T') + "\"\n");
                process_result run =
                    talkdata({"import", "--dry-run", "--in-place", dir.file("edit.po"), input});
                EXPECT_EQ(run.exit_code, letters == most ? 0 : 1)
                    << context << " " << letters << run.err;
            }
            checked++;
        }
        EXPECT_GT(checked, 20u);
    }
}

}  // namespace
