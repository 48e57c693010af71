// Runs a program as a process of its own and collects what it printed.
#pragma once

#include <string>
#include <vector>

struct process_result {
    int exit_code;  // -1 when the program did not end normally
    std::string out;
    std::string err;
};

// Runs program with args in the folder cwd; standard input is empty.
// Standard output goes to stdout_file when one is given (out stays empty).
process_result run_process(const std::string& program, const std::vector<std::string>& args,
                           const std::string& cwd, const std::string& stdout_file = "");
