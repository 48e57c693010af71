#include "host_programs.h"

#include <cstdlib>
#include <filesystem>
#include <sstream>

std::string find_host_program(const std::string& name)
{
#ifdef _WIN32
    (void)name;
    return "";
#else
    const char* path = getenv("PATH");
    std::stringstream dirs(std::string(path ? path : "") +
                           ":/usr/sbin:/sbin:/usr/bin:/bin:/usr/games");
    std::string dir;
    while (std::getline(dirs, dir, ':')) {
        std::filesystem::path candidate = std::filesystem::path(dir) / name;
        std::error_code ignored;
        if (!dir.empty() && std::filesystem::is_regular_file(candidate, ignored))
            return candidate.string();
    }
    return "";
#endif
}
