#include "has_extension.h"

#include <cstring>

bool has_extension(const std::string& path, const char* extension)
{
    size_t length = strlen(extension);
    if (path.size() < length)
        return false;
    for (size_t i = 0; i < length; i++) {
        char c = path[path.size() - length + i];
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
        if (c != extension[i])
            return false;
    }
    return true;
}
