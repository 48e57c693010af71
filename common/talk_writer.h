// Output buffer of the listing core: the listing is collected here and
// handed to standard output in large blocks, not one call per byte.
//
// Writers take the cursor into a local variable for their loops (stores
// through a byte pointer would otherwise force the compiler to reload the
// cursor after every byte) and put it back when they are done. Appends do
// not check the space left: before each piece of at most
// talk_writer_margin bytes (a label, a heading, one character of a text
// with its line-break indent) the writer calls talk_room.
#pragma once

#include <cstddef>

enum { talk_writer_size = 16384, talk_writer_margin = 64 };

struct talk_writer {
    unsigned char* cursor;  // next free byte of bytes
    bool failed;            // standard output did not take a block
    unsigned char bytes[talk_writer_size];
};

void start_talk_writer(talk_writer* writer);

// Writes what the buffer holds to standard output and empties it: on
// POSIX systems straight to its descriptor, after whatever the stdout
// stream holds, so that the listing needs no stream buffer of its own; on
// Windows through the stream, whose text mode writes each "\n" as CR LF.
void flush_talk_writer(talk_writer* writer);

// The cursor, after flushing when fewer than count bytes (at most
// talk_writer_size) are left behind out.
inline unsigned char* talk_room_for(talk_writer* writer, unsigned char* out, size_t count)
{
    if (static_cast<size_t>(writer->bytes + talk_writer_size - out) < count) {
        writer->cursor = out;
        flush_talk_writer(writer);
        out = writer->cursor;
    }
    return out;
}

inline unsigned char* talk_room(talk_writer* writer, unsigned char* out)
{
    return talk_room_for(writer, out, talk_writer_margin);
}

// A NUL-terminated text of at most talk_writer_margin bytes.
inline unsigned char* put_talk_text(unsigned char* out, const char* text)
{
    while (*text != '\0')
        *out++ = static_cast<unsigned char>(*text++);
    return out;
}

unsigned char* put_talk_decimal(unsigned char* out, unsigned value);
unsigned char* put_talk_hex2(unsigned char* out, unsigned char value);
