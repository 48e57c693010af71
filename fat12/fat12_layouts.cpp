#include "fat12_image.h"

// clang-format off
const fat12_layout fat12_layouts[] = {
    // image_size cyl heads spt  bps  total fat_start fat_sectors root_start root_entries root_sectors data_start spc
    {  0x134000,  77, 2,    8,   1024, 1232, 1,        2,          5,         192,         6,           11,        1 },
    {  0xB4000,   80, 2,    9,   512,  1440, 1,        3,          7,         112,         7,           14,        2 },
    {  0xA0000,   80, 2,    8,   512,  1280, 1,        2,          5,         112,         7,           12,        2 },
};
// clang-format on

static_assert(sizeof fat12_layouts / sizeof fat12_layouts[0] == fat12_layout_count,
              "one row per layout");
