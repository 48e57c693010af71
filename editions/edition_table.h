// The table of editions: each edition is one entry, made in its own file
// (dos_edition.cpp, ...) and registered once in edition_table.cpp, that
// holds its names, its listing profile, how its input is told apart from
// the others', how it is loaded, how changed records are written back and
// where a record lies.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "field_codec.h"
#include "talk_listing.h"

enum { talk_record_count = talk_town_count * talk_person_count };

struct talk_input;
struct record_change;
struct replacement_journal;

// What tells an input apart: its path, whether it is a folder, and for a
// file its bytes.
struct input_probe {
    const std::string* path;
    bool folder;
    const uint8_t* bytes;  // null for a folder
    size_t size;
};

// How strongly an edition claims an input that no --edition names; the
// strongest claim wins.
enum input_claim {
    claim_none,
    claim_any_file,  // a file of the size the edition needs, which any other edition may claim
    claim_name,      // the extension of its name (the contents fit no image)
    claim_contents,  // what it is or holds
};

// Where a record lies in an edition's storage.
struct record_location {
    const char* file;      // the file of the storage that holds it, or null (the image itself)
    long long offset;      // its offset in that file or image, or -1 (a sector holds it)
    talk_location sector;  // with offset -1: the cylinder, head and record of its sector
};

struct edition_entry {
    const char* name;      // on the command line and in exports: "pc8801"
    const char* title;     // in messages: "PC-8801"
    const char* input;     // what its input is, for the help: "a D88 image"
    const char* language;  // of its texts, as gettext names languages: "en", "ja"
    const talk_profile* profile;
    bool folder;     // the input is a folder, not a file read whole before loading
    bool has_disks;  // the input holds several disks, -i picks one
    input_claim (*claim)(const input_probe& probe);
    // Loads the records from input->path (a file's bytes in input->image):
    // 0, or -1 after the error lines.
    int (*load)(talk_input* input);
    // Stages input->records (the changed ones listed) in the journal, to
    // go over the input, or when output is not empty to that new path: 0,
    // or -1 after the error lines. The journal's commit puts them in place.
    int (*write)(talk_input* input, const std::vector<record_change>& changes,
                 const std::string& output, replacement_journal* journal);
    record_location (*locate)(int town, int person);
};

// The editions, as the table of editions lists them (dos, apple2, pc8801,
// x68000), for loops over them all.
struct edition_list {
    const edition_entry* const* entries;
    size_t count;

    const edition_entry* const* begin() const { return entries; }
    const edition_entry* const* end() const { return entries + count; }
    const edition_entry* operator[](size_t index) const { return entries[index]; }
};

extern const edition_list talk_editions;

// The edition of a name, or null.
const edition_entry* find_edition(const std::string& name);

// The names of the editions, "dos, apple2, pc8801, x68000", for messages.
std::string edition_name_list();

// The codec of an edition's texts, prepared when first asked for and kept.
const field_codec& edition_codec(const edition_entry* edition);
