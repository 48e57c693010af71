// The formats of the manual page are those of the table of formats: the
// synopsis lists the exported ones, the export section gives each an entry
// in the table's order, the import section names each one it reads.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "byte_files.h"
#include "format_table.h"

namespace {

TEST(TalkdataFormats, TheManualPageListsTheTablesFormats)
{
    const std::string page = read_text_file(TALK_SOURCE_DIR "/man/talkdata.1");
    std::string choices;
    std::string entries;
    for (const std::string& name : format_names(true)) {
        choices += (choices.empty() ? "" : "|") + name;
        entries += ".TP\n.B " + name + "\n";
    }
    EXPECT_NE(page.find(".RB [ \\-\\-format \" " + choices + "]\"\n"), std::string::npos)
        << choices;

    // The entries of the export section, in order.
    const size_t export_at = page.find(".SS export\n");
    const size_t import_at = page.find(".SS import\n");
    ASSERT_NE(export_at, std::string::npos);
    ASSERT_NE(import_at, std::string::npos);
    std::string listed;
    for (size_t at = page.find(".TP\n.B ", export_at); at < page.find(".SS ", export_at + 1);
         at = page.find(".TP\n.B ", at + 1))
        listed += page.substr(at, page.find('\n', at + 4) + 1 - at);
    EXPECT_EQ(listed, entries);

    // The import section names what the import reads, as "JSON", "TSV".
    const std::string import_section =
        page.substr(import_at, page.find(".SS ", import_at + 1) - import_at);
    for (std::string name : format_names(false)) {
        for (char& c : name)
            c = static_cast<char>(c - 'a' + 'A');
        EXPECT_NE(import_section.find(name), std::string::npos) << name;
    }
}

}  // namespace
