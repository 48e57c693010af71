// The extension of a path, for telling an input apart by its name.
#pragma once

#include <string>

// True when path ends with the extension (".d88"), letter case aside.
bool has_extension(const std::string& path, const char* extension);
