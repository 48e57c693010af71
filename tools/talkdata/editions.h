// The four editions as talkdata names them, with the listing core's
// profile of each, and the names of the twelve fields.
#pragma once

#include <string>

#include "talk_listing.h"

enum data_edition { edition_dos, edition_apple2, edition_pc8801, edition_x68000, edition_count };

struct edition_info {
    const char* name;   // on the command line and in exports
    const char* title;  // in messages
    const talk_profile* profile;
};

extern const edition_info edition_infos[edition_count];

// The edition of a name, or -1.
int find_edition(const std::string& name);

// The field names of the exports, index = display slot.
extern const char* const field_names[talk_slot_count];

// The display slot of a field name, or -1.
int find_field(const std::string& name);
