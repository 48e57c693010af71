// The FAT12 library's building blocks under the file operations: decoding
// the FAT, searching a directory, walking a cluster chain, finding a root
// file, reaching a sector's bytes. Tests and fuzz targets use them too.
#pragma once

#include <cstdint>

#include "fat12_image.h"

// Computes cluster_count and decodes the first FAT copy of buffer into fat
// (fat12_fat.cpp). 0, or -1 when the layout fields do not describe sectors
// inside buffer (no message) or the FAT is too small for the clusters.
int load_fat(fat12_image* image);

// Searches at most entry_count entries of a directory for the 11-byte key
// (fat12_directory.cpp). A dir_cluster below 2 means the root directory.
// With ignore_case the ASCII letters match either case; all other bytes
// must be equal. Returns the 32-byte entry inside buffer, or null.
const uint8_t* find_dir_entry(const fat12_image* image, int32_t dir_cluster, int32_t entry_count,
                              const char* key, bool ignore_case);

// The root directory entry of name (fat12_root_file.cpp), or null after
// printing "illegal filename" or "can't find" with the name.
const uint8_t* find_fat12_root_file(const fat12_image* image, const char* name, bool ignore_case);

// Copies the first size bytes of a file along its chain from cluster out of
// the image into dest, or from source into the image (fat12_root_file.cpp).
// 0, or -1 after printing the line of the first cluster that is not part of
// a chain or has no sector inside buffer.
int read_fat12_chain(const fat12_image* image, int32_t cluster, int32_t size, uint8_t* dest);
int write_fat12_chain(fat12_image* image, int32_t cluster, int32_t size, const uint8_t* source);

// The bytes of sector inside buffer, or null unless the whole sector lies
// inside the file_size bytes of buffer, whatever the record's fields hold
// (fat12_address.cpp). Every access to the image's sectors goes through it.
uint8_t* get_sector_bytes(const fat12_image* image, int64_t sector);
