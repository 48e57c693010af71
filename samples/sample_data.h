// Invented sample data of every edition, for the demo, for trying the
// programs and for the fuzz targets: the DOS town files in "dos/", the
// Apple II image "velktown.dsk", the PC-8801 image "velk-towne.d88" (the
// talk disk, then a blank disk without talk data) and the X68000 image
// "velk-britannia.xdf".
#pragma once

#include <string>

// Writes the samples into folder (made when missing): 0, or -1 after
// printing why.
int write_sample_data(const std::string& folder);

// The sample input of an edition (its name in the table of editions) in
// that folder: "dos", "velktown.dsk", ...; null for a name without one.
const char* sample_input(const std::string& edition);
