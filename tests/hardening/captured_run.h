// Running programs that print a lot: standard output goes to a file that
// is read back in one piece.
#pragma once

#include <string>
#include <vector>

#include "run_process.h"

// run_process with its output read back in one piece.
process_result run_captured(const std::string& program, const std::vector<std::string>& args,
                            const std::string& cwd);

// The same for the many short runs of other implementations' tools: on
// Linux the program is started with posix_spawn, which does not copy this
// (large, sanitized) test process the way fork does; elsewhere it is
// run_captured.
process_result run_spawned(const std::string& program, const std::vector<std::string>& args,
                           const std::string& cwd);
