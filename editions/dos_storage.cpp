#include "dos_storage.h"

#include "message_lines.h"
#include "storage_start.h"

#ifdef _WIN32
#include <direct.h>
#else
#include <unistd.h>
#endif

namespace {

// Makes path the process's working directory: 0, or -1.
int change_directory(const char* path)
{
#ifdef _WIN32
    return _chdir(path) == 0 ? 0 : -1;
#else
    return chdir(path) == 0 ? 0 : -1;
#endif
}

}  // namespace

const char* const talk_file_names[] = {
    "LCB.TLK",    "LYCAEUM.TLK", "EMPATH.TLK", "SERPENT.TLK", "MOONGLOW.TLK", "BRITAIN.TLK",
    "JHELOM.TLK", "YEW.TLK",     "MINOC.TLK",  "TRINSIC.TLK", "SKARA.TLK",    "MAGINCIA.TLK",
    "PAWS.TLK",   "DEN.TLK",     "VESPER.TLK", "COVE.TLK",
};

static_assert(sizeof talk_file_names / sizeof *talk_file_names == talk_town_count);

int read_talk_files(const char* directory, unsigned char* buffer)
{
    if (directory != nullptr && change_directory(directory) < 0) {
        print_message("error: chdir '%s'\n", directory);
        return -1;
    }
    for (int town = 0; town < talk_town_count; town++)
        if (read_storage_start(talk_file_names[town], buffer + town * town_file_bytes,
                               town_file_bytes) < 0)
            return -1;
    return 0;
}
