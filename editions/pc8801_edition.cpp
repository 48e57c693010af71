// The PC-8801 edition: a D88 image read whole and every disk of it
// checked; the records lie in the talk sectors of the chosen disk.
#include "pc8801_edition.h"

#include <cstring>

#include "has_extension.h"
#include "pc8801_storage.h"
#include "storage_messages.h"
#include "storage_write.h"
#include "talk_input.h"

namespace {

input_claim claim_pc8801(const input_probe& probe)
{
    if (probe.folder)
        return claim_none;
    if (looks_like_d88_image(probe.bytes, probe.size))
        return claim_contents;
    return has_extension(*probe.path, ".d88") ? claim_name : claim_none;
}

int load_pc8801(talk_input* input)
{
    std::string lines;
    int disks;
    {
        message_capture capture(&lines);
        disks = read_d88_image_from_buffer(&input->d88, input->image.data,
                                           static_cast<int32_t>(input->image.size));
    }
    // A read that succeeds may still have lines: trailing bytes too few for
    // a disk are skipped with a line of their own.
    report_library_lines(input->path, lines, disks < 0 ? "" : "warning: ");
    if (disks < 0) {
        report_error(input->path, "not a readable D88 image");
        return -1;
    }
    input->disk = get_d88_disk(&input->d88, input->disk_index);
    if (input->disk == nullptr) {
        report_error(input->path, "no disk " + std::to_string(input->disk_index) +
                                      " in the image, which holds " + std::to_string(disks) +
                                      (disks == 1 ? " disk" : " disks"));
        return -1;
    }
    input->records.resize(talk_record_count * input->record_size);
    for (int town = 0; town < talk_town_count; town++) {
        for (int person = 0; person < talk_person_count; person++) {
            talk_location location = {0, 0, 0};
            const unsigned char* record =
                fetch_d88_talk_record(input->disk, town, person, &location);
            if (record == nullptr) {
                input->missing = location;
                return 0;
            }
            memcpy(input->record(town, person), record, input->record_size);
            input->present++;
        }
    }
    return 0;
}

// The position in the file of a record's sector data, as the reader walked
// it: the disks before the chosen one, the track's offset, the sectors
// before it in its track and its header. 0, or -1 when the model has no
// such sector.
int record_position(const talk_input& input, int town, int person, size_t* position)
{
    *position = 0;
    for (const d88_disk* disk = input.d88.first_disk; disk != input.disk; disk = disk->next) {
        if (disk == nullptr)
            return -1;
        *position += static_cast<size_t>(disk->disk_size);
    }
    talk_location address = talk_record_sector(town, person);
    const d88_track* track = find_d88_track(input.disk, address.cylinder, address.head);
    const d88_sector* sector =
        find_d88_sector(input.disk, address.cylinder, address.head, address.sector);
    if (track == nullptr || sector == nullptr)
        return -1;
    *position += static_cast<size_t>(input.disk->track_offsets[track - input.disk->tracks]);
    for (int32_t i = 0; i < track->sector_count; i++) {
        if (&track->sectors[i] == sector) {
            *position += d88_sector_header_size;
            return 0;
        }
        *position += d88_sector_header_size + static_cast<size_t>(track->sectors[i].data_size);
    }
    return -1;
}

// The changed records written over their sectors' bytes in a copy of the
// file, every other byte as it was. Each sector's bytes in the file must be
// those the model was read from; anything else is not written over.
int write_pc8801(talk_input* input, const std::vector<record_change>& changes,
                 const std::string& output, replacement_journal* journal)
{
    const size_t record_size = input->record_size;
    std::vector<uint8_t> bytes(input->image.data, input->image.data + input->image.size);
    for (const record_change& change : changes) {
        talk_location location = {0, 0, 0};
        const uint8_t* stored =
            fetch_d88_talk_record(input->disk, change.town, change.person, &location);
        size_t position = 0;
        if (stored == nullptr ||
            record_position(*input, change.town, change.person, &position) < 0 ||
            position + record_size > bytes.size() ||
            memcmp(bytes.data() + position, stored, record_size) != 0) {
            report_error(input->path, "cannot find the sector of " +
                                          record_name(*input, change.town, change.person) +
                                          " in the file; nothing written");
            return -1;
        }
        memcpy(bytes.data() + position, input->record(change.town, change.person), record_size);
    }
    return stage_storage_file(journal, output.empty() ? input->path : output, bytes.data(),
                              bytes.size(), output.empty());
}

record_location locate_pc8801(int town, int person)
{
    return {nullptr, -1, talk_record_sector(town, person)};
}

}  // namespace

// clang-format off
const edition_entry pc8801_edition = {
    "pc8801",                          // name
    "PC-8801",                         // title
    "a D88 image",                     // input
    "ja",                              // language
    &talk_profile_pc8801,              // profile
    false,                             // folder
    true,                              // has_disks
    claim_pc8801,                      // claim
    load_pc8801,                       // load
    write_pc8801,                      // write
    locate_pc8801,                     // locate
};
// clang-format on
