// Where the image libraries' message lines go: standard output unless a
// program sends them elsewhere.
#pragma once

#include <cstddef>

// Receives each message line of the libraries, its "\n" included.
typedef void (*message_sink)(void* context, const char* line);

// Sends later message lines to sink (null: standard output, the default).
void set_message_sink(message_sink sink, void* context);

// The sink that takes the lines now (null: standard output) and its
// context, so that a caller can put them back after a sink of its own.
void get_message_sink(message_sink* sink, void** context);

// Lines held back while a step runs whose lines may turn out to be moot:
// what print_message prints meanwhile is kept in order, then either passed
// on to the sink there was before or dropped. Should memory run out, the
// lines held so far and the later ones pass on at once.
struct message_hold {
    message_sink saved_sink;
    void* saved_context;
    char* lines;  // the lines held, back to back, each with its "\n"
    size_t size;
    size_t capacity;
    bool passing;  // no memory: lines pass on as they come
};

void hold_messages(message_hold* hold);

// Ends the hold: the lines held are printed (print set) or dropped.
void release_messages(message_hold* hold, bool print);

// Prints one message line (printf format; the format carries its "\n").
#if defined(__GNUC__)
__attribute__((format(printf, 1, 2)))
#endif
void print_message(const char* format, ...);
