#include "test_files.h"

#include <algorithm>
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

std::string folder_listing(const std::string& dir, const std::vector<known_contents>& known)
{
    std::vector<std::string> lines;
    for (const auto& entry : fs::recursive_directory_iterator(dir)) {
        std::string name = entry.path().lexically_relative(dir).generic_string();
        if (entry.is_symlink()) {
            lines.push_back(name + " -> " + fs::read_symlink(entry.path()).generic_string());
        } else if (entry.is_directory()) {
            lines.push_back(name + "/");
        } else if (entry.is_fifo()) {
            lines.push_back(name + " |");
        } else {
            byte_vector bytes = read_file(entry.path().string());
            std::string line = name + " " + std::to_string(bytes.size()) + " bytes";
            for (const known_contents& k : known) {
                if (bytes == *k.bytes) {
                    line += std::string(" (") + k.label + ")";
                    break;
                }
            }
            lines.push_back(line);
        }
    }
    std::sort(lines.begin(), lines.end());
    std::string out;
    for (const std::string& line : lines)
        out += line + "\n";
    return out;
}

std::string with_paths(std::string text, const std::string& target, const std::string& dir)
{
    for (size_t at; (at = text.find("%s")) != std::string::npos;)
        text.replace(at, 2, target);
    for (size_t at; (at = text.find("%d")) != std::string::npos;)
        text.replace(at, 2, dir);
    return text;
}
