// Releasing what the readers allocated. A set release flag frees the
// record itself; a clear one empties it for reuse.
#pragma once

#include "d88_model.h"

// Frees every sector's data and every sector array of the disk; then the
// disk itself, or with release 0 leaves it zero-filled (next included).
void free_d88_disk(d88_disk* disk, int release);

// Frees every disk of the chain; then the image itself, or with release 0
// leaves it empty (no disks) and ready for another read.
void free_d88_image(d88_image* image, int release);
