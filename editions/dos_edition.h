// The DOS entry of the table of editions (edition_table.h).
#pragma once

#include "edition_table.h"

extern const edition_entry dos_edition;
