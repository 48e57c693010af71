#include "fat12_image.h"

namespace fat12 {

unsigned read_le16(const unsigned char* bytes)
{
    return static_cast<unsigned>(bytes[0] | bytes[1] << 8);
}

unsigned read_le32(const unsigned char* bytes)
{
    return static_cast<unsigned>(bytes[0]) | static_cast<unsigned>(bytes[1]) << 8 |
           static_cast<unsigned>(bytes[2]) << 16 | static_cast<unsigned>(bytes[3]) << 24;
}

}  // namespace fat12
