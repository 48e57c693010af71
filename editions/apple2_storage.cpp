#include "apple2_storage.h"

#include "storage_start.h"

int read_dsk_image(const char* path, unsigned char* buffer)
{
    return read_storage_start(path, buffer, dsk_talk_bytes);
}
