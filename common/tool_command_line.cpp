#include "tool_command_line.h"

#include <cstdio>
#include <cstring>

int parse_tool_command_line(int argc, char** argv, const char** path, void (*print_usage)())
{
    bool path_given = false;
    for (int i = 1; i < argc; i++) {
        const char* argument = argv[i];
        if (argument[0] == '-') {
            if (strcmp(argument, "-?") == 0 || strcmp(argument, "--help") == 0) {
                print_usage();
                return -1;
            }
            printf("error: illegal option '%s'\n", argument);
            return -1;
        }
        if (path_given) {
            printf("error: illegal parameter '%s'\n", argument);
            return -1;
        }
        *path = argument;
        path_given = true;
    }
    return 0;
}
