#include "talk_writer.h"

#include <cstdio>
#include <limits>

void start_talk_writer(talk_writer* writer)
{
    writer->cursor = writer->bytes;
}

void flush_talk_writer(talk_writer* writer)
{
    size_t used = static_cast<size_t>(writer->cursor - writer->bytes);
    if (used > 0)
        fwrite(writer->bytes, 1, used, stdout);
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
