// Serialises one disk: the 688-byte header with a recomputed size and
// track offset table, then the tracks in slot order, back to back.
#include <cstring>

#include "d88_write.h"
#include "d88_write_layout.h"
#include "message_lines.h"

namespace {

uint8_t* write_sector(const d88_sector* sector, int32_t sectors_in_track, uint8_t* cursor)
{
    int32_t data_size = d88_written_data_size(sector);
    cursor[d88_sector_cylinder_offset] = sector->cylinder;
    cursor[d88_sector_head_offset] = sector->head;
    cursor[d88_sector_record_offset] = sector->record;
    cursor[d88_sector_size_code_offset] = sector->size_code;
    // The slot's count, not the sector's own field: the reader takes the
    // count from the first header of a track.
    d88::write_le16(cursor + d88_sector_count_offset, static_cast<uint32_t>(sectors_in_track));
    cursor[d88_sector_density_offset] = sector->density;
    cursor[d88_sector_deleted_offset] = sector->deleted;
    cursor[d88_sector_status_offset] = sector->status;
    memcpy(cursor + d88_sector_reserved_offset, sector->reserved, d88_sector_reserved_size);
    d88::write_le16(cursor + d88_sector_data_size_offset, static_cast<uint32_t>(data_size));
    cursor += d88_sector_header_size;
    if (data_size > 0) {
        if (sector->data != nullptr)
            memcpy(cursor, sector->data, static_cast<size_t>(data_size));
        else
            memset(cursor, 0, static_cast<size_t>(data_size));
    }
    return cursor + data_size;
}

}  // namespace

int write_d88_disk_to_buffer(const d88_disk* disk, uint8_t* output, uint8_t** end, int32_t space)
{
    if (disk == nullptr || output == nullptr || end == nullptr) {
        print_message("write_d88_disk_to_buffer: illegal parameter\n");
        return -1;
    }
    // A disk too large for the format (size -1) fits no buffer either.
    int32_t size = get_d88_disk_size(disk);
    if (size < 0 || space < size) {
        print_message("write d88 disk: buffer size error: %d < %d\n", space, size);
        return -1;
    }

    memcpy(output + d88_name_offset, disk->name, d88_name_size);
    memcpy(output + d88_reserved_offset, disk->reserved, d88_reserved_size);
    output[d88_write_protect_offset] = disk->write_protect;
    output[d88_media_type_offset] = disk->media_type;
    d88::write_le32(output + d88_disk_size_offset, static_cast<uint32_t>(size));

    // Always the 688-byte header with 164 entries, whatever the disk was
    // read from; the model's disk_size and track_offsets are not used.
    uint8_t* cursor = output + d88_header_size;
    for (int slot = 0; slot < d88_max_tracks; slot++) {
        const d88_track* track = &disk->tracks[slot];
        int32_t count = d88_written_sector_count(track);
        uint32_t offset = count > 0 ? static_cast<uint32_t>(cursor - output) : 0;
        d88::write_le32(output + d88_track_table_offset + d88_track_entry_size * slot, offset);
        for (int32_t i = 0; i < count; i++)
            cursor = write_sector(&track->sectors[i], count, cursor);
    }
    *end = cursor;
    return 0;
}
