#include "town_files.h"

#include <cstdio>

#include "change_directory.h"
#include "whole_file.h"

// Index = town number of the town table.
const char* const talk_file_names[] = {
    "LCB.TLK",    "LYCAEUM.TLK", "EMPATH.TLK", "SERPENT.TLK", "MOONGLOW.TLK", "BRITAIN.TLK",
    "JHELOM.TLK", "YEW.TLK",     "MINOC.TLK",  "TRINSIC.TLK", "SKARA.TLK",    "MAGINCIA.TLK",
    "PAWS.TLK",   "DEN.TLK",     "VESPER.TLK", "COVE.TLK",
};

static_assert(sizeof talk_file_names / sizeof *talk_file_names == talk_town_count);

int read_talk_files(const char* directory, unsigned char* buffer)
{
    if (directory != nullptr && change_directory(directory) < 0) {
        printf("error: chdir '%s'\n", directory);
        return -1;
    }
    for (int town = 0; town < talk_town_count; town++) {
        const char* name = talk_file_names[town];
        file_status status;
        if (read_file_start(name, buffer + town * town_file_bytes, town_file_bytes, &status) < 0) {
            printf(status.failed == file_step_open ? "error: open '%s'\n" : "error: read '%s'\n",
                   name);
            return -1;
        }
    }
    return 0;
}
