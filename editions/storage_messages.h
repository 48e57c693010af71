// The lines the editions library prints: "SUBJECT: TEXT", where the
// subject is the input or file concerned, through the libraries' message
// sink (message_lines.h), to which a program adds its own name. The image
// libraries' lines are taken while they run and printed under the subject
// of the input they concern.
#pragma once

#include <string>
#include <vector>

#include "message_lines.h"
#include "whole_file.h"

void report_error(const std::string& subject, const std::string& text);

// The reason the operating system gave for a failed call (errno).
std::string system_reason(int error_number);

// Why a read through the file layer failed, for its error line.
std::string describe_file_failure(const file_status& status);

// Why a write through the file layer failed: in_place for a target that is
// replaced, else for a new path that is made.
std::string describe_write_failure(const file_status& status, bool in_place);

// True for a folder (which opens and reads as nothing on some systems).
bool is_folder(const std::string& path);

// What stands at path when it is neither a file nor a folder: "a FIFO", "a
// character device", ...; else (a file, a folder, nothing) an empty string.
// Opening a FIFO waits for a writer, and a device may never end.
std::string special_file_kind(const std::string& path);

// A text taken from an input, as a message shows it: each control byte and
// each byte that is no part of a UTF-8 character written as {XX}, so that
// nothing of it acts on the terminal.
std::string printable_text(const std::string& text);

// The lines of text, without their "\n".
std::vector<std::string> split_lines(const std::string& text);

// Collects the lines printed through print_message in *lines (appended,
// each with its "\n") while it lives; then they go where they went before.
struct message_capture {
    explicit message_capture(std::string* lines);
    ~message_capture();
    message_capture(const message_capture&) = delete;
    message_capture& operator=(const message_capture&) = delete;

    message_sink saved_sink;
    void* saved_context;
};

// The lines an image library printed, each under subject; prefix goes before
// each ("warning: " for the lines of a read that succeeded).
void report_library_lines(const std::string& subject, const std::string& lines,
                          const char* prefix = "");
