// Output buffer of the listing core: the listing is collected in runs and
// handed to standard output in blocks, not one call per byte.
#pragma once

#include <cstddef>

struct talk_writer {
    unsigned char bytes[4096];
    size_t used;
};

void flush_talk_writer(talk_writer* writer);
void write_talk_bytes(talk_writer* writer, const void* bytes, size_t count);
void write_talk_text(talk_writer* writer, const char* text);
void write_talk_decimal(talk_writer* writer, unsigned value);
void write_talk_hex2(talk_writer* writer, unsigned char value);

inline void write_talk_byte(talk_writer* writer, unsigned char byte)
{
    if (writer->used == sizeof writer->bytes)
        flush_talk_writer(writer);
    writer->bytes[writer->used++] = byte;
}
