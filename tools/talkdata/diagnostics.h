// talkdata's error lines, on standard error: "talkdata: SUBJECT: TEXT",
// where the subject is the input or file concerned. The image libraries'
// own message lines are sent there too, under the subject of the input
// being read.
#pragma once

#include <string>
#include <vector>

#include "whole_file.h"

void report_error(const std::string& subject, const std::string& text);

// The reason the operating system gave for a failed call (errno).
std::string system_reason(int error_number);

// Why a read through the file layer failed, for its error line.
std::string describe_file_failure(const file_status& status);

// True for a folder (which opens and reads as nothing on some systems).
bool is_folder(const std::string& path);

// Sends the libraries' message lines to standard error under subject.
void route_library_messages(const std::string& subject);

// Collects the libraries' message lines in *lines (appended, each with its
// "\n") until the object goes; then they go to standard error again.
// The lines of text, without their "\n".
std::vector<std::string> split_lines(const std::string& text);

class library_message_capture {
public:
    explicit library_message_capture(std::string* lines);
    ~library_message_capture();
    library_message_capture(const library_message_capture&) = delete;
    library_message_capture& operator=(const library_message_capture&) = delete;
};
