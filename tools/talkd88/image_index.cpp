#include "image_index.h"

#include <cerrno>
#include <cstdint>
#include <cstdlib>

int parse_image_index(const char* text, int32_t* index)
{
    char* rest = nullptr;
    errno = 0;
    unsigned long value = strtoul(text, &rest, 0);
    if (errno == ERANGE || *rest != '\0' || value > static_cast<unsigned long>(INT32_MAX))
        return -1;
    *index = static_cast<int32_t>(value);
    return 0;
}
