#include "talk_writer.h"

#include <cstdio>
#include <cstring>

void flush_talk_writer(talk_writer* writer)
{
    if (writer->used > 0)
        fwrite(writer->bytes, 1, writer->used, stdout);
    writer->used = 0;
}

void write_talk_bytes(talk_writer* writer, const void* bytes, size_t count)
{
    const unsigned char* from = static_cast<const unsigned char*>(bytes);
    while (count > 0) {
        if (writer->used == sizeof writer->bytes)
            flush_talk_writer(writer);
        size_t room = sizeof writer->bytes - writer->used;
        size_t step = count < room ? count : room;
        memcpy(writer->bytes + writer->used, from, step);
        writer->used += step;
        from += step;
        count -= step;
    }
}

void write_talk_text(talk_writer* writer, const char* text)
{
    write_talk_bytes(writer, text, strlen(text));
}

void write_talk_decimal(talk_writer* writer, unsigned value)
{
    char digits[10];
    size_t count = 0;
    do {
        digits[count++] = static_cast<char>('0' + value % 10);
        value /= 10;
    } while (value > 0);
    while (count > 0)
        write_talk_byte(writer, static_cast<unsigned char>(digits[--count]));
}

void write_talk_hex2(talk_writer* writer, unsigned char value)
{
    static const char hex_digits[] = "0123456789ABCDEF";
    write_talk_byte(writer, static_cast<unsigned char>(hex_digits[value >> 4]));
    write_talk_byte(writer, static_cast<unsigned char>(hex_digits[value & 0x0F]));
}
