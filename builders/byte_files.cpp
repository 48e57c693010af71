#include "byte_files.h"

#include <fstream>
#include <iterator>
#include <stdexcept>

void write_file(const std::string& path, const byte_vector& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    if (!out)
        throw std::runtime_error("cannot write " + path);
}

void write_file(const std::string& path, const std::string& text)
{
    write_file(path, byte_vector(text.begin(), text.end()));
}

byte_vector read_file(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw std::runtime_error("cannot read " + path);
    return byte_vector(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string read_text_file(const std::string& path)
{
    byte_vector bytes = read_file(path);
    return std::string(bytes.begin(), bytes.end());
}
