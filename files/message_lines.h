// Where the image libraries' message lines go: standard output unless a
// program sends them elsewhere.
#pragma once

// Receives each message line of the libraries, its "\n" included.
typedef void (*message_sink)(void* context, const char* line);

// Sends later message lines to sink (null: standard output, the default).
void set_message_sink(message_sink sink, void* context);

// The sink that takes the lines now (null: standard output) and its
// context, so that a caller can put them back after a sink of its own.
void get_message_sink(message_sink* sink, void** context);

// Prints one message line (printf format; the format carries its "\n").
#if defined(__GNUC__)
__attribute__((format(printf, 1, 2)))
#endif
void print_message(const char* format, ...);
