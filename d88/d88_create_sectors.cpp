// Blank sectors of one track, of one size code or from a list of them.
#include <cstdlib>
#include <cstring>

#include "d88_create.h"
#include "message_lines.h"

// clang-format off
const int32_t d88_sector_sizes[] = {
    // bytes     size code
    128,      // 0: not created
    256,      // 1
    512,      // 2
    1024,     // 3
    2048,     // 4
    4096,     // 5
    8192,     // 6
};
// clang-format on
static_assert(sizeof d88_sector_sizes / sizeof d88_sector_sizes[0] == d88_sector_size_count,
              "one row per size code 0-6");

namespace {

const uint8_t blank_fill = 0xE5;

bool valid_head(uint8_t head)
{
    return head == 0x00 || head == 0x01 || head == 0x80 || head == 0x81;
}

bool valid_density(uint8_t density)
{
    return density == 0x00 || density == 0x40;  // double, single density
}

bool valid_size_code(uint8_t size_code)
{
    return size_code >= 1 && size_code < d88_sector_size_count;
}

// The checks both creators share.
bool valid_track(uint8_t cylinder, uint8_t head, int32_t count, uint8_t density)
{
    return cylinder <= d88_max_create_cylinder && valid_head(head) && count >= 1 &&
           valid_density(density);
}

void free_sectors(d88_sector* sectors, int32_t count)
{
    for (int32_t i = 0; i < count; i++)
        free(sectors[i].data);
    free(sectors);
}

// Allocates count sectors; sector i gets records[i] and size_codes[i], or
// record first_record + i and size code size_code where a list is null.
d88_sector* make_sectors(uint8_t cylinder, uint8_t head, uint8_t first_record,
                         const uint8_t* records, uint8_t size_code, const uint8_t* size_codes,
                         int32_t count, uint8_t density)
{
    d88_sector* sectors =
        static_cast<d88_sector*>(calloc(static_cast<size_t>(count), sizeof(d88_sector)));
    if (sectors == nullptr) {
        print_message("memory exhaust!\n");
        return nullptr;
    }
    for (int32_t i = 0; i < count; i++) {
        d88_sector* sector = &sectors[i];
        uint8_t code = size_codes != nullptr ? size_codes[i] : size_code;
        sector->cylinder = cylinder;
        sector->head = head;
        sector->record = records != nullptr
                             ? records[i]
                             : static_cast<uint8_t>((first_record + i) & 0xFF);  // wraps at 256
        sector->size_code = code;
        sector->sectors_in_track = static_cast<uint16_t>(count & 0xFFFF);
        sector->density = density;
        sector->data_size = static_cast<int16_t>(d88_sector_sizes[code]);
        size_t bytes = static_cast<size_t>(sector->data_size);
        sector->data = static_cast<uint8_t*>(malloc(bytes));
        if (sector->data == nullptr) {
            print_message("memory exhaust!\n");
            free_sectors(sectors, i);
            return nullptr;
        }
        memset(sector->data, blank_fill, bytes);
    }
    return sectors;
}

}  // namespace

d88_sector* create_d88_sectors(uint8_t cylinder, uint8_t head, uint8_t first_record,
                               uint8_t size_code, int32_t count, uint8_t density)
{
    if (!valid_track(cylinder, head, count, density) || !valid_size_code(size_code)) {
        print_message("create_d88_sectors: illegal parameter\n");
        return nullptr;
    }
    return make_sectors(cylinder, head, first_record, nullptr, size_code, nullptr, count, density);
}

d88_sector* create_d88_custom_sectors(uint8_t cylinder, uint8_t head, const uint8_t* records,
                                      const uint8_t* size_codes, int32_t count, uint8_t density)
{
    bool valid = size_codes != nullptr && valid_track(cylinder, head, count, density);
    for (int32_t i = 0; valid && i < count; i++)
        valid = valid_size_code(size_codes[i]);
    if (!valid) {
        print_message("create_d88_custom_sectors: illegal parameter\n");
        return nullptr;
    }
    // Without a list of records the sectors are numbered 1, 2, 3, ...
    return make_sectors(cylinder, head, 1, records, 0, size_codes, count, density);
}
