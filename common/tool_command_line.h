// The command line shared by the tools that take options and at most one
// input path: "-?" or "--help" prints the usage, any other argument that
// starts with '-' is an illegal option, a second path an illegal parameter.
#pragma once

// Examines argv[1..argc-1] from left to right. Returns 0 when the run goes
// on, with *path set to the path argument if there was one (else left as
// it was); -1 when the run ends with exit code 1, after the usage text or
// the error line has been printed.
int parse_tool_command_line(int argc, char** argv, const char** path, void (*print_usage)());
