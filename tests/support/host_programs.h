// Programs of the host that some tests compare with or run the tools under.
#pragma once

#include <string>

// The program's path on PATH or in the usual system folders; "" when it is
// not installed, and always on Windows, where the host's Linux programs
// cannot be run from the tests.
std::string find_host_program(const std::string& name);
