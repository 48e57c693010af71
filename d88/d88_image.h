// The D88 disk image library: the in-memory model, the readers that fill
// it from a file or a buffer, its release, the lookups of disks, tracks
// and sectors, the writers that serialise it, and the creation of blank
// disks. Every failing call prints its own line (through print_message:
// standard output unless a sink is set) and returns -1 or null; its caller
// adds its own line.
#pragma once

#include "d88_create.h"
#include "d88_find.h"
#include "d88_free.h"
#include "d88_model.h"
#include "d88_read.h"
#include "d88_write.h"
