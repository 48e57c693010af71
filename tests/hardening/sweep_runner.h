// Runs a tool on damaged copies of the sample data, one variant at a
// time, and checks how each run ends: exit code 0 or 1, nothing on
// standard error, the tool's own final line on failure, a complete
// listing on success, and well under a second of wall time.
#pragma once

#include <string>
#include <vector>

#include "test_files.h"

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

// The tool's final lines, with the argument the sweep passes it.
std::string sweep_tool_argument(sweep_tool tool);
std::string read_failure_line(sweep_tool tool);   // loading failed
std::string print_failure_line(sweep_tool tool);  // the listing stopped

// TALK_SWEEP_SCALE: how many times the default number of random variants
// to make (at least 1).
int sweep_scale();

// Runs the tool on every variant and reports each one that breaks a rule
// as a test failure naming the variant and how to repeat it.
void run_sweep(sweep_tool tool, const std::vector<sweep_variant>& variants);
