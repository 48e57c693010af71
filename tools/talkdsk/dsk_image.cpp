#include "dsk_image.h"

#include <cstdio>

int read_dsk_image(const char* path, unsigned char* buffer)
{
    FILE* file = fopen(path, "rb");
    if (file == nullptr) {
        printf("error: open '%s'\n", path);
        return -1;
    }
    size_t items = fread(buffer, dsk_talk_bytes, 1, file);
    fclose(file);
    if (items != 1) {
        printf("error: read '%s'\n", path);
        return -1;
    }
    return 0;
}
