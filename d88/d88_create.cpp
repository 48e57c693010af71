// Blank disks from the fixed layouts, and empty image records.
#include "d88_create.h"

#include <cstdlib>
#include <cstring>

#include "d88_free.h"
#include "d88_write.h"
#include "message_lines.h"

// clang-format off
const d88_disk_preset d88_disk_presets[] = {
    //                                                                                         slot 0's first sector
    // media          cylinders  heads  sectors  first_head  first_record  size_code  density  record       head
    {d88_media_2d,    40,        2,     16,      0x00,       1,            1,         0x00,    d88_as_rest, d88_as_rest},  // 0
    {d88_media_2dd,   80,        2,     8,       0x00,       1,            2,         0x00,    d88_as_rest, d88_as_rest},  // 1
    {d88_media_2dd,   80,        2,     9,       0x00,       1,            2,         0x00,    d88_as_rest, d88_as_rest},  // 2
    {d88_media_2hd,   77,        2,     8,       0x00,       1,            3,         0x00,    d88_as_rest, d88_as_rest},  // 3
    {d88_media_2hd,   80,        2,     8,       0x00,       1,            3,         0x00,    d88_as_rest, d88_as_rest},  // 4
    {d88_media_2hd,   80,        2,     9,       0x00,       10,           3,         0x00,    1,           d88_as_rest},  // 5
    {d88_media_2hd,   80,        2,     9,       0x80,       1,            3,         0x00,    d88_as_rest, 0x00},         // 6
    {d88_media_2hd,   80,        2,     15,      0x00,       1,            2,         0x00,    d88_as_rest, d88_as_rest},  // 7
    {d88_media_2hd,   80,        2,     18,      0x00,       1,            2,         0x00,    d88_as_rest, d88_as_rest},  // 8
    {d88_media_2hd,   77,        2,     26,      0x00,       1,            1,         0x00,    d88_as_rest, d88_as_rest},  // 9
};
// clang-format on
static_assert(sizeof d88_disk_presets / sizeof d88_disk_presets[0] == d88_disk_preset_count,
              "ten disk layouts");

namespace {

const int name_characters = d88_name_size - 1;

// The first 16 characters of name up to its NUL, padded with spaces; the
// 17th byte stays 0.
void set_disk_name(d88_disk* disk, const char* name)
{
    int length = 0;
    if (name != nullptr) {
        while (length < name_characters && name[length] != '\0')
            length++;
        memcpy(disk->name, name, static_cast<size_t>(length));
    }
    memset(disk->name + length, ' ', static_cast<size_t>(name_characters - length));
    disk->name[name_characters] = '\0';
}

}  // namespace

d88_image* create_d88_image()
{
    d88_image* image = static_cast<d88_image*>(malloc(sizeof(d88_image)));
    if (image == nullptr) {
        print_message("memory exhaust!\n");
        return nullptr;
    }
    image->disk_count = 0;
    image->first_disk = nullptr;
    return image;
}

d88_disk* create_d88_disk(const char* name, int32_t preset)
{
    if (preset < 0 || preset >= d88_disk_preset_count) {
        print_message("create_d88_disk: illegal parameter\n");
        return nullptr;
    }
    const d88_disk_preset* layout = &d88_disk_presets[preset];
    d88_disk* disk = static_cast<d88_disk*>(calloc(1, sizeof(d88_disk)));
    if (disk == nullptr) {
        print_message("memory exhaust!\n");
        return nullptr;
    }
    set_disk_name(disk, name);
    disk->media_type = layout->media_type;

    int slot = 0;
    for (int32_t cylinder = 0; cylinder < layout->cylinders; cylinder++) {
        for (int32_t head = 0; head < layout->heads; head++, slot++) {
            d88_track* track = &disk->tracks[slot];
            track->sector_count = layout->sectors_per_track;
            track->sectors = create_d88_sectors(
                static_cast<uint8_t>(cylinder),
                static_cast<uint8_t>((layout->first_head + head) & 0xFF), layout->first_record,
                layout->size_code, layout->sectors_per_track, layout->density);
            if (track->sectors == nullptr) {
                print_message("create sector error\n");
                free_d88_disk(disk, 1);
                return nullptr;
            }
        }
    }
    d88_sector* slot0_first = &disk->tracks[0].sectors[0];
    if (layout->slot0_first_record != d88_as_rest)
        slot0_first->record = static_cast<uint8_t>(layout->slot0_first_record);
    if (layout->slot0_first_head != d88_as_rest)
        slot0_first->head = static_cast<uint8_t>(layout->slot0_first_head);
    disk->disk_size = get_d88_disk_size(disk);
    return disk;
}
