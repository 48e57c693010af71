// Files and folders for tests: a private temporary folder, the line ends
// of the platform's text output, and (from the builders) whole-file reads
// and writes.
#pragma once

#include <string>
#include <vector>

#include "byte_files.h"

// A new empty folder, removed with everything in it when the object goes.
class temp_dir {
public:
    temp_dir();
    ~temp_dir();
    temp_dir(const temp_dir&) = delete;
    temp_dir& operator=(const temp_dir&) = delete;

    const std::string& path() const { return path_; }
    // path() joined with a relative name.
    std::string file(const std::string& name) const;

private:
    std::string path_;
};

// The bytes a program's text-mode standard output holds for text: "\n"
// becomes CR LF on Windows.
std::string text_output(const std::string& text);

// A path as the platform's file functions take it: on Windows a path from
// the build system that starts with '/' (a cross build run under wine)
// gets the drive letter that wine maps to the root of the host.
std::string native_path(const std::string& path);

// Contents a listing names: a file that holds bytes shows " (label)".
struct known_contents {
    const byte_vector* bytes;
    const char* label;
};

// Every file, folder, pipe and link under dir, sorted, one line each: a
// file with its size and which of the known contents it holds, a folder
// with "/", a pipe with " |", a link with what it names.
std::string folder_listing(const std::string& dir, const std::vector<known_contents>& known);

// text with every "%s" replaced by target and every "%d" by dir.
std::string with_paths(std::string text, const std::string& target, const std::string& dir = "");

// The folder of the files that other tools made, or "" when it is absent.
std::string shared_fixtures_dir();
