// The talk data of one input, loaded through the editions' own libraries:
// the 256 records, where each lies, and the storage they came from, kept
// for writing edited records back.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "d88_image.h"
#include "edition_table.h"
#include "fat12_image.h"

// A whole file as it was read, released with free().
struct file_bytes {
    uint8_t* data = nullptr;
    size_t size = 0;

    file_bytes() = default;
    file_bytes(const file_bytes&) = delete;
    file_bytes& operator=(const file_bytes&) = delete;
    ~file_bytes() { free(data); }
    // Hands the bytes over to an owner that releases them with free().
    uint8_t* release()
    {
        uint8_t* bytes = data;
        data = nullptr;
        size = 0;
        return bytes;
    }
};

struct talk_input {
    const edition_entry* edition = nullptr;
    std::string path;        // as the user named it
    int32_t disk_index = 0;  // the disk of a D88 image
    unsigned record_size = 0;
    // The records town-major; with fewer than 256 present (a PC-8801 record
    // sector missing or unreadable), those in listing order before it.
    std::vector<uint8_t> records;
    int present = 0;
    talk_location missing = {0, 0, 0};  // the sector of the first record not present

    // The storage, as read.
    std::vector<std::vector<uint8_t>> town_files;  // DOS: each town file whole
    file_bytes image;                              // the other editions: the whole file
    d88_image d88 = {0, nullptr};                  // PC-8801: the image read from it
    d88_disk* disk = nullptr;                      // its chosen disk
    fat12_image fat12 = {};                        // X68000: the open image, which owns the bytes

    talk_input() = default;
    talk_input(const talk_input&) = delete;
    talk_input& operator=(const talk_input&) = delete;
    ~talk_input();

    const uint8_t* record(int town, int person) const
    {
        return records.data() +
               static_cast<size_t>(town * talk_person_count + person) * record_size;
    }
    uint8_t* record(int town, int person)
    {
        return records.data() +
               static_cast<size_t>(town * talk_person_count + person) * record_size;
    }
};

// The largest file read: the D88 library's positions are 32-bit.
const size_t largest_input_file = 0x7FFFFFFF;

// Reads a whole file: 0, or -1 after the error line (a folder, a FIFO or a
// device is refused at once as not being what, "a D88 image"). An empty
// file reads as no bytes when empty_ok is set, else it is an error.
int read_input_file(const std::string& path, const char* what, size_t size_limit, bool empty_ok,
                    file_bytes* bytes);

// Loads path as edition, or when edition is null as the edition whose claim
// on it is strongest. index_option is the option that gave disk_index as
// the user spelled it ("-i", "--index-b"), or null when none did: it is
// refused for an edition without disks, 0 as well. 0, or -1 after printing
// why.
int load_talk_input(const std::string& path, const edition_entry* edition, int32_t disk_index,
                    const char* index_option, talk_input* input);

// A sector as the listing names it: cylinder/head/record in hex, "10/00/04".
std::string sector_text(const talk_location& location);

// Where a record lies, for messages: "[Paws][3]", and where a sector holds
// it, the sector as well: "[Paws][3] 16/00/04".
std::string record_name(const talk_input& input, int town, int person);
