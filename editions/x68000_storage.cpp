#include "x68000_storage.h"

const char x68000_talk_file_name[] = "TALKDATA.BIN";

x68000_talk_result read_x68000_talk_file(const fat12_image* image, unsigned char* buffer,
                                         int32_t* size)
{
    // The size field is signed: only -1 means that the lookup failed, any
    // other value (negative ones included) is a size of the wrong kind.
    *size = get_fat12_file_size(image, x68000_talk_file_name, true);
    if (*size == -1)
        return x68000_talk_missing;
    if (*size != x68000_talk_bytes)
        return x68000_talk_wrong_size;
    if (read_fat12_file(image, x68000_talk_file_name, buffer, *size, true) < 0)
        return x68000_talk_unreadable;
    return x68000_talk_read;
}
