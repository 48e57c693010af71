// Opening images made by the builder, for the FAT12 tests.
#pragma once

#include <string>

#include "fat12_builder.h"
#include "fat12_internal.h"
#include "test_files.h"

// Writes bytes to a file in dir and opens it with offset; the record and
// everything the library printed are returned.
struct opened_image {
    fat12_image image;
    int result;
    std::string out;
    std::string path;
};

opened_image open_test_image(const temp_dir& dir, const byte_vector& bytes, int offset = 0,
                             const std::string& name = "disk.img");

// The layout's row of the record, in field order, with the pointers left out.
std::vector<int> fat12_fields(const fat12_image& image);

// Reads a file with the library into a destination of dest_size bytes
// filled with 0xAA beforehand; returns result, output and destination.
struct read_result {
    int result;
    std::string out;
    byte_vector dest;
};

read_result read_test_file(const fat12_image& image, const std::string& name, size_t dest_size,
                           bool ignore_case = false);
