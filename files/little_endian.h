// Little-endian 16- and 32-bit fields, byte by byte and lowest byte first,
// whatever the host's byte order and the alignment of p. Each image
// library offers them under its own namespace (d88::, fat12::).
#pragma once

#include <cstdint>

namespace little_endian {

inline uint16_t read_le16(const uint8_t* p)
{
    return static_cast<uint16_t>(p[0] | p[1] << 8);
}

inline uint32_t read_le32(const uint8_t* p)
{
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
           static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}

// The stores return the position behind the bytes stored; write_le16
// stores the low 16 bits of value.
inline uint8_t* write_le16(uint8_t* p, uint32_t value)
{
    p[0] = static_cast<uint8_t>(value & 0xFF);
    p[1] = static_cast<uint8_t>((value >> 8) & 0xFF);
    return p + 2;
}

inline uint8_t* write_le32(uint8_t* p, uint32_t value)
{
    p = write_le16(p, value & 0xFFFF);
    return write_le16(p, value >> 16);
}

}  // namespace little_endian
