#include "fat12_internal.h"

namespace {

enum {
    fat12_base_size = 8,
    fat12_deleted_mark = 0xE5,  // a first name byte 0xE5 marks a deleted entry...
    fat12_e5_stand_in = 0x05,   // ...so a name that begins with 0xE5 stores 0x05
};

uint8_t fold_ascii_letter(uint8_t c)
{
    return c >= 'a' && c <= 'z' ? static_cast<uint8_t>(c - 'a' + 'A') : c;
}

// Compares the 11 name bytes of an entry with the key. With ignore_case an
// ASCII letter equals its other case; every other byte, the bytes of
// two-byte characters included, must be equal.
bool fat12_name_equal(const uint8_t* entry, const char* key, bool ignore_case)
{
    for (int32_t i = 0; i < fat12_name_size; i++) {
        uint8_t a = entry[i];
        uint8_t b = static_cast<uint8_t>(key[i]);
        if (ignore_case) {
            a = fold_ascii_letter(a);
            b = fold_ascii_letter(b);
        }
        if (a != b)
            return false;
    }
    return true;
}

}  // namespace

int make_fat_name(char key[12], const char* name)
{
    int32_t n = 0;
    while (n < fat12_base_size && *name != '\0' && *name != '.')
        key[n++] = *name++;
    while (n < fat12_base_size)
        key[n++] = ' ';
    if (*name == '.') {
        name++;
        while (n < fat12_name_size && *name != '\0')
            key[n++] = *name++;
    }
    while (n < fat12_name_size)
        key[n++] = ' ';
    key[fat12_name_size] = '\0';
    if (static_cast<uint8_t>(key[0]) == fat12_deleted_mark)
        key[0] = fat12_e5_stand_in;
    return *name == '\0' ? 0 : -1;
}

const uint8_t* find_dir_entry(const fat12_image* image, int32_t dir_cluster, int32_t entry_count,
                              const char* key, bool ignore_case)
{
    if (image->buffer == nullptr || image->bytes_per_sector < fat12_dir_entry_size ||
        image->sectors_per_cluster <= 0)
        return nullptr;
    bool root = dir_cluster < fat12_first_cluster;
    int32_t sector = root ? image->root_start : cluster_to_sector(image, dir_cluster);
    int32_t entries_per_sector = image->bytes_per_sector / fat12_dir_entry_size;
    int32_t remaining = entry_count;
    while (remaining > 0) {
        if (sector < 0)
            return nullptr;
        for (int32_t i = 0; i < image->sectors_per_cluster && remaining > 0; i++, sector++) {
            // The root directory runs on as consecutive sectors; it never
            // runs past the image.
            if (sector >= image->total_sectors)
                return nullptr;
            const uint8_t* entry = get_sector_bytes(image, sector);
            if (entry == nullptr)
                return nullptr;
            for (int32_t e = 0; e < entries_per_sector && remaining > 0; e++, remaining--) {
                if (fat12_name_equal(entry, key, ignore_case))
                    return entry;
                entry += fat12_dir_entry_size;
            }
        }
        if (!root && remaining > 0) {
            dir_cluster = get_fat_entry(image, dir_cluster);
            if (dir_cluster < fat12_first_cluster || dir_cluster > fat12_last_chain_cluster)
                return nullptr;
            sector = cluster_to_sector(image, dir_cluster);
        }
    }
    return nullptr;
}
