#include "storage_messages.h"

#include <sys/stat.h>

#include <cstdio>
#include <cstring>

#include "utf8.h"

namespace {

void append_line(void* context, const char* line)
{
    static_cast<std::string*>(context)->append(line);
}

}  // namespace

void report_error(const std::string& subject, const std::string& text)
{
    print_message("%s: %s\n", subject.c_str(), text.c_str());
}

std::string system_reason(int error_number)
{
    return error_number != 0 ? strerror(error_number) : "unknown reason";
}

std::string describe_file_failure(const file_status& status)
{
    switch (status.failed) {
    case file_step_open:
        return "cannot open: " + system_reason(status.error_number);
    case file_step_too_large:
        return "too large to be an image of these editions";
    case file_step_memory:
        return "not enough memory to read it";
    case file_step_read:
        if (status.error_number == 0)
            return "cannot read it whole (empty, or shortened while read)";
        return "cannot read: " + system_reason(status.error_number);
    default:
        return "cannot read: " + system_reason(status.error_number);
    }
}

std::string describe_write_failure(const file_status& status, bool in_place)
{
    switch (status.failed) {
    case file_step_open:
        return std::string(in_place ? "cannot replace it: " : "cannot create it: ") +
               system_reason(status.error_number);
    case file_step_memory:
        return "not enough memory";
    default:
        return "cannot write: " + system_reason(status.error_number);
    }
}

bool is_folder(const std::string& path)
{
    struct stat info;
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

std::string special_file_kind(const std::string& path)
{
    struct stat info;
    if (stat(path.c_str(), &info) != 0 || S_ISREG(info.st_mode) || S_ISDIR(info.st_mode))
        return "";
    if (S_ISFIFO(info.st_mode))
        return "a FIFO";
    if (S_ISCHR(info.st_mode))
        return "a character device";
#ifdef S_ISBLK
    if (S_ISBLK(info.st_mode))
        return "a block device";
#endif
#ifdef S_ISSOCK
    if (S_ISSOCK(info.st_mode))
        return "a socket";
#endif
    return "neither a file nor a folder";
}

std::string printable_text(const std::string& text)
{
    std::string out;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t start = pos;
        char32_t c;
        if (next_utf8(text, &pos, &c) && c >= 0x20 && c != 0x7F && !(c >= 0x80 && c < 0xA0)) {
            out.append(text, start, pos - start);
            continue;
        }
        // One byte at a time: the rest of a bad sequence is looked at anew.
        pos = start + 1;
        char escape[8];
        snprintf(escape, sizeof escape, "{%02X}", static_cast<unsigned char>(text[start]));
        out += escape;
    }
    return out;
}

std::vector<std::string> split_lines(const std::string& text)
{
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

message_capture::message_capture(std::string* lines)
{
    get_message_sink(&saved_sink, &saved_context);
    set_message_sink(append_line, lines);
}

message_capture::~message_capture()
{
    set_message_sink(saved_sink, saved_context);
}

void report_library_lines(const std::string& subject, const std::string& lines, const char* prefix)
{
    // The libraries quote the image's own bytes, which need not be UTF-8.
    for (const std::string& line : split_lines(lines))
        report_error(subject, prefix + printable_text(line));
}
