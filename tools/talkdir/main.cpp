// talkdir: lists the talk data of the DOS edition from its sixteen town files.
#include <cstdio>

#include "dos_storage.h"
#include "talk_listing.h"
#include "tool_command_line.h"

namespace {

unsigned char talk_data[talk_files_bytes];

void print_usage()
{
    puts("usage: talkdir [options] [data-directory]");
    puts("option: -?|--help           print usage");
    puts("");
    puts("read data files from current directory if not specified");
}

}  // namespace

int main(int argc, char** argv)
{
    const char* directory = nullptr;
    if (parse_tool_command_line(argc, argv, &directory, print_usage) < 0)
        return 1;
    if (read_talk_files(directory, talk_data) < 0) {
        puts("error: read data");
        return 1;
    }
    if (print_talk_data(&talk_profile_dos, talk_data) < 0) {
        puts("error: print talk data");
        return 1;
    }
    return 0;
}
