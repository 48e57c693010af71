// The command line of talkd88: options and one optional image path, in
// any order.
#pragma once

#include <cstdint>

// Examines argv[1..argc-1] from left to right. 0 when the run goes on,
// with *path and *index set from the arguments given (else left as they
// were); -1 when the run ends with exit code 1, after the usage text or
// the error line has been printed.
int parse_talkd88_command_line(int argc, char** argv, const char** path, int32_t* index,
                               void (*print_usage)());
