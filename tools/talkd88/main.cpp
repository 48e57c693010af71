// talkd88: lists the talk data of the PC-8801 edition from a D88 image of
// its Towne disk.
#include <cstdint>
#include <cstdio>

#include "command_line.h"
#include "d88_image.h"
#include "pc8801_storage.h"
#include "talk_listing.h"

namespace {

const char default_image_path[] = "velk-towne.d88";

void print_usage()
{
    puts("usage: talkd88 [options] [towne-disk.d88]");
    puts("option: -i|--index INDEX    specify index # of multiple disks image");
    puts("        -?|--help           print usage");
    puts("");
    printf("read Towne disk image from '%s' if not specified\n", default_image_path);
}

// Reads every disk of the image, selects one and lists it: 0 after a
// complete listing, 1 after the failing step's final line.
int list_d88_talk_data(d88_image* image, const char* path, int32_t index)
{
    if (read_d88_image_file(image, path) < 0) {
        printf("error: read d88 image '%s'\n", path);
        return 1;
    }
    d88_disk* disk = get_d88_disk(image, index);
    if (disk == nullptr) {
        printf("error: illegal image index '%s':%d\n", path, index);
        return 1;
    }
    if (print_talk_data(&talk_profile_pc8801, fetch_d88_talk_record, disk) < 0) {
        printf("error: print talk data '%s':%d\n", path, index);
        return 1;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    const char* path = default_image_path;
    int32_t index = 0;
    if (parse_talkd88_command_line(argc, argv, &path, &index, print_usage) < 0)
        return 1;
    d88_image image = {0, nullptr};
    int exit_code = list_d88_talk_data(&image, path, index);
    free_d88_image(&image, 0);
    return exit_code;
}
