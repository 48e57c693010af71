#include "talk_writer.h"

#include <cerrno>
#include <cstdio>
#include <limits>

#ifndef _WIN32
#include <unistd.h>
#endif

namespace {

// Writes count bytes to standard output: true when all were taken.
bool write_out(const unsigned char* bytes, size_t count)
{
#ifndef _WIN32
    if (fflush(stdout) != 0)
        return false;
    while (count > 0) {
        ssize_t written = write(STDOUT_FILENO, bytes, count);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        bytes += written;
        count -= static_cast<size_t>(written);
    }
    return true;
#else
    return fwrite(bytes, 1, count, stdout) == count;
#endif
}

}  // namespace

void start_talk_writer(talk_writer* writer)
{
    writer->cursor = writer->bytes;
    writer->failed = false;
}

void flush_talk_writer(talk_writer* writer)
{
    size_t used = static_cast<size_t>(writer->cursor - writer->bytes);
    if (used > 0 && !writer->failed && !write_out(writer->bytes, used))
        writer->failed = true;
    writer->cursor = writer->bytes;
}

unsigned char* put_talk_decimal(unsigned char* out, unsigned value)
{
    unsigned char digits[std::numeric_limits<unsigned>::digits10 + 1];
    size_t count = 0;
    do {
        digits[count++] = static_cast<unsigned char>('0' + value % 10);
        value /= 10;
    } while (value > 0);
    while (count > 0)
        *out++ = digits[--count];
    return out;
}

unsigned char* put_talk_hex2(unsigned char* out, unsigned char value)
{
    static const char hex_digits[] = "0123456789ABCDEF";
    *out++ = static_cast<unsigned char>(hex_digits[value >> 4]);
    *out++ = static_cast<unsigned char>(hex_digits[value & 0x0F]);
    return out;
}
