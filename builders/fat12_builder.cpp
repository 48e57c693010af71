#include "fat12_builder.h"

#include <algorithm>
#include <stdexcept>

#include "talk_records.h"

const fat12_test_geometry& fat12_geometry(fat12_test_layout layout)
{
    // clang-format off
    //                                          size      bps   spc spt heads total fat fsec root rent data clusters media
    static const fat12_test_geometry xdf = {1261568, 1024, 1,  8,  2,    1232, 1,  2,   5,   192, 11,  1221,    0xFE};
    static const fat12_test_geometry dd9 = {737280,  512,  2,  9,  2,    1440, 1,  3,   7,   112, 14,  713,     0xF9};
    static const fat12_test_geometry dd8 = {655360,  512,  2,  8,  2,    1280, 1,  2,   5,   112, 12,  634,     0xFB};
    // clang-format on
    switch (layout) {
    case fat12_test_layout::xdf:
        return xdf;
    case fat12_test_layout::dd9:
        return dd9;
    case fat12_test_layout::dd8:
        break;
    }
    return dd8;
}

namespace {

void put_le16(byte_vector& bytes, size_t at, unsigned value)
{
    bytes.at(at) = static_cast<unsigned char>(value);
    bytes.at(at + 1) = static_cast<unsigned char>(value >> 8);
}

void put_le32(byte_vector& bytes, size_t at, unsigned value)
{
    put_le16(bytes, at, value & 0xFFFF);
    put_le16(bytes, at + 2, value >> 16);
}

// A boot sector with a PC parameter block, so that other FAT tools accept
// the image too; the FAT12 library never reads it.
void put_boot_sector(byte_vector& bytes, const fat12_test_geometry& g)
{
    const unsigned char jump[] = {0xEB, 0x3C, 0x90};
    std::copy(jump, jump + 3, bytes.begin());
    const std::string oem = "TALKTEST";
    std::copy(oem.begin(), oem.end(), bytes.begin() + 3);
    put_le16(bytes, 11, static_cast<unsigned>(g.bytes_per_sector));
    bytes[13] = static_cast<unsigned char>(g.sectors_per_cluster);
    put_le16(bytes, 14, static_cast<unsigned>(g.fat_start));
    bytes[16] = 2;
    put_le16(bytes, 17, static_cast<unsigned>(g.root_entries));
    put_le16(bytes, 19, static_cast<unsigned>(g.total_sectors));
    bytes[21] = g.media;
    put_le16(bytes, 22, static_cast<unsigned>(g.fat_sectors));
    put_le16(bytes, 24, static_cast<unsigned>(g.sectors_per_track));
    put_le16(bytes, 26, static_cast<unsigned>(g.heads));
    bytes[38] = 0x29;
    put_le32(bytes, 39, 0x12345678);
    const std::string label_and_type = "NO NAME    FAT12   ";
    std::copy(label_and_type.begin(), label_and_type.end(), bytes.begin() + 43);
    bytes[510] = 0x55;
    bytes[511] = 0xAA;
}

size_t fat_entry_position(const fat12_test_geometry& g, int copy, int cluster)
{
    if (cluster < 0 || cluster > g.cluster_count + 1)
        throw std::out_of_range("no FAT entry for cluster " + std::to_string(cluster));
    size_t fat_offset =
        static_cast<size_t>((g.fat_start + copy * g.fat_sectors) * g.bytes_per_sector);
    return fat_offset + static_cast<size_t>(cluster / 2 * 3);
}

size_t root_entry_position(const fat12_test_image& image, int slot)
{
    const fat12_test_geometry& g = fat12_geometry(image.layout);
    if (slot < 0 || slot >= g.root_entries)
        throw std::invalid_argument("no root directory slot " + std::to_string(slot));
    return static_cast<size_t>(g.root_start * g.bytes_per_sector + slot * 32);
}

}  // namespace

fat12_test_image make_blank_fat12_image(fat12_test_layout layout)
{
    const fat12_test_geometry& g = fat12_geometry(layout);
    fat12_test_image image{layout, byte_vector(g.image_size, 0)};
    put_boot_sector(image.bytes, g);
    set_fat12_entry(image, 0, 0xF00 | g.media);
    set_fat12_entry(image, 1, 0xFFF);
    return image;
}

void set_fat12_entry(fat12_test_image& image, int cluster, int value, fat12_fat_copies copies)
{
    const fat12_test_geometry& g = fat12_geometry(image.layout);
    unsigned v = static_cast<unsigned>(value) & 0xFFF;
    for (int copy = 0; copy < 2; copy++) {
        if ((copy == 0 && copies == fat12_fat_copies::second_only) ||
            (copy == 1 && copies == fat12_fat_copies::first_only))
            continue;
        size_t at = fat_entry_position(g, copy, cluster);
        byte_vector& b = image.bytes;
        if (cluster % 2 == 0) {
            b[at] = static_cast<unsigned char>(v);
            b[at + 1] = static_cast<unsigned char>((b[at + 1] & 0xF0) | v >> 8);
        } else {
            b[at + 1] = static_cast<unsigned char>((b[at + 1] & 0x0F) | (v & 0x0F) << 4);
            b[at + 2] = static_cast<unsigned char>(v >> 4);
        }
    }
}

std::string fat12_entry_name(const std::string& base, const std::string& extension)
{
    if (base.size() > 8 || extension.size() > 3)
        throw std::invalid_argument("not an 8.3 name: " + base + "." + extension);
    std::string name = base + std::string(8 - base.size(), ' ') + extension +
                       std::string(3 - extension.size(), ' ');
    if (static_cast<unsigned char>(name[0]) == 0xE5)
        name[0] = 0x05;
    return name;
}

void put_fat12_dir_entry(fat12_test_image& image, int slot, const std::string& name11,
                         int first_cluster, unsigned size)
{
    if (name11.size() != 11)
        throw std::invalid_argument("not an 11-byte name: " + name11);
    size_t at = root_entry_position(image, slot);
    std::fill(image.bytes.begin() + static_cast<long>(at),
              image.bytes.begin() + static_cast<long>(at + 32), 0);
    std::copy(name11.begin(), name11.end(), image.bytes.begin() + static_cast<long>(at));
    image.bytes[at + 11] = 0x20;
    put_le16(image.bytes, at + 26, static_cast<unsigned>(first_cluster));
    put_le32(image.bytes, at + 28, size);
}

void set_fat12_file_size(fat12_test_image& image, int slot, unsigned size)
{
    put_le32(image.bytes, root_entry_position(image, slot) + 28, size);
}

size_t fat12_cluster_offset(const fat12_test_image& image, int cluster)
{
    const fat12_test_geometry& g = fat12_geometry(image.layout);
    if (cluster < 2 || cluster > g.cluster_count + 1)
        throw std::out_of_range("no data cluster " + std::to_string(cluster));
    int sector = g.data_start + (cluster - 2) * g.sectors_per_cluster;
    return static_cast<size_t>(sector * g.bytes_per_sector);
}

void fill_fat12_clusters(fat12_test_image& image, const byte_vector& data,
                         const std::vector<int>& clusters)
{
    const fat12_test_geometry& g = fat12_geometry(image.layout);
    size_t cluster_bytes = static_cast<size_t>(g.bytes_per_sector * g.sectors_per_cluster);
    if (data.size() > clusters.size() * cluster_bytes)
        throw std::invalid_argument(std::to_string(data.size()) + " bytes do not fit " +
                                    std::to_string(clusters.size()) + " clusters");
    for (size_t i = 0; i < clusters.size(); i++) {
        size_t from = i * cluster_bytes;
        if (from >= data.size())
            break;
        size_t count = std::min(cluster_bytes, data.size() - from);
        std::copy(
            data.begin() + static_cast<long>(from), data.begin() + static_cast<long>(from + count),
            image.bytes.begin() + static_cast<long>(fat12_cluster_offset(image, clusters[i])));
    }
}

void put_fat12_file(fat12_test_image& image, int slot, const std::string& name11,
                    const byte_vector& data, const std::vector<int>& clusters, int end_mark,
                    fat12_fat_copies copies)
{
    fill_fat12_clusters(image, data, clusters);
    for (size_t i = 0; i < clusters.size(); i++)
        set_fat12_entry(image, clusters[i], i + 1 < clusters.size() ? clusters[i + 1] : end_mark,
                        copies);
    put_fat12_dir_entry(image, slot, name11, clusters.empty() ? 0 : clusters[0],
                        static_cast<unsigned>(data.size()));
}

byte_vector fat12_image_with_header(const fat12_test_image& image, size_t offset,
                                    unsigned char fill)
{
    byte_vector bytes(offset, fill);
    bytes.insert(bytes.end(), image.bytes.begin(), image.bytes.end());
    return bytes;
}

std::vector<int> fat12_cluster_run(int first, int count)
{
    std::vector<int> run;
    for (int i = 0; i < count; i++)
        run.push_back(first + i);
    return run;
}

byte_vector fat12_test_bytes(size_t count, unsigned seed)
{
    byte_vector bytes(count);
    unsigned state = seed * 2654435761u + 1;
    for (size_t i = 0; i < count; i++) {
        state = state * 1103515245u + 12345u;
        bytes[i] = static_cast<unsigned char>(state >> 16);
    }
    return bytes;
}

byte_vector make_talk_xdf_image(const byte_vector& talk_data, const std::string& name11)
{
    fat12_test_image image = make_blank_fat12_image(fat12_test_layout::xdf);
    put_fat12_file(image, 0, name11, talk_data, fat12_cluster_run(2, 128));
    return image.bytes;
}

byte_vector make_talk_xdf_image(const std::function<byte_vector(int town, int person)>& record)
{
    return make_talk_xdf_image(make_talk_buffer(talk_edition::x68000, record));
}
