// Every tool on damaged copies of the sample data: cut at structure
// boundaries and elsewhere, and with single bytes changed in headers,
// tables, directory entries and talk records. Each run must end with
// exit code 0 and a complete listing or exit code 1 and the tool's own
// final line, print nothing on standard error, and take well under a
// second; where the change has a certain effect, the run must show it.
#include <gtest/gtest.h>

#include "sweep_variants.h"

namespace {

struct sweep_row {
    const char* name;
    sweep_tool tool;
    std::vector<sweep_variant> (*variants)(int scale);
};

// clang-format off
const sweep_row sweep_rows[] = {
    {"TalkdskCuts",         sweep_tool::talkdsk, dsk_cut_variants},
    {"TalkdskChangedBytes", sweep_tool::talkdsk, dsk_byte_variants},
    {"TalkdirCuts",         sweep_tool::talkdir, dos_cut_variants},
    {"TalkdirChangedBytes", sweep_tool::talkdir, dos_byte_variants},
    {"Talkd88Cuts",         sweep_tool::talkd88, d88_cut_variants},
    {"Talkd88ChangedBytes", sweep_tool::talkd88, d88_byte_variants},
    {"TalkxdfCuts",         sweep_tool::talkxdf, xdf_cut_variants},
    {"TalkxdfChangedBytes", sweep_tool::talkxdf, xdf_byte_variants},
};
// clang-format on
static_assert(sizeof sweep_rows / sizeof sweep_rows[0] == 8, "cuts and changed bytes per tool");

// The row's name stands for it in the names of the test cases.
void PrintTo(const sweep_row& row, std::ostream* out)
{
    *out << row.name;
}

class MalformedSweep : public testing::TestWithParam<sweep_row> {};

TEST_P(MalformedSweep, EveryRunEndsCleanly)
{
#ifdef _WIN32
    GTEST_SKIP() << "the sweep runs on the build host: hundreds of process starts, each held "
                    "to well under a second, do not suit a Windows program run under wine";
#endif
    run_sweep(GetParam().tool, GetParam().variants(sweep_scale()));
}

INSTANTIATE_TEST_SUITE_P(Samples, MalformedSweep, testing::ValuesIn(sweep_rows),
                         [](const testing::TestParamInfo<sweep_row>& row_info) {
                             return std::string(row_info.param.name);
                         });

}  // namespace
