// Reads one disk: its header, its track offset table, then every track.
#include <algorithm>
#include <cstring>

#include "d88_read.h"
#include "message_lines.h"

namespace {

// The non-zero track offsets of a disk in ascending order, so that the
// extent of a track ends at the next larger one (or at the disk size): one
// binary search per track instead of a pass over all 164 slots.
struct sorted_offsets {
    int32_t values[d88_max_tracks];
    int count;
};

// Insertion sort: the tables of real disks list their tracks in ascending
// order already, for which it is one pass.
void sort_track_offsets(const d88_disk* disk, sorted_offsets* sorted)
{
    sorted->count = 0;
    for (int slot = 0; slot < d88_max_tracks; slot++) {
        int32_t offset = disk->track_offsets[slot];
        if (offset == 0)
            continue;
        int i = sorted->count++;
        for (; i > 0 && sorted->values[i - 1] > offset; i--)
            sorted->values[i] = sorted->values[i - 1];
        sorted->values[i] = offset;
    }
}

// The end of the extent of the track at offset: the next larger offset of
// any slot, or the disk size when there is none. Every non-zero offset has
// been checked to lie below the disk size.
int32_t track_extent_end(const d88_disk* disk, const sorted_offsets* sorted, int32_t offset)
{
    const int32_t* end = sorted->values + sorted->count;
    const int32_t* next = std::upper_bound(sorted->values, end, offset);
    return next != end ? *next : disk->disk_size;
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
    if (!is_d88_write_protect_flag(disk->write_protect)) {
        print_message("illegal data: [%.17s] write protect flag = 0x%02X\n", disk->name,
                      disk->write_protect);
        return -1;
    }
    if (!is_d88_media_type(disk->media_type)) {
        print_message("illegal data: [%.17s] disk type = 0x%02X\n", disk->name, disk->media_type);
        return -1;
    }

    for (int slot = 0; slot < entries; slot++)
        disk->track_offsets[slot] = static_cast<int32_t>(
            d88::read_le32(disk_start + d88_track_table_offset + d88_track_entry_size * slot));
    entries = check_track_offsets(disk, entries);
    if (entries < 0 || check_extra_offsets(disk, entries) < 0)
        return -1;

    sorted_offsets sorted;
    sort_track_offsets(disk, &sorted);
    for (int slot = 0; slot < d88_max_tracks; slot++) {
        int32_t offset = disk->track_offsets[slot];
        if (offset == 0)
            continue;
        int32_t end = track_extent_end(disk, &sorted, offset);
        if (read_d88_track_from_buffer(&disk->tracks[slot], disk_start, offset, end) < 0) {
            print_message("read track %d error [%.17s]\n", slot, disk->name);
            return -1;
        }
    }
    return 0;
}
