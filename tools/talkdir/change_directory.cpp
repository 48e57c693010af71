#include "change_directory.h"

#ifdef _WIN32
#include <direct.h>
#else
#include <unistd.h>
#endif

int change_directory(const char* path)
{
#ifdef _WIN32
    return _chdir(path) == 0 ? 0 : -1;
#else
    return chdir(path) == 0 ? 0 : -1;
#endif
}
