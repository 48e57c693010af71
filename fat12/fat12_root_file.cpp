#include <cstdio>

#include "fat12_image.h"

const unsigned char* find_fat12_root_file(const fat12_image* image, const char* name,
                                          bool ignore_case)
{
    char key[fat12_name_size + 1];
    if (make_fat_name(key, name) < 0) {
        printf("illegal filename '%s'\n", name);
        return nullptr;
    }
    const unsigned char* entry = find_dir_entry(image, -1, image->root_entries, key, ignore_case);
    if (entry == nullptr)
        printf("can't find '%s'\n", name);
    return entry;
}
