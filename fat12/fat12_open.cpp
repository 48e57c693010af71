#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "fat12_internal.h"
#include "message_lines.h"
#include "whole_file.h"

namespace {

// Prints the line of the step at which reading the image file failed.
void print_read_failure(const file_status& status, const char* path)
{
    switch (status.failed) {
    case file_step_open:
        print_message("open error '%s'\n", path);
        break;
    case file_step_seek_end:
        print_message("seek error '%s' (SEEK_END)\n", path);
        break;
    case file_step_seek_set:
        print_message("seek error '%s' (SEEK_SET)\n", path);
        break;
    case file_step_memory:
        print_message("memory exhausted!\n");
        break;
    default:
        print_message("read error '%s'\n", path);
        break;
    }
}

// Copies the first layout whose size plus offset is the file size exactly:
// 0, or -1 when none fits. A negative offset fits none, since sector 0
// would begin before the buffer.
int choose_fat12_layout(fat12_image* image)
{
    if (image->offset < 0)
        return -1;
    for (const fat12_layout& layout : fat12_layouts) {
        if (static_cast<int64_t>(image->offset) + layout.image_size != image->file_size)
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

int read_fat12_image_file(fat12_image* image, const char* path, int32_t offset)
{
    if (image == nullptr || path == nullptr)
        return -1;
    memset(image, 0, sizeof *image);
    // An empty file, and one beyond the record's 32-bit count, are read
    // errors, found before any allocation.
    uint8_t* bytes = nullptr;
    size_t size = 0;
    file_status status;
    if (read_whole_file(path, INT32_MAX, &bytes, &size, &status) < 0) {
        print_read_failure(status, path);
        return -1;
    }
    return open_fat12_image_buffer(image, path, bytes, static_cast<int32_t>(size), offset);
}

int open_fat12_image_buffer(fat12_image* image, const char* name, uint8_t* bytes, int32_t size,
                            int32_t offset)
{
    if (image == nullptr) {
        free(bytes);
        return -1;
    }
    memset(image, 0, sizeof *image);
    image->offset = offset;
    image->buffer = bytes;
    image->file_size = size;
    if (choose_fat12_layout(image) < 0) {
        print_message("unsupported image '%s'\n", name);
        free_fat12_image(image, false);
        return -1;
    }
    if (load_fat(image) < 0) {
        print_message("can't get fat '%s' offset=%08X\n", name, static_cast<unsigned>(offset));
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
