// Runs a program on damaged copies of the sample data, one variant at a
// time, and checks how each run ends: exit code 0 or the program's failure
// code, nothing on standard error but its failure messages, and well under
// a second of wall time. The lister of the sample must also end with its
// own final line on failure, list completely on success, and show the
// effect that each variant has for certain.
#pragma once

#include <string>
#include <vector>

#include "talk_programs.h"
#include "test_files.h"

// The listers, whose own messages the variants of their samples expect.
enum class sweep_tool { talkdir, talkdsk, talkd88, talkxdf };

// How a variant is made from the intact file.
enum class sweep_edit {
    set_byte,  // byte `position` becomes `value`
    truncate,  // the file is cut to `position` bytes
    append,    // `count` bytes of `value` are added at the end
    cut_d88,   // cut to `position` bytes, the disk size field set to it and
               // every track offset not below it cleared
};

// What the run must show, beyond the checks every run passes.
enum class sweep_outcome {
    any,    // only the common checks
    same,   // exit 0 and exactly the listing of the intact data
    lists,  // exit 0 and a complete listing
    fails,  // exit 1 with `final_line` last (and `inner_line` before it)
};

struct sweep_variant {
    std::string file;  // the changed file, relative to the work folder
    sweep_edit edit = sweep_edit::set_byte;
    size_t position = 0;
    unsigned char value = 0;
    size_t count = 0;
    std::string where;  // what the changed bytes hold
    sweep_outcome outcome = sweep_outcome::any;
    std::string final_line;
    std::string inner_line;   // empty: not checked
    int failing_record = -1;  // fails: 16 * town + person of the record the
                              // listing stops at; every record before it
                              // must stand as in the intact listing
};

// The samples written by make_samples, once per test program.
const std::string& sample_folder();
byte_vector sample_bytes(const std::string& relative);

// The lister's name, and the sample it reads: its argument in the sweep.
const char* sweep_tool_name(sweep_tool tool);
std::string sweep_tool_argument(sweep_tool tool);
// The lister's final lines.
std::string read_failure_line(sweep_tool tool);   // loading failed
std::string print_failure_line(sweep_tool tool);  // the listing stopped

// TALK_SWEEP_SCALE: how many times the default number of random variants
// to make (at least 1).
int sweep_scale();

// Runs the program with its sample arguments on every variant of the
// lister's sample and reports each one that breaks a rule as a test
// failure naming the variant and how to repeat it. The variants' expected
// effects are checked only when the program is that lister.
void run_sweep(const talk_program& program, sweep_tool sample,
               const std::vector<sweep_variant>& variants);
