#include "fat12_internal.h"
#include "message_lines.h"

int write_fat12_file(fat12_image* image, const char* name, const uint8_t* source,
                     int32_t source_size, bool ignore_case)
{
    const uint8_t* entry = find_fat12_root_file(image, name, ignore_case);
    if (entry == nullptr)
        return -1;
    int32_t cluster = static_cast<int32_t>(fat12::read_le16(entry + fat12_dir_cluster_offset));
    int32_t file_size = static_cast<int32_t>(fat12::read_le32(entry + fat12_dir_size_offset));
    if (file_size < source_size) {
        print_message("file size error '%s' %d < %d\n", name, file_size, source_size);
        return -1;
    }
    if (source_size < file_size)
        print_message("file size mismatch '%s' %d != %d ... ignored\n", name, file_size,
                      source_size);

    return write_fat12_chain(image, cluster, source_size, source);
}
