#include "peer_tools.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "host_programs.h"

std::string find_peer_tool(const std::string& name)
{
    return find_host_program(name);
}

long environment_number(const char* name, long fallback, long minimum)
{
    const char* text = getenv(name);
    if (text == nullptr || *text == '\0')
        return fallback;
    char* end = nullptr;
    long value = strtol(text, &end, 10);
    return *end == '\0' && value >= minimum ? value : fallback;
}

long fat12_diff_cases()
{
    return environment_number("TALK_DIFF_CASES", 240, 1);
}

long d88_diff_cases()
{
    long cases = fat12_diff_cases() / 10;
    return cases < 1 ? 1 : cases;
}

long first_diff_seed()
{
    return environment_number("TALK_DIFF_SEED", 1, 0);
}

std::string replay_hint(unsigned long seed)
{
    const testing::TestInfo* test = testing::UnitTest::GetInstance()->current_test_info();
    std::string name =
        test == nullptr ? "*" : std::string(test->test_suite_name()) + "." + test->name();
    return "seed " + std::to_string(seed) + "; replay with TALK_DIFF_SEED=" + std::to_string(seed) +
           " TALK_DIFF_CASES=1 and --gtest_filter='" + name + "'";
}
