// A FAT12 floppy disk image held whole in memory. The geometry is chosen
// from the exact file size among three fixed layouts (the boot sector is
// not read); the first FAT copy is decoded once when the image is opened,
// and files of the root directory are read by their 8.3 names.
//
// Every operation prints its own line on standard output when it fails and
// returns -1 (or null); the caller adds its own line.
#pragma once

#include <cstdint>

static_assert(sizeof(int) == 4, "counts and FAT entries are 32-bit ints");

// An open image: the whole file, its layout and the decoded FAT. A closed
// record has every field zero and both pointers null.
struct fat12_image {
    int offset;               // bytes of the file before sector 0
    int file_size;            // bytes of the whole file
    unsigned char* buffer;    // the whole file, header included (owned)
    int cluster_count;        // data clusters, numbered 2 to cluster_count + 1
    int* fat;                 // cluster_count + 2 decoded entries, index = cluster (owned)
    int cylinders;            // geometry of the layout
    int heads;                // sides
    int sectors_per_track;    // sectors of one track
    int bytes_per_sector;     // sector size
    int total_sectors;        // sectors in the image
    int fat_start;            // first sector of the first FAT copy
    int fat_sectors;          // sectors of one FAT copy
    int root_start;           // first sector of the root directory
    int root_entries;         // 32-byte entries of the root directory
    int root_sectors;         // sectors of the root directory
    int data_start;           // first sector of the data area (cluster 2)
    int sectors_per_cluster;  // sectors of one cluster
};

// One supported layout, chosen by image_size (the file size less offset).
struct fat12_layout {
    int image_size;
    int cylinders;
    int heads;
    int sectors_per_track;
    int bytes_per_sector;
    int total_sectors;
    int fat_start;
    int fat_sectors;
    int root_start;
    int root_entries;
    int root_sectors;
    int data_start;
    int sectors_per_cluster;
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
int read_fat12_image_file(fat12_image* image, const char* path, int offset);

// Releases buffer and fat; then frees the record itself when free_record
// is set (it came from the heap), else leaves it zero-filled.
void free_fat12_image(fat12_image* image, bool free_record);

// The FAT (fat12_fat.cpp).

// Computes cluster_count and decodes the first FAT copy of buffer into fat.
int load_fat(fat12_image* image);

// The FAT entry of a cluster from 0 to cluster_count + 1, or -1.
int get_fat_entry(const fat12_image* image, int cluster);

// Names and directories (fat12_directory.cpp).

// Makes the 11-byte directory form of name plus a NUL in key: 0 when the
// whole name fitted in 8.3, else -1. Letters are kept as they are.
int make_fat_name(char key[12], const char* name);

// Searches at most entry_count entries of a directory for the 11-byte key.
// A dir_cluster below 2 means the root directory. With ignore_case the
// ASCII letters match either case; all other bytes must be equal. Returns
// the 32-byte entry inside buffer, or null.
const unsigned char* find_dir_entry(const fat12_image* image, int dir_cluster, int entry_count,
                                    const char* key, bool ignore_case);

// Files of the root directory.

// The root directory entry of name (fat12_root_file.cpp), or null after
// printing "illegal filename" or "can't find" with the name.
const unsigned char* find_fat12_root_file(const fat12_image* image, const char* name,
                                          bool ignore_case);

// Copies the first size bytes of a file along its chain from cluster
// (fat12_root_file.cpp): out of the image into into_file, or, when into_file
// is null, from from_file into the image. 0, or -1 after printing the line
// of the first cluster that is not part of a chain.
int copy_fat12_chain(const fat12_image* image, int cluster, int size, unsigned char* into_file,
                     const unsigned char* from_file);

// Reading (fat12_file_read.cpp).

// The size field of the file's root directory entry, a signed value, or -1
// (which a size field of 0xFFFFFFFF gives too).
int get_fat12_file_size(const fat12_image* image, const char* name, bool ignore_case);

// Copies the file's bytes along its cluster chain into dest of dest_size
// bytes: 0, or -1. A larger dest keeps its bytes past the file.
int read_fat12_file(const fat12_image* image, const char* name, unsigned char* dest, int dest_size,
                    bool ignore_case);

// Writing (fat12_file_write.cpp, fat12_image_write.cpp). No cluster is
// allocated or freed and the FAT and the directory entries never change.

// Overwrites the first source_size bytes of the file along its cluster
// chain inside buffer: 0, or -1. A source larger than the file is refused
// with nothing written; bytes of the file past the source keep their old
// contents. After a broken chain the sectors written before stay changed.
int write_fat12_file(fat12_image* image, const char* name, const unsigned char* source,
                     int source_size, bool ignore_case);

// Writes the whole buffer, header before sector 0 included, to a new file
// beside path and then puts it in place of path, with path's permissions
// (a symbolic link at path is followed: the file it names is replaced): 0,
// or -1 with the new file removed and whatever stood at path left as it
// was. A path that exists but cannot be opened for writing is refused.
int write_fat12_image_file(const fat12_image* image, const char* path);

// Address conversions (fat12_address.cpp). None checks its input except
// through cluster_to_sector.

// First sector of a cluster from 2 to cluster_count + 1, or -1.
int cluster_to_sector(const fat12_image* image, int cluster);

// The cluster that holds sector; index, when given, receives the sector's
// position inside the cluster. A closed record gives -1 and index 0.
int sector_to_cluster(const fat12_image* image, int sector, int* index);

// Cylinder, head and sector (from 1) of a cluster's first sector; 0, 0, 0
// for a cluster without sector.
void cluster_to_chs(const fat12_image* image, int cluster, int* cylinder, int* head, int* sector);

// The cluster at a physical address (sector numbered from 1).
int chs_to_cluster(const fat12_image* image, int cylinder, int head, int sector, int* index);

// Byte position of sector inside buffer, or -1 when it does not fit 32 bits.
int get_sector_offset(const fat12_image* image, int sector);

// The bytes of sector inside buffer, or null unless the whole sector lies
// inside the file_size bytes of buffer, whatever the record's fields hold.
// Every access to the image's sectors goes through it.
unsigned char* get_sector_bytes(const fat12_image* image, int64_t sector);

namespace fat12 {

// Little-endian fields, byte by byte, whatever the host's byte order and
// the alignment.
unsigned read_le16(const unsigned char* bytes);
unsigned read_le32(const unsigned char* bytes);

}  // namespace fat12
