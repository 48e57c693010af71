#include "diagnostics.h"

#include <cstdio>
#include <cstring>

#include "message_lines.h"

namespace {

std::string routed_subject;

void print_routed_line(void* /*context*/, const char* line)
{
    fprintf(stderr, "talkdata: %s: %s", routed_subject.c_str(), line);
}

void append_line(void* context, const char* line)
{
    static_cast<std::string*>(context)->append(line);
}

}  // namespace

void report_error(const std::string& subject, const std::string& text)
{
    fflush(stdout);  // what the export wrote before the error stands before it
    fprintf(stderr, "talkdata: %s: %s\n", subject.c_str(), text.c_str());
}

std::string system_reason(int error_number)
{
    return error_number != 0 ? strerror(error_number) : "unknown reason";
}

void route_library_messages(const std::string& subject)
{
    routed_subject = subject;
    set_message_sink(print_routed_line, nullptr);
}

library_message_capture::library_message_capture(std::string* lines)
{
    set_message_sink(append_line, lines);
}

library_message_capture::~library_message_capture()
{
    set_message_sink(print_routed_line, nullptr);
}
