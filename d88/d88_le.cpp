// Little-endian field access, byte by byte and lowest byte first.
#include "d88_model.h"
#include "d88_write.h"

namespace d88 {

uint16_t read_le16(const uint8_t* p)
{
    return static_cast<uint16_t>(p[0] | p[1] << 8);
}

uint32_t read_le32(const uint8_t* p)
{
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
           static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}

uint8_t* write_le16(uint8_t* p, uint32_t value)
{
    p[0] = static_cast<uint8_t>(value & 0xFF);
    p[1] = static_cast<uint8_t>((value >> 8) & 0xFF);
    return p + 2;
}

uint8_t* write_le32(uint8_t* p, uint32_t value)
{
    p = write_le16(p, value & 0xFFFF);
    return write_le16(p, value >> 16);
}

}  // namespace d88
