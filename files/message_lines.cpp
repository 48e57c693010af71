#include "message_lines.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>

namespace {

message_sink current_sink = nullptr;
void* current_context = nullptr;

enum { short_line_size = 256 };

}  // namespace

void set_message_sink(message_sink sink, void* context)
{
    current_sink = sink;
    current_context = context;
}

void get_message_sink(message_sink* sink, void** context)
{
    *sink = current_sink;
    *context = current_context;
}

void print_message(const char* format, ...)
{
    va_list arguments;
    va_start(arguments, format);
    if (current_sink == nullptr) {
        // The stdout stream itself, so that the lines keep their order
        // among everything else the program prints there.
        vprintf(format, arguments);
        va_end(arguments);
        return;
    }
    va_list again;
    va_copy(again, arguments);
    char short_line[short_line_size];
    int length = vsnprintf(short_line, sizeof short_line, format, arguments);
    va_end(arguments);
    if (length < 0) {
        va_end(again);
        return;
    }
    // A longer line (a long path) goes through the heap; without memory the
    // sink gets what fitted.
    char* line = short_line;
    if (static_cast<size_t>(length) >= sizeof short_line) {
        char* long_line = static_cast<char*>(malloc(static_cast<size_t>(length) + 1));
        if (long_line != nullptr) {
            vsnprintf(long_line, static_cast<size_t>(length) + 1, format, again);
            line = long_line;
        }
    }
    va_end(again);
    current_sink(current_context, line);
    if (line != short_line)
        free(line);
}
