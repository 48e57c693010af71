// Every program on damaged copies of the sample data it reads: cut at
// structure boundaries and elsewhere, and with single bytes changed in
// headers, tables, directory entries and talk records. Each run must end
// with exit code 0 or the program's failure code, print nothing on
// standard error but its failure messages, and take well under a second;
// a lister must also end with a complete listing or its own final line,
// and show the certain effect of each change.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>

#include "sweep_variants.h"

namespace {

// The variants of each lister's sample.
struct sweep_set {
    sweep_tool sample;
    const char* kind;
    std::vector<sweep_variant> (*variants)(int scale);
};

// clang-format off
const sweep_set sweep_sets[] = {
    {sweep_tool::talkdsk, "Cuts",         dsk_cut_variants},
    {sweep_tool::talkdsk, "ChangedBytes", dsk_byte_variants},
    {sweep_tool::talkdir, "Cuts",         dos_cut_variants},
    {sweep_tool::talkdir, "ChangedBytes", dos_byte_variants},
    {sweep_tool::talkd88, "Cuts",         d88_cut_variants},
    {sweep_tool::talkd88, "ChangedBytes", d88_byte_variants},
    {sweep_tool::talkxdf, "Cuts",         xdf_cut_variants},
    {sweep_tool::talkxdf, "ChangedBytes", xdf_byte_variants},
};
// clang-format on
static_assert(sizeof sweep_sets / sizeof sweep_sets[0] == 8, "cuts and changed bytes per lister");

struct sweep_row {
    std::string name;
    const talk_program* program;
    const sweep_set* set;
};

std::string capitalized(std::string text)
{
    if (!text.empty())
        text[0] = static_cast<char>(toupper(static_cast<unsigned char>(text[0])));
    return text;
}

// One row for each set of variants of a sample that a program's sample run
// names: "TalkdskCuts" for a lister, "TalkdataDskCuts" for another program
// that reads the lister's sample.
std::vector<sweep_row> sweep_rows()
{
    std::vector<sweep_row> rows;
    for (const talk_program& program : talk_programs)
        for (const sweep_set& set : sweep_sets) {
            std::vector<std::string> args = program_arguments(program.sample_run);
            std::string input = sweep_tool_argument(set.sample);
            if (std::find(args.begin(), args.end(), input) == args.end())
                continue;
            std::string lister = sweep_tool_name(set.sample);
            std::string name = capitalized(program.name);
            if (lister != program.name)
                name += capitalized(lister.substr(4));
            rows.push_back({name + set.kind, &program, &set});
        }
    return rows;
}

// The row's name stands for it in the names of the test cases.
void PrintTo(const sweep_row& row, std::ostream* out)
{
    *out << row.name;
}

// Every program reads some sample, and every sample is swept with its own
// lister.
TEST(MalformedSweepRows, CoverEveryProgramAndEveryListersSample)
{
    std::vector<sweep_row> rows = sweep_rows();
    for (const talk_program& program : talk_programs)
        EXPECT_TRUE(std::any_of(rows.begin(), rows.end(),
                                [&](const sweep_row& row) { return row.program == &program; }))
            << program.name << ": its sample run names no sample the sweep damages";
    for (const sweep_set& set : sweep_sets)
        EXPECT_TRUE(std::any_of(rows.begin(), rows.end(),
                                [&](const sweep_row& row) {
                                    return row.set == &set &&
                                           row.program->name ==
                                               std::string(sweep_tool_name(set.sample));
                                }))
            << sweep_tool_name(set.sample) << " " << set.kind << ": not run by its lister";
}

class MalformedSweep : public testing::TestWithParam<sweep_row> {};

TEST_P(MalformedSweep, EveryRunEndsCleanly)
{
#ifdef _WIN32
    GTEST_SKIP() << "the sweep runs on the build host: hundreds of process starts, each held "
                    "to well under a second, do not suit a Windows program run under wine";
#endif
    const sweep_row& row = GetParam();
    run_sweep(*row.program, row.set->sample, row.set->variants(sweep_scale()));
}

INSTANTIATE_TEST_SUITE_P(Samples, MalformedSweep, testing::ValuesIn(sweep_rows()),
                         [](const testing::TestParamInfo<sweep_row>& row_info) {
                             return row_info.param.name;
                         });

}  // namespace
