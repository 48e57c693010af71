// Other implementations of the two image formats, found on the host, and
// the settings of the randomized comparisons with them.
#pragma once

#include <string>
#include <vector>

#include "run_process.h"

// The program's path on PATH (or in the usual system folders), "" when it
// is not installed or the tests run on Windows, where these Linux programs
// cannot be run.
std::string find_peer_tool(const std::string& name);

// An environment variable as a number, fallback when it is unset or not a
// whole number of at least minimum.
long environment_number(const char* name, long fallback, long minimum);

// TALK_DIFF_CASES: the number of FAT12 images compared (default 240); a
// tenth as many D88 images, at least one. TALK_DIFF_SEED: the seed of the
// first case (default 1); case i has seed TALK_DIFF_SEED + i.
long fat12_diff_cases();
long d88_diff_cases();
long first_diff_seed();

// How to repeat one case of a test.
std::string replay_hint(unsigned long seed);
