// Releasing disks and images.
#include "d88_free.h"

#include <cstdlib>
#include <cstring>

namespace {

void free_d88_track(d88_track* track)
{
    if (track->sectors == nullptr)
        return;
    // A track that stopped part-way holds zero-filled sectors past the
    // failing one; their data is null.
    for (int32_t i = 0; i < track->sector_count; i++)
        free(track->sectors[i].data);
    free(track->sectors);
}

}  // namespace

void free_d88_disk(d88_disk* disk, int release)
{
    if (disk == nullptr)
        return;
    for (int slot = 0; slot < d88_max_tracks; slot++)
        free_d88_track(&disk->tracks[slot]);
    if (release)
        free(disk);
    else
        memset(disk, 0, sizeof *disk);
}

void free_d88_image(d88_image* image, int release)
{
    if (image == nullptr)
        return;
    while (image->first_disk != nullptr) {
        d88_disk* disk = image->first_disk;
        image->first_disk = disk->next;
        free_d88_disk(disk, 1);
    }
    if (release) {
        free(image);
    } else {
        image->disk_count = 0;
        image->first_disk = nullptr;
    }
}
