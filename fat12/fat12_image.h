// A FAT12 floppy disk image held whole in memory. The geometry is chosen
// from the exact image size among three fixed layouts (the boot sector is
// not read); the first FAT copy is decoded once when the image is opened,
// and files of the root directory are read and overwritten by their 8.3
// names. The building blocks underneath are in fat12_internal.h.
//
// Every operation prints its own line (through print_message) when it
// fails and returns -1 (or null); the caller adds its own line.
#pragma once

#include <cstdint>

#include "little_endian.h"

// An open image: the whole file, its layout and the decoded FAT. A closed
// record has every field zero and both pointers null.
struct fat12_image {
    int32_t offset;               // bytes of the file before sector 0
    int32_t file_size;            // bytes of the whole file
    uint8_t* buffer;              // the whole file, header included (owned)
    int32_t cluster_count;        // data clusters, numbered 2 to cluster_count + 1
    int32_t* fat;                 // cluster_count + 2 decoded entries, index = cluster (owned)
    int32_t fat_entries;          // entries of fat, whatever cluster_count is set to later
    int32_t cylinders;            // geometry of the layout
    int32_t heads;                // sides
    int32_t sectors_per_track;    // sectors of one track
    int32_t bytes_per_sector;     // sector size
    int32_t total_sectors;        // sectors in the image
    int32_t fat_start;            // first sector of the first FAT copy
    int32_t fat_sectors;          // sectors of one FAT copy
    int32_t root_start;           // first sector of the root directory
    int32_t root_entries;         // 32-byte entries of the root directory
    int32_t root_sectors;         // sectors of the root directory
    int32_t data_start;           // first sector of the data area (cluster 2)
    int32_t sectors_per_cluster;  // sectors of one cluster
};

// One supported layout, chosen by image_size (the file size less offset).
struct fat12_layout {
    int32_t image_size;
    int32_t cylinders;
    int32_t heads;
    int32_t sectors_per_track;
    int32_t bytes_per_sector;
    int32_t total_sectors;
    int32_t fat_start;
    int32_t fat_sectors;
    int32_t root_start;
    int32_t root_entries;
    int32_t root_sectors;
    int32_t data_start;
    int32_t sectors_per_cluster;
};

enum { fat12_layout_count = 3 };

// The layouts in the order in which the file size is matched against them:
// 1,261,568 bytes (XDF), 737,280 bytes, 655,360 bytes.
extern const fat12_layout fat12_layouts[fat12_layout_count];

enum {
    fat12_dir_entry_size = 32,
    fat12_name_size = 11,             // 8 bytes of base name, 3 of extension
    fat12_dir_cluster_offset = 26,    // first cluster, 16 bits
    fat12_dir_size_offset = 28,       // file size, 32 bits
    fat12_first_cluster = 2,          // the first cluster of the data area
    fat12_last_chain_cluster = 0xFEF  // higher numbers end a chain
};

// Opening and releasing (fat12_open.cpp).

// Reads the whole file at path into a closed (or uninitialised) record,
// picks the layout and decodes the FAT: 0, or -1 with the record closed.
int read_fat12_image_file(fat12_image* image, const char* path, int32_t offset);

// Opens an image from bytes that the record takes over (malloc'ed; released
// by free_fat12_image, also when the open fails): picks the layout from size
// and offset and decodes the FAT. name is what the messages call the image
// ("unsupported image '%s'\n", "can't get fat '%s' offset=%08X\n"). 0, or -1
// with the record closed.
int open_fat12_image_buffer(fat12_image* image, const char* name, uint8_t* bytes, int32_t size,
                            int32_t offset);

// Releases buffer and fat; then frees the record itself when free_record
// is set (it came from the heap), else leaves it zero-filled.
void free_fat12_image(fat12_image* image, bool free_record);

// The FAT entry of a cluster from 0 to cluster_count + 1, or -1
// (fat12_fat.cpp).
int32_t get_fat_entry(const fat12_image* image, int32_t cluster);

// Makes the 11-byte directory form of name plus a NUL in key: 0 when the
// whole name fitted in 8.3, else -1. Letters are kept as they are
// (fat12_directory.cpp).
int make_fat_name(char key[12], const char* name);

// Reading (fat12_file_read.cpp).

// The size field of the file's root directory entry, a signed value, or -1
// (which a size field of 0xFFFFFFFF gives too).
int32_t get_fat12_file_size(const fat12_image* image, const char* name, bool ignore_case);

// Copies the file's bytes along its cluster chain into dest of dest_size
// bytes: 0, or -1. A larger dest keeps its bytes past the file.
int read_fat12_file(const fat12_image* image, const char* name, uint8_t* dest, int32_t dest_size,
                    bool ignore_case);

// Writing (fat12_file_write.cpp, fat12_image_write.cpp). No cluster is
// allocated or freed and the FAT and the directory entries never change.

// Overwrites the first source_size bytes of the file along its cluster
// chain inside buffer: 0, or -1. A source larger than the file is refused
// with nothing written; bytes of the file past the source keep their old
// contents. After a broken chain the sectors written before stay changed.
int write_fat12_file(fat12_image* image, const char* name, const uint8_t* source,
                     int32_t source_size, bool ignore_case);

// Writes the whole buffer, header before sector 0 included, to a new file
// beside path and then puts it in place of path, with path's permissions
// and (as root) owner (a symbolic link at path is followed: the file it
// names is replaced): 0, or -1 with the new file removed and whatever stood
// at path left as it was. A path that exists but cannot be opened for
// writing is refused.
int write_fat12_image_file(const fat12_image* image, const char* path);

// Address conversions (fat12_address.cpp). None checks its input except
// through cluster_to_sector.

// First sector of a cluster from 2 to cluster_count + 1, or -1.
int32_t cluster_to_sector(const fat12_image* image, int32_t cluster);

// The cluster that holds sector; index, when given, receives the sector's
// position inside the cluster. A closed record gives -1 and index 0.
int32_t sector_to_cluster(const fat12_image* image, int32_t sector, int32_t* index);

// Cylinder, head and sector (from 1) of a cluster's first sector; 0, 0, 0
// for a cluster without sector.
void cluster_to_chs(const fat12_image* image, int32_t cluster, int32_t* cylinder, int32_t* head,
                    int32_t* sector);

// The cluster at a physical address (sector numbered from 1).
int32_t chs_to_cluster(const fat12_image* image, int32_t cylinder, int32_t head, int32_t sector,
                       int32_t* index);

// Byte position of sector inside buffer, or -1 when it does not fit 32 bits.
int32_t get_sector_offset(const fat12_image* image, int32_t sector);

namespace fat12 {

// Little-endian fields, byte by byte, whatever the host's byte order and
// the alignment.
using little_endian::read_le16;
using little_endian::read_le32;

}  // namespace fat12
