// Whole files as bytes: the images and town files the builders make are
// written and read back in one piece.
#pragma once

#include <string>
#include <vector>

using byte_vector = std::vector<unsigned char>;

// Each throws std::runtime_error naming the path when the file cannot be
// written or read.
void write_file(const std::string& path, const byte_vector& bytes);
void write_file(const std::string& path, const std::string& text);
byte_vector read_file(const std::string& path);
std::string read_text_file(const std::string& path);
