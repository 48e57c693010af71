// Reads one disk: its header, its track offset table, then every track.
#include <cstring>

#include "d88_read.h"
#include "message_lines.h"

namespace {

// The end of the extent of the track at offset: the next larger offset of
// any slot, or the disk size when there is none.
int32_t track_extent_end(const d88_disk* disk, int32_t offset)
{
    int32_t end = disk->disk_size;
    for (int j = 0; j < d88_max_tracks; j++) {
        int32_t other = disk->track_offsets[j];
        if (other > offset && other < end)
            end = other;
    }
    return end;
}

void print_illegal_offset(const d88_disk* disk, int slot)
{
    print_message("illegal data: [%.17s] track %d offset = 0x%08X\n", disk->name, slot,
                  static_cast<unsigned>(disk->track_offsets[slot]));
}

// Checks the offsets of slots 0-159; an offset of exactly 672 marks a
// 672-byte header. Returns the number of table entries, or -1.
int check_track_offsets(const d88_disk* disk, int entries)
{
    for (int slot = 0; slot < d88_short_track_count; slot++) {
        int32_t offset = disk->track_offsets[slot];
        if (offset == 0)
            continue;
        if (offset >= disk->disk_size) {
            print_illegal_offset(disk, slot);
            return -1;
        }
        if (offset == d88_short_header_size) {
            entries = d88_short_track_count;
        } else if (offset < d88_header_size) {
            print_illegal_offset(disk, slot);
            return -1;
        }
    }
    return entries;
}

// Slots 160-163 exist only in a 688-byte header; in a 672-byte one their
// bytes belong to the first track and are cleared.
int check_extra_offsets(d88_disk* disk, int entries)
{
    for (int slot = d88_short_track_count; slot < d88_max_tracks; slot++) {
        if (entries == d88_short_track_count) {
            disk->track_offsets[slot] = 0;
            continue;
        }
        int32_t offset = disk->track_offsets[slot];
        if (offset != 0 && (offset < d88_header_size || offset >= disk->disk_size)) {
            print_illegal_offset(disk, slot);
            return -1;
        }
    }
    return 0;
}

}  // namespace

int read_d88_disk_from_buffer(d88_disk* disk, const uint8_t* disk_start, int32_t available)
{
    int entries = available == d88_short_header_size ? d88_short_track_count : d88_max_tracks;
    // Fewer bytes than a header holds would make the reads below run past
    // the buffer.
    if (disk == nullptr || disk_start == nullptr || available < 1 ||
        (available < d88_header_size && available != d88_short_header_size)) {
        print_message("read_d88_disk_from_buffer: illegal parameter\n");
        return -1;
    }
    memset(disk, 0, sizeof *disk);
    memcpy(disk->name, disk_start + d88_name_offset, d88_name_size);
    memcpy(disk->reserved, disk_start + d88_reserved_offset, d88_reserved_size);
    disk->write_protect = disk_start[d88_write_protect_offset];
    disk->media_type = disk_start[d88_media_type_offset];
    disk->disk_size = static_cast<int32_t>(d88::read_le32(disk_start + d88_disk_size_offset));

    if (disk->disk_size < d88_short_header_size || disk->disk_size > available) {
        print_message("illegal data: [%.17s] disk size = 0x%08X\n", disk->name,
                      static_cast<unsigned>(disk->disk_size));
        return -1;
    }
    if (disk->write_protect != d88_not_protected && disk->write_protect != d88_protected) {
        print_message("illegal data: [%.17s] write protect flag = 0x%02X\n", disk->name,
                      disk->write_protect);
        return -1;
    }
    if (disk->media_type != d88_media_2d && disk->media_type != d88_media_2dd &&
        disk->media_type != d88_media_2hd) {
        print_message("illegal data: [%.17s] disk type = 0x%02X\n", disk->name, disk->media_type);
        return -1;
    }

    for (int slot = 0; slot < entries; slot++)
        disk->track_offsets[slot] = static_cast<int32_t>(
            d88::read_le32(disk_start + d88_track_table_offset + d88_track_entry_size * slot));
    entries = check_track_offsets(disk, entries);
    if (entries < 0 || check_extra_offsets(disk, entries) < 0)
        return -1;

    for (int slot = 0; slot < d88_max_tracks; slot++) {
        int32_t offset = disk->track_offsets[slot];
        if (offset == 0)
            continue;
        int32_t end = track_extent_end(disk, offset);
        if (read_d88_track_from_buffer(&disk->tracks[slot], disk_start, offset, end) < 0) {
            print_message("read track %d error [%.17s]\n", slot, disk->name);
            return -1;
        }
    }
    return 0;
}
