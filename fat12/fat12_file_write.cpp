#include "fat12_image.h"
#include "message_lines.h"

int write_fat12_file(fat12_image* image, const char* name, const unsigned char* source,
                     int source_size, bool ignore_case)
{
    const unsigned char* entry = find_fat12_root_file(image, name, ignore_case);
    if (entry == nullptr)
        return -1;
    int cluster = static_cast<int>(fat12::read_le16(entry + fat12_dir_cluster_offset));
    int file_size = static_cast<int>(fat12::read_le32(entry + fat12_dir_size_offset));
    if (file_size < source_size) {
        print_message("file size error '%s' %d < %d\n", name, file_size, source_size);
        return -1;
    }
    if (source_size < file_size)
        print_message("file size mismatch '%s' %d != %d ... ignored\n", name, file_size,
                      source_size);

    return copy_fat12_chain(image, cluster, source_size, nullptr, source);
}
