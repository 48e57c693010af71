// The FAT12 library on arbitrary image bytes in each of the three layouts.
// The first byte picks the layout (its low bits) and how the image is
// opened. The rest overlay the image from sector 1 on (the FAT copies, the
// root directory and the first clusters), the other bytes being zero.
// Without bit 7 the image is opened from a buffer; with bit 7 it goes to a
// file behind a header of as many bytes as the next input byte says, and
// the library opens that file with that offset (bit 6: one byte more, a size of no layout). Then
// files are looked up and read by name (names from the image and from the fuzzer), and a file write
// is read back.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "fat12_internal.h"

namespace {

// Opens the layout's image from a new buffer that holds the input from
// sector 1 on.
bool open_fat12_buffer(fat12_image* image, const fat12_layout& layout, const uint8_t* data,
                       size_t size)
{
    size_t image_size = static_cast<size_t>(layout.image_size);
    size_t start = static_cast<size_t>(layout.bytes_per_sector);
    size_t copied = size < image_size - start ? size : image_size - start;
    uint8_t* bytes = static_cast<uint8_t*>(calloc(image_size, 1));
    memcpy(bytes + start, data, copied);
    return open_fat12_image_buffer(image, "fuzz", bytes, layout.image_size, 0) == 0;
}

// Writes the image behind a header of offset bytes to a file and opens it
// as talkxdf opens its image, with that offset.
bool open_fat12_file(fat12_image* image, const fat12_layout& layout, int offset, bool odd_size,
                     const uint8_t* data, size_t size)
{
    static const std::string path = (std::filesystem::temp_directory_path() /
                                     ("fuzz-fat12-" + std::to_string(getpid()) + ".img"))
                                        .string();
    size_t start = static_cast<size_t>(offset + layout.bytes_per_sector);
    std::vector<uint8_t> bytes(static_cast<size_t>(offset + layout.image_size) + odd_size, 0);
    memset(bytes.data(), 0x5A, static_cast<size_t>(offset));
    memcpy(bytes.data() + start, data, size < bytes.size() - start ? size : bytes.size() - start);
    FILE* file = fopen(path.c_str(), "wb");
    if (file == nullptr)
        return false;
    fwrite(bytes.data(), 1, bytes.size(), file);
    fclose(file);
    int result = read_fat12_image_file(image, path.c_str(), offset);
    remove(path.c_str());
    return result == 0;
}

// The 8.3 name of a directory entry, as a user would type it.
std::string typed_name(const uint8_t* entry)
{
    std::string base(reinterpret_cast<const char*>(entry), 8);
    std::string extension(reinterpret_cast<const char*>(entry) + 8, 3);
    if (!base.empty() && static_cast<uint8_t>(base[0]) == 0x05)
        base[0] = static_cast<char>(0xE5);
    while (!base.empty() && base.back() == ' ')
        base.pop_back();
    while (!extension.empty() && extension.back() == ' ')
        extension.pop_back();
    std::string name = base + (extension.empty() ? "" : "." + extension);
    return name.find('\0') == std::string::npos ? name : std::string();
}

void read_and_rewrite(fat12_image* image, const std::string& name)
{
    int size = get_fat12_file_size(image, name.c_str(), true);
    if (size < 0 || size > 256 * 1024)  // the input reaches the first clusters only
        return;
    std::vector<uint8_t> contents(static_cast<size_t>(size) + 1, 0xA5);
    if (read_fat12_file(image, name.c_str(), contents.data(), size, true) < 0)
        return;
    // Writing the file's bytes back, inverted, must read back inverted.
    std::vector<uint8_t> inverted(contents.begin(), contents.end() - 1);
    for (uint8_t& byte : inverted)
        byte = static_cast<uint8_t>(~byte);
    if (write_fat12_file(image, name.c_str(), inverted.data(), size, true) < 0)
        __builtin_trap();  // the same chain was just read whole
    std::vector<uint8_t> again(static_cast<size_t>(size) + 1, 0);
    if (read_fat12_file(image, name.c_str(), again.data(), size, true) < 0)
        __builtin_trap();
    // A chain that visits a cluster twice is overwritten where it repeats,
    // so only a chain of distinct clusters must read back unchanged.
    std::vector<bool> seen(static_cast<size_t>(image->cluster_count) + 2, false);
    bool distinct = true;
    std::vector<uint8_t> key(12);
    make_fat_name(reinterpret_cast<char*>(key.data()), name.c_str());
    const uint8_t* found = find_dir_entry(image, -1, image->root_entries,
                                          reinterpret_cast<const char*>(key.data()), true);
    int cluster = found != nullptr ? static_cast<int>(fat12::read_le16(found + 26)) : 0;
    int bytes_per_cluster = image->bytes_per_sector * image->sectors_per_cluster;
    for (int covered = 0; covered < size && cluster >= 2 && cluster < image->cluster_count + 2;
         covered += bytes_per_cluster) {
        if (seen[static_cast<size_t>(cluster)])
            distinct = false;
        seen[static_cast<size_t>(cluster)] = true;
        cluster = get_fat_entry(image, cluster);
    }
    if (distinct && !inverted.empty() &&
        memcmp(again.data(), inverted.data(), inverted.size()) != 0)
        __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 2)
        return 0;
    const fat12_layout& layout = fat12_layouts[(data[0] & 3) % fat12_layout_count];
    bool through_file = (data[0] & 0x80) != 0;
    bool odd_size = (data[0] & 0x40) != 0;
    int offset = data[1];
    data += through_file ? 2 : 1;
    size -= through_file ? 2 : 1;
    fat12_image image;
    bool opened = through_file ? open_fat12_file(&image, layout, offset, odd_size, data, size)
                               : open_fat12_buffer(&image, layout, data, size);
    if (opened) {
        // Every name the root directory holds, and one name from the input.
        for (int slot = 0; slot < image.root_entries; slot++) {
            const uint8_t* entry =
                image.buffer + (image.root_start * image.bytes_per_sector + slot * 32);
            std::string name = typed_name(entry);
            if (!name.empty())
                read_and_rewrite(&image, name);
        }
        std::string typed(reinterpret_cast<const char*>(data), size < 16 ? size : 16);
        typed = typed.substr(0, typed.find('\0'));
        get_fat12_file_size(&image, typed.c_str(), false);
        read_and_rewrite(&image, typed);
    }
    free_fat12_image(&image, false);
    return 0;
}
