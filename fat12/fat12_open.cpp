#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "fat12_image.h"

namespace {

// Reads the whole file into a new buffer with one read call and records its
// size: 0, or -1 after printing the failing step's line.
int read_whole_file(fat12_image* image, const char* path)
{
    FILE* file = fopen(path, "rb");
    if (file == nullptr) {
        printf("open error '%s'\n", path);
        return -1;
    }
    if (fseek(file, 0, SEEK_END) != 0) {
        printf("seek error '%s' (SEEK_END)\n", path);
        fclose(file);
        return -1;
    }
    long size = ftell(file);
    if (size < 0) {
        printf("seek error '%s' (SEEK_END)\n", path);
        fclose(file);
        return -1;
    }
    if (fseek(file, 0, SEEK_SET) != 0) {
        printf("seek error '%s' (SEEK_SET)\n", path);
        fclose(file);
        return -1;
    }
    // An empty file has nothing to read, and a size beyond the record's
    // 32-bit count cannot be held: both are read errors, found before the
    // allocation is asked for.
    if (size == 0 || size > INT_MAX) {
        printf("read error '%s'\n", path);
        fclose(file);
        return -1;
    }
    image->buffer = static_cast<unsigned char*>(malloc(static_cast<size_t>(size)));
    if (image->buffer == nullptr) {
        puts("memory exhausted!");
        fclose(file);
        return -1;
    }
    image->file_size = static_cast<int>(size);
    size_t items = fread(image->buffer, static_cast<size_t>(size), 1, file);
    fclose(file);
    if (items != 1) {
        printf("read error '%s'\n", path);
        return -1;
    }
    return 0;
}

// Copies the first layout whose size plus offset is the file size exactly:
// 0, or -1 when none fits. A negative offset fits none, since sector 0
// would begin before the buffer.
int choose_fat12_layout(fat12_image* image)
{
    if (image->offset < 0)
        return -1;
    for (const fat12_layout& layout : fat12_layouts) {
        if (static_cast<long long>(image->offset) + layout.image_size != image->file_size)
            continue;
        image->cylinders = layout.cylinders;
        image->heads = layout.heads;
        image->sectors_per_track = layout.sectors_per_track;
        image->bytes_per_sector = layout.bytes_per_sector;
        image->total_sectors = layout.total_sectors;
        image->fat_start = layout.fat_start;
        image->fat_sectors = layout.fat_sectors;
        image->root_start = layout.root_start;
        image->root_entries = layout.root_entries;
        image->root_sectors = layout.root_sectors;
        image->data_start = layout.data_start;
        image->sectors_per_cluster = layout.sectors_per_cluster;
        return 0;
    }
    return -1;
}

}  // namespace

int read_fat12_image_file(fat12_image* image, const char* path, int offset)
{
    if (image == nullptr || path == nullptr)
        return -1;
    memset(image, 0, sizeof *image);
    image->offset = offset;
    if (read_whole_file(image, path) < 0) {
        free_fat12_image(image, false);
        return -1;
    }
    if (choose_fat12_layout(image) < 0) {
        printf("unsupported image '%s'\n", path);
        free_fat12_image(image, false);
        return -1;
    }
    if (load_fat(image) < 0) {
        printf("can't get fat '%s' offset=%08X\n", path, static_cast<unsigned>(offset));
        free_fat12_image(image, false);
        return -1;
    }
    return 0;
}

void free_fat12_image(fat12_image* image, bool free_record)
{
    if (image == nullptr)
        return;
    free(image->buffer);
    free(image->fat);
    if (free_record)
        free(image);
    else
        memset(image, 0, sizeof *image);
}
