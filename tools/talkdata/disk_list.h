// talkdata disks: one line for each disk of a D88 image, so that users find
// the index of the disk they need; a damaged disk is listed with its error.
#pragma once

#include <cstdio>
#include <string>

// Lists the disks of the image at path on out. 0 when every disk reads,
// -1 when the file cannot be read or a disk is damaged (its line then
// holds the error; the disks around it are still listed while the damaged
// disk's size tells where the next one starts).
int list_d88_disks(const std::string& path, FILE* out);
