// FAT12 floppy images built byte by byte, for the sample data and the
// tests: a boot sector with the layout's parameters, two FAT copies, a
// root directory and the data area, with files placed on whatever clusters
// the caller names.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "byte_files.h"

enum class fat12_test_layout { xdf, dd9, dd8 };  // 1,261,568, 737,280, 655,360 bytes

struct fat12_test_geometry {
    size_t image_size;
    int bytes_per_sector;
    int sectors_per_cluster;
    int sectors_per_track;
    int heads;
    int total_sectors;
    int fat_start;
    int fat_sectors;
    int root_start;
    int root_entries;
    int data_start;
    int cluster_count;  // data clusters 2 to cluster_count + 1
    unsigned char media;
};

const fat12_test_geometry& fat12_geometry(fat12_test_layout layout);

struct fat12_test_image {
    fat12_test_layout layout;
    byte_vector bytes;  // sector 0 at byte 0
};

// A formatted, empty image: boot sector, FAT entries 0 and 1 set, the rest
// zero.
fat12_test_image make_blank_fat12_image(fat12_test_layout layout);

// The FAT copies that a change of the FAT reaches: both, as a formatter
// keeps them, or one alone, for images whose copies disagree.
enum class fat12_fat_copies { both, first_only, second_only };

// Sets a 12-bit FAT entry of a cluster from 0 to cluster_count + 1.
void set_fat12_entry(fat12_test_image& image, int cluster, int value,
                     fat12_fat_copies copies = fat12_fat_copies::both);

// The 11-byte name field: base and extension padded with spaces, letters
// kept as given, a first byte 0xE5 stored as 0x05.
std::string fat12_entry_name(const std::string& base, const std::string& extension);

// Writes root directory entry slot (0 to root_entries - 1): name, archive
// attribute, first cluster and size.
void put_fat12_dir_entry(fat12_test_image& image, int slot, const std::string& name11,
                         int first_cluster, unsigned size);

// Byte position of a cluster's first sector.
size_t fat12_cluster_offset(const fat12_test_image& image, int cluster);

// Rewrites the size field of root directory entry slot, for a file whose
// size and chain disagree.
void set_fat12_file_size(fat12_test_image& image, int slot, unsigned size);

// Copies data into the clusters in the order given, as far as it reaches,
// touching nothing else; a cluster named twice takes the later bytes.
// Throws std::invalid_argument, changing nothing, when data needs more
// bytes than the clusters hold.
void fill_fat12_clusters(fat12_test_image& image, const byte_vector& data,
                         const std::vector<int>& clusters);

// Places a file: its bytes fill the clusters in the order given (as far as
// they reach), each cluster's entry names the next one in the FAT copies
// named, the last holds end_mark, and the root entry at slot gets the size
// of data and the first cluster (0 when clusters is empty). Throws
// std::invalid_argument, changing nothing, when data needs more bytes than
// the clusters hold.
void put_fat12_file(fat12_test_image& image, int slot, const std::string& name11,
                    const byte_vector& data, const std::vector<int>& clusters, int end_mark = 0xFFF,
                    fat12_fat_copies copies = fat12_fat_copies::both);

// The image's bytes behind a header of offset bytes of fill, as a file whose
// sector 0 begins at byte offset.
byte_vector fat12_image_with_header(const fat12_test_image& image, size_t offset,
                                    unsigned char fill = 0x5A);

// The clusters first, first + 1, ..., first + count - 1.
std::vector<int> fat12_cluster_run(int first, int count);

// Bytes that differ from cluster to cluster and from seed to seed.
byte_vector fat12_test_bytes(size_t count, unsigned seed);

// An XDF image holding talk_data (131,072 bytes) on clusters 2 to 129 under
// name11 in root slot 0.
byte_vector make_talk_xdf_image(const byte_vector& talk_data,
                                const std::string& name11 = "TALKDATABIN");

// An XDF image whose TALKDATA.BIN holds the 256 X68000 records that record
// makes.
byte_vector make_talk_xdf_image(const std::function<byte_vector(int town, int person)>& record);
