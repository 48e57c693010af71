// The sample data of the demo: every edition lists completely, and the
// editions list the same persons in the same order.
#include <gtest/gtest.h>

#include <regex>

#include "run_process.h"
#include "talk_records.h"
#include "test_files.h"

namespace {

std::vector<std::string> headings_of(const std::string& listing)
{
    std::vector<std::string> headings;
    std::regex heading("\\[[^\\]\\r\\n]+\\]\\[[0-9]+\\]");
    for (auto it = std::sregex_iterator(listing.begin(), listing.end(), heading);
         it != std::sregex_iterator(); ++it)
        headings.push_back(it->str());
    return headings;
}

TEST(Samples, EveryEditionListsAllPersons)
{
    temp_dir work;
    process_result made = run_process(MAKE_SAMPLES_PATH, {work.path()}, work.path());
    ASSERT_EQ(made.exit_code, 0) << made.out << made.err;

    std::vector<std::string> expected;
    for (int town = 0; town < 16; town++)
        for (int person = 0; person < 16; person++) {
            std::string line = talk_heading(town, person);
            expected.push_back(line.substr(0, line.size() - 1));
        }
    const struct {
        const char* tool;
        const char* input;
    } runs[] = {{TALKDIR_PATH, "dos"},
                {TALKDSK_PATH, "velktown.dsk"},
                {TALKD88_PATH, "velk-towne.d88"},
                {TALKXDF_PATH, "velk-britannia.xdf"}};
    for (const auto& r : runs) {
        process_result run = run_process(r.tool, {r.input}, work.path());
        EXPECT_EQ(run.exit_code, 0)
            << r.tool << "\n"
            << run.out.substr(run.out.size() > 300 ? run.out.size() - 300 : 0);
        EXPECT_EQ(run.err, "") << r.tool;
        EXPECT_EQ(headings_of(run.out), expected) << r.tool;
    }
}

}  // namespace
