// talkxdf: lists the talk data of the X68000 edition from its XDF disk
// image, where the file TALKDATA.BIN of the root directory holds the 256
// talk records.
#include <cstdio>
#include <cstring>

#include "fat12_image.h"
#include "talk_listing.h"
#include "tool_command_line.h"

namespace {

const char default_image_path[] = "velk-britannia.xdf";
const char talk_file_name[] = "TALKDATA.BIN";

// 131,072: the 256 records of 512 bytes.
enum { talk_data_bytes = talk_town_count * talk_person_count * talk_profile_x68000.record_size };

unsigned char talk_data[talk_data_bytes];

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
    // The size field is signed: only -1 means that the lookup failed, any
    // other value (negative ones included) is a size of the wrong kind.
    int size = get_fat12_file_size(image, talk_file_name, true);
    if (size == -1) {
        printf("error: read disk image '%s/%s'\n", path, talk_file_name);
        return -1;
    }
    if (size != talk_data_bytes) {
        printf("error: file size: %d\n", size);
        return -1;
    }
    if (read_fat12_file(image, talk_file_name, talk_data, size, true) < 0) {
        printf("error: read disk image '%s/%s'\n", path, talk_file_name);
        return -1;
    }
    if (print_talk_data(&talk_profile_x68000, talk_data) < 0) {
        printf("error: print talk data '%s/%s'\n", path, talk_file_name);
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
