// The damaged variants of each sample: cuts at every structure boundary
// and a spread of other lengths, and single bytes changed in headers,
// tables, directory entries and talk records. Each variant carries what
// the tool must do with it, worked out from what the changed byte means.
#pragma once

#include <vector>

#include "sweep_runner.h"

// Seeds of the random parts; fixed so that every run makes the same
// variants.
enum : unsigned {
    dsk_sweep_seed = 0x5EED0001,
    dos_sweep_seed = 0x5EED0002,
    d88_sweep_seed = 0x5EED0003,
    xdf_sweep_seed = 0x5EED0004,
};

std::vector<sweep_variant> dsk_cut_variants(int scale);
std::vector<sweep_variant> dsk_byte_variants(int scale);
std::vector<sweep_variant> dos_cut_variants(int scale);
std::vector<sweep_variant> dos_byte_variants(int scale);
std::vector<sweep_variant> d88_cut_variants(int scale);
std::vector<sweep_variant> d88_byte_variants(int scale);
std::vector<sweep_variant> xdf_cut_variants(int scale);
std::vector<sweep_variant> xdf_byte_variants(int scale);
