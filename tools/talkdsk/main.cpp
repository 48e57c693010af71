// talkdsk: lists the talk data of the Apple II edition from its disk image.
#include <cstdio>

#include "apple2_storage.h"
#include "talk_listing.h"
#include "tool_command_line.h"

namespace {

const char default_image_path[] = "velktown.dsk";

unsigned char talk_data[dsk_talk_bytes];

void print_usage()
{
    puts("usage: talkdsk [options] [towne-disk.dsk]");
    puts("option: -?|--help           print usage");
    puts("");
    printf("read Towne disk image from '%s' if not specified\n", default_image_path);
}

}  // namespace

int main(int argc, char** argv)
{
    const char* path = default_image_path;
    if (parse_tool_command_line(argc, argv, &path, print_usage) < 0)
        return 1;
    if (read_dsk_image(path, talk_data) < 0) {
        printf("error: read disk image '%s'\n", path);
        return 1;
    }
    if (print_talk_data(&talk_profile_apple2, talk_data) < 0) {
        printf("error: print talk data '%s'\n", path);
        return 1;
    }
    return 0;
}
