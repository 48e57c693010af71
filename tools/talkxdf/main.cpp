// talkxdf: lists the talk data of the X68000 edition from its XDF disk
// image, where the file TALKDATA.BIN of the root directory holds the 256
// talk records.
#include <cstdio>
#include <cstring>

#include "fat12_image.h"
#include "talk_listing.h"
#include "tool_command_line.h"
#include "x68000_storage.h"

namespace {

const char default_image_path[] = "velk-britannia.xdf";

unsigned char talk_data[x68000_talk_bytes];

void print_usage()
{
    puts("usage: talkxdf [options] [britannia-disk.xdf]");
    puts("option: -?|--help           print usage");
    puts("");
    printf("read Britannia disk image from '%s' if not specified\n", default_image_path);
}

// Takes TALKDATA.BIN out of the open image and lists it: 0 after the
// complete listing, -1 after the failing step's line.
int list_talk_file(const fat12_image* image, const char* path)
{
    int32_t size = 0;
    switch (read_x68000_talk_file(image, talk_data, &size)) {
    case x68000_talk_read:
        break;
    case x68000_talk_wrong_size:
        printf("error: file size: %d\n", size);
        return -1;
    case x68000_talk_missing:
    case x68000_talk_unreadable:
        printf("error: read disk image '%s/%s'\n", path, x68000_talk_file_name);
        return -1;
    }
    if (print_talk_data(&talk_profile_x68000, talk_data) < 0) {
        printf("error: print talk data '%s/%s'\n", path, x68000_talk_file_name);
        return -1;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    const char* path = default_image_path;
    if (parse_tool_command_line(argc, argv, &path, print_usage) < 0)
        return 1;

    int exit_code = 1;
    fat12_image image;
    memset(&image, 0, sizeof image);
    if (read_fat12_image_file(&image, path, 0) < 0)
        printf("error: read disk image '%s'\n", path);
    else if (list_talk_file(&image, path) == 0)
        exit_code = 0;
    free_fat12_image(&image, false);
    return exit_code;
}
