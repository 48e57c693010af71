// Writes the sample data of every edition into a folder.
#include <cstdio>

#include "sample_data.h"

int main(int argc, char** argv)
{
    if (argc != 2) {
        printf("usage: make_samples OUTPUT-FOLDER\n");
        return 1;
    }
    if (write_sample_data(argv[1]) < 0)
        return 1;
    printf("sample data written to %s\n", argv[1]);
    return 0;
}
