// Files and folders for tests: a private temporary folder, the line ends
// of the platform's text output, and (from the builders) whole-file reads
// and writes.
#pragma once

#include <string>

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

// The folder of the files that other tools made, or "" when it is absent.
std::string shared_fixtures_dir();
