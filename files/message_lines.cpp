#include "message_lines.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

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

namespace {

void hold_line(void* context, const char* line);

// The lines held, each on its own (as sinks take lines), to the sink there
// was before the hold, which takes the lines from now on.
void pass_on_held(message_hold* hold)
{
    set_message_sink(hold->saved_sink, hold->saved_context);
    for (size_t at = 0; at < hold->size;) {
        size_t end = at;
        while (end < hold->size && hold->lines[end] != '\n')
            end++;
        print_message("%.*s\n", static_cast<int>(end - at), hold->lines + at);
        at = end + 1;
    }
    hold->size = 0;
}

// The sink of a hold: the line joins those held.
void hold_line(void* context, const char* line)
{
    message_hold* hold = static_cast<message_hold*>(context);
    size_t length = strlen(line);
    if (!hold->passing && hold->size + length > hold->capacity) {
        size_t capacity = (hold->size + length) * 2;
        char* grown = static_cast<char*>(realloc(hold->lines, capacity));
        if (grown != nullptr) {
            hold->lines = grown;
            hold->capacity = capacity;
        } else {
            pass_on_held(hold);
            hold->passing = true;
        }
    }
    if (hold->passing) {
        set_message_sink(hold->saved_sink, hold->saved_context);
        print_message("%s", line);
        set_message_sink(hold_line, hold);
        return;
    }
    memcpy(hold->lines + hold->size, line, length);
    hold->size += length;
}

}  // namespace

void hold_messages(message_hold* hold)
{
    get_message_sink(&hold->saved_sink, &hold->saved_context);
    hold->lines = nullptr;
    hold->size = hold->capacity = 0;
    hold->passing = false;
    set_message_sink(hold_line, hold);
}

void release_messages(message_hold* hold, bool print)
{
    if (print)
        pass_on_held(hold);
    else
        set_message_sink(hold->saved_sink, hold->saved_context);
    free(hold->lines);
    hold->lines = nullptr;
    hold->size = hold->capacity = 0;
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
