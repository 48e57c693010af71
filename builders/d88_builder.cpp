#include "d88_builder.h"

#include <stdexcept>

namespace {

void put_le16(byte_vector& out, size_t at, uint32_t value)
{
    out[at] = static_cast<unsigned char>(value & 0xFF);
    out[at + 1] = static_cast<unsigned char>((value >> 8) & 0xFF);
}

void put_le32(byte_vector& out, size_t at, uint32_t value)
{
    put_le16(out, at, value & 0xFFFF);
    put_le16(out, at + 2, value >> 16);
}

void put_bytes(byte_vector& out, size_t at, const byte_vector& bytes, size_t limit)
{
    if (bytes.size() > limit)
        throw std::invalid_argument("header field too long");
    std::copy(bytes.begin(), bytes.end(), out.begin() + static_cast<long>(at));
}

// A sector count as the 16-bit header field holds it; larger counts would
// be cut silently.
uint16_t sector_count_field(size_t count)
{
    if (count > 0xFFFF)
        throw std::invalid_argument("a D88 sector count holds at most 0xFFFF");
    return static_cast<uint16_t>(count);
}

}  // namespace

byte_vector d88_sector_bytes(const d88_sector_image& sector)
{
    byte_vector out(16 + sector.data.size(), 0);
    out[0x00] = sector.cylinder;
    out[0x01] = sector.head;
    out[0x02] = sector.record;
    out[0x03] = sector.size_code;
    put_le16(out, 0x04, sector.sectors_in_track);
    out[0x06] = sector.density;
    out[0x07] = sector.deleted;
    out[0x08] = sector.status;
    std::copy(sector.reserved.begin(), sector.reserved.end(), out.begin() + 0x09);
    if (!sector.size_field && sector.data.size() > 0xFFFF)
        throw std::invalid_argument("a D88 data size holds at most 0xFFFF");
    uint32_t size =
        sector.size_field ? *sector.size_field : static_cast<uint32_t>(sector.data.size());
    put_le16(out, 0x0E, size);
    std::copy(sector.data.begin(), sector.data.end(), out.begin() + 16);
    return out;
}

byte_vector d88_track_bytes(const d88_track_image& track)
{
    byte_vector out;
    for (const d88_sector_image& sector : track) {
        byte_vector one = d88_sector_bytes(sector);
        out.insert(out.end(), one.begin(), one.end());
    }
    return out;
}

d88_track_image make_d88_track(uint8_t cylinder, uint8_t head, uint8_t first_record, int count,
                               uint8_t size_code, uint8_t fill)
{
    if (count < 0)
        throw std::invalid_argument("a negative sector count");
    uint16_t count_field = sector_count_field(static_cast<size_t>(count));
    d88_track_image track;
    for (int i = 0; i < count; i++) {
        d88_sector_image sector;
        sector.cylinder = cylinder;
        sector.head = head;
        sector.record = static_cast<uint8_t>(first_record + i);
        sector.size_code = size_code;
        sector.sectors_in_track = count_field;
        sector.data.assign(size_t{128} << size_code, fill);
        track.push_back(sector);
    }
    return track;
}

uint32_t d88_disk_builder::end() const
{
    return header_size + static_cast<uint32_t>(body.size());
}

uint32_t d88_disk_builder::append(const byte_vector& bytes)
{
    uint32_t position = end();
    body.insert(body.end(), bytes.begin(), bytes.end());
    return position;
}

uint32_t d88_disk_builder::add_track(int slot, const d88_track_image& track)
{
    uint32_t position = append(d88_track_bytes(track));
    track_offsets.at(static_cast<size_t>(slot)) = position;
    return position;
}

byte_vector d88_disk_builder::bytes() const
{
    if (header_size != 688 && header_size != 672)
        throw std::invalid_argument("a D88 header holds 688 or 672 bytes");
    byte_vector out(header_size, 0);
    put_bytes(out, 0x00, name, 17);
    put_bytes(out, 0x11, reserved, 9);
    out[0x1A] = write_protect;
    out[0x1B] = media_type;
    put_le32(out, 0x1C, disk_size ? *disk_size : end());
    size_t entries = header_size == 688 ? 164 : 160;
    for (size_t slot = 0; slot < entries; slot++)
        put_le32(out, 0x20 + 4 * slot, track_offsets[slot]);
    out.insert(out.end(), body.begin(), body.end());
    return out;
}

byte_vector d88_file(const std::vector<byte_vector>& disks)
{
    byte_vector out;
    for (const byte_vector& disk : disks)
        out.insert(out.end(), disk.begin(), disk.end());
    return out;
}

int talk_track_cylinder(int town)
{
    return 0x10 + town / 2;
}

int talk_track_head(int town)
{
    return town % 2;
}

int talk_track_slot(int town)
{
    return 2 * talk_track_cylinder(town) + talk_track_head(town);
}

d88_disk_builder make_d88_talk_disk(
    const byte_vector& talk_buffer,
    const std::function<void(int town, d88_track_image& track)>& edit)
{
    const size_t record_bytes = 256;
    if (talk_buffer.size() != 256 * record_bytes)
        throw std::invalid_argument("a PC-8801 talk buffer holds 65,536 bytes");
    d88_disk_builder disk;
    disk.name = {'T', 'O', 'W', 'N', 'E'};
    disk.track_offsets[0] = disk.append(byte_vector(16, 0));  // an empty track
    for (int cylinder = 0x0F; cylinder <= 0x18; cylinder++) {
        for (int head = 0; head < 2; head++) {
            int slot = 2 * cylinder + head;
            auto c = static_cast<uint8_t>(cylinder);
            auto h = static_cast<uint8_t>(head);
            if (cylinder == 0x0F || cylinder == 0x18) {
                disk.add_track(slot, make_d88_track(c, h, 1, 16, 1, 0xE5));
                continue;
            }
            int town = slot - talk_track_slot(0);
            d88_track_image track = make_d88_track(c, h, 1, 16, 1, 0);
            for (int person = 0; person < 16; person++) {
                auto first = talk_buffer.begin() +
                             static_cast<long>(
                                 (16 * static_cast<size_t>(town) + static_cast<size_t>(person)) *
                                 record_bytes);
                track[static_cast<size_t>(person)].data.assign(first, first + 256);
            }
            if (edit) {
                edit(town, track);
                uint16_t count_field = sector_count_field(track.size());
                for (d88_sector_image& sector : track)
                    sector.sectors_in_track = count_field;
            }
            disk.add_track(slot, track);
        }
    }
    return disk;
}
