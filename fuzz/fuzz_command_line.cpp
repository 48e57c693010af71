// The command lines of the four tools, from the fuzzer's bytes: arguments
// are separated by NUL bytes. Only the parsing runs; no file is touched.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "command_line.h"
#include "tool_command_line.h"

namespace {

void print_no_usage() {}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::vector<std::string> words(1, "tool");
    std::string current;
    for (size_t i = 0; i < size && words.size() < 32; i++) {
        if (data[i] == 0) {
            words.push_back(current);
            current.clear();
        } else {
            current += static_cast<char>(data[i]);
        }
    }
    if (!current.empty())
        words.push_back(current);
    // Each argument in an allocation of its own size, as the runtime
    // gives them, so that a read past one is caught.
    std::vector<std::vector<char>> storage;
    std::vector<char*> argv;
    for (const std::string& word : words)
        storage.emplace_back(word.c_str(), word.c_str() + word.size() + 1);
    for (std::vector<char>& word : storage)
        argv.push_back(word.data());
    argv.push_back(nullptr);
    int argc = static_cast<int>(words.size());

    const char* path = "default";
    parse_tool_command_line(argc, argv.data(), &path, print_no_usage);
    int32_t index = 0;
    const char* d88_path = "default";
    int result = parse_talkd88_command_line(argc, argv.data(), &d88_path, &index, print_no_usage);
    if (result == 0 && (index < 0 || d88_path == nullptr))
        __builtin_trap();  // an accepted index lies in 0..0x7FFFFFFF
    return 0;
}
