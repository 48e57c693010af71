#include "d88_test_helpers.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "capture_stdout.h"

captured_read read_image_bytes(d88_image* image, const byte_vector& bytes)
{
    std::unique_ptr<uint8_t[]> exact(new uint8_t[bytes.size()]);
    std::copy(bytes.begin(), bytes.end(), exact.get());
    captured_read read = {0, ""};
    read.out = capture_stdout([&] {
        read.result =
            read_d88_image_from_buffer(image, exact.get(), static_cast<int32_t>(bytes.size()));
    });
    return read;
}

namespace {

std::string hex_bytes(const uint8_t* bytes, size_t count)
{
    std::string out;
    char two[3];
    for (size_t i = 0; i < count; i++) {
        snprintf(two, sizeof two, "%02X", bytes[i]);
        out += two;
    }
    return out;
}

std::string format(const char* form, ...) __attribute__((format(printf, 1, 2)));

std::string format(const char* form, ...)
{
    char line[256];
    va_list args;
    va_start(args, form);
    vsnprintf(line, sizeof line, form, args);
    va_end(args);
    return line;
}

std::string dump_sector(const d88_sector& s)
{
    std::string out = format(
        "    %02X/%02X/%02X N%02X count %u density %02X deleted %02X status %02X"
        " reserved %s size %d data ",
        s.cylinder, s.head, s.record, s.size_code, s.sectors_in_track, s.density, s.deleted,
        s.status, hex_bytes(s.reserved, 5).c_str(), s.data_size);
    if (s.data == nullptr)
        out += "none";
    else
        out += hex_bytes(s.data, static_cast<size_t>(s.data_size));
    return out + "\n";
}

}  // namespace

std::string dump_d88_disk(const d88_disk& disk)
{
    std::string out = format("disk name %s reserved %s protect %02X media %02X size %d\n",
                             hex_bytes(reinterpret_cast<const uint8_t*>(disk.name), 17).c_str(),
                             hex_bytes(disk.reserved, 9).c_str(), disk.write_protect,
                             disk.media_type, disk.disk_size);
    for (int slot = 0; slot < 164; slot++) {
        const d88_track& track = disk.tracks[slot];
        if (disk.track_offsets[slot] == 0 && track.sector_count == 0 && track.sectors == nullptr)
            continue;
        out += format("  slot %d offset %d sectors %d%s\n", slot, disk.track_offsets[slot],
                      track.sector_count, track.sectors == nullptr ? " none" : "");
        if (track.sectors != nullptr) {
            for (int i = 0; i < track.sector_count; i++)
                out += dump_sector(track.sectors[i]);
        }
    }
    return out;
}

std::string dump_d88_image(const d88_image& image)
{
    std::string out = format("image of %d disks\n", image.disk_count);
    for (const d88_disk* disk = image.first_disk; disk != nullptr; disk = disk->next)
        out += dump_d88_disk(*disk);
    return out;
}

d88_sector_image small_sector(uint8_t cylinder, uint8_t head, uint8_t record,
                              const byte_vector& data, uint16_t count)
{
    d88_sector_image sector;
    sector.cylinder = cylinder;
    sector.head = head;
    sector.record = record;
    sector.sectors_in_track = count;
    sector.data = data;
    return sector;
}

captured_write write_image_bytes(const d88_image* image)
{
    captured_write write = {0, "", 0xDEADBEEF, false, {}};
    uint8_t sentinel = 0;
    uint8_t* buffer = &sentinel;
    write.out = capture_stdout(
        [&] { write.result = write_d88_image_to_buffer(image, &buffer, &write.size); });
    write.buffer_null = buffer == nullptr;
    if (buffer != nullptr && buffer != &sentinel) {
        write.bytes.assign(buffer, buffer + write.size);
        free(buffer);
    }
    return write;
}

std::string dump_written_fields(d88_image& image)
{
    for (d88_disk* disk = image.first_disk; disk != nullptr; disk = disk->next) {
        disk->disk_size = 0;
        for (int slot = 0; slot < 164; slot++) {
            disk->track_offsets[slot] = 0;
            d88_track& track = disk->tracks[slot];
            for (int i = 0; track.sectors != nullptr && i < track.sector_count; i++)
                track.sectors[i].sectors_in_track = 0;
        }
    }
    return dump_d88_image(image);
}
