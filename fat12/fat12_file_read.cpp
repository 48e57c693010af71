#include "fat12_image.h"
#include "message_lines.h"

namespace {

int entry_file_size(const unsigned char* entry)
{
    return static_cast<int>(fat12::read_le32(entry + fat12_dir_size_offset));
}

}  // namespace

int get_fat12_file_size(const fat12_image* image, const char* name, bool ignore_case)
{
    const unsigned char* entry = find_fat12_root_file(image, name, ignore_case);
    if (entry == nullptr)
        return -1;
    return entry_file_size(entry);
}

int read_fat12_file(const fat12_image* image, const char* name, unsigned char* dest, int dest_size,
                    bool ignore_case)
{
    const unsigned char* entry = find_fat12_root_file(image, name, ignore_case);
    if (entry == nullptr)
        return -1;
    int cluster = static_cast<int>(fat12::read_le16(entry + fat12_dir_cluster_offset));
    int file_size = entry_file_size(entry);
    if (dest_size < file_size) {
        print_message("file size error '%s' %d > %d\n", name, file_size, dest_size);
        return -1;
    }
    if (file_size < dest_size)
        print_message("file size mismatch '%s' %d != %d ... ignored\n", name, file_size, dest_size);

    return copy_fat12_chain(image, cluster, file_size, dest, nullptr);
}
