#include "command_line.h"

#include <cstdio>
#include <cstring>

#include "image_index.h"

int parse_talkd88_command_line(int argc, char** argv, const char** path, int32_t* index,
                               void (*print_usage)())
{
    int positionals_allowed = 1;
    for (int i = 1; i < argc; i++) {
        const char* argument = argv[i];
        if (argument[0] != '-') {
            if (positionals_allowed == 0) {
                printf("error: illegal parameter '%s'\n", argument);
                return -1;
            }
            *path = argument;
            positionals_allowed = 0;
        } else if (strcmp(argument, "-?") == 0 || strcmp(argument, "--help") == 0) {
            print_usage();
            return -1;
        } else if (strcmp(argument, "-i") == 0 || strcmp(argument, "--index") == 0) {
            // The next argument is the index, whatever it begins with.
            if (i + 1 >= argc) {
                puts("no image index");
                return -1;
            }
            const char* text = argv[++i];
            if (parse_image_index(text, index) < 0) {
                printf("error: illegal image index '%s'\n", text);
                return -1;
            }
        } else {
            printf("error: illegal option '%s'\n", argument);
            return -1;
        }
    }
    return 0;
}
