#include "fat12_internal.h"
#include "message_lines.h"

namespace {

int32_t entry_file_size(const uint8_t* entry)
{
    return static_cast<int32_t>(fat12::read_le32(entry + fat12_dir_size_offset));
}

}  // namespace

int32_t get_fat12_file_size(const fat12_image* image, const char* name, bool ignore_case)
{
    const uint8_t* entry = find_fat12_root_file(image, name, ignore_case);
    if (entry == nullptr)
        return -1;
    return entry_file_size(entry);
}

int read_fat12_file(const fat12_image* image, const char* name, uint8_t* dest, int32_t dest_size,
                    bool ignore_case)
{
    const uint8_t* entry = find_fat12_root_file(image, name, ignore_case);
    if (entry == nullptr)
        return -1;
    int32_t cluster = static_cast<int32_t>(fat12::read_le16(entry + fat12_dir_cluster_offset));
    int32_t file_size = entry_file_size(entry);
    if (dest_size < file_size) {
        print_message("file size error '%s' %d > %d\n", name, file_size, dest_size);
        return -1;
    }
    if (file_size < dest_size)
        print_message("file size mismatch '%s' %d != %d ... ignored\n", name, file_size, dest_size);

    return read_fat12_chain(image, cluster, file_size, dest);
}
