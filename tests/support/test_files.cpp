#include "test_files.h"

#include <atomic>
#include <cstdio>
#include <filesystem>
#include <random>
#include <stdexcept>

namespace fs = std::filesystem;

temp_dir::temp_dir()
{
    static std::atomic<unsigned> counter{0};
    std::random_device seed;
    fs::path base = fs::temp_directory_path();
    for (int attempt = 0; attempt < 100; attempt++) {
        fs::path candidate =
            base / ("talk-test-" + std::to_string(seed()) + "-" + std::to_string(counter++));
        if (fs::create_directory(candidate)) {
            path_ = candidate.string();
            return;
        }
    }
    throw std::runtime_error("cannot make a temporary folder");
}

temp_dir::~temp_dir()
{
    std::error_code ignored;
    fs::remove_all(path_, ignored);
}

std::string temp_dir::file(const std::string& name) const
{
    return (fs::path(path_) / name).string();
}

std::string text_output(const std::string& text)
{
#ifdef _WIN32
    std::string out;
    for (char c : text) {
        if (c == '\n')
            out += '\r';
        out += c;
    }
    return out;
#else
    return text;
#endif
}

std::string native_path(const std::string& path)
{
#ifdef _WIN32
    if (!path.empty() && path[0] == '/')
        return "Z:" + path;
#endif
    return path;
}

std::string shared_fixtures_dir()
{
    fs::path dir = fs::path(native_path(TALK_SOURCE_DIR)) / ".." / "shared" / "fixtures";
    std::error_code ignored;
    return fs::is_directory(dir, ignored) ? dir.string() : std::string();
}
