#include "storage_write.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <set>
#include <system_error>

#include "diagnostics.h"
#include "file_replacement.h"
#include "town_files.h"
#include "town_tracks.h"

namespace fs = std::filesystem;

namespace {

const char talk_file_name[] = "TALKDATA.BIN";

std::string describe_write_failure(const file_status& status)
{
    switch (status.failed) {
    case file_step_open:
        return "cannot replace it: " + system_reason(status.error_number);
    case file_step_memory:
        return "not enough memory";
    default:
        return "cannot write: " + system_reason(status.error_number);
    }
}

int replace_whole_file(const std::string& path, const std::vector<uint8_t>& bytes)
{
    file_status status = {file_step_none, 0};
    if (replace_file(path.c_str(), bytes.data(), bytes.size(), &status) < 0) {
        report_error(path, describe_write_failure(status));
        return -1;
    }
    return 0;
}

// A town file with its town's records as they stand now.
std::vector<uint8_t> town_file_bytes(const talk_input& input, int town)
{
    std::vector<uint8_t> bytes = input.town_files[static_cast<size_t>(town)];
    memcpy(bytes.data(), input.record(town, 0), talk_person_count * input.record_size);
    return bytes;
}

int write_dos_in_place(const talk_input& input, const std::set<int>& towns)
{
    std::vector<file_replacement> staged;
    std::vector<std::string> paths;
    int result = 0;
    for (int town : towns) {
        std::string path = input.path + "/" + talk_file_names[town];
        std::vector<uint8_t> bytes = town_file_bytes(input, town);
        file_replacement replacement;
        file_status status = {file_step_none, 0};
        if (stage_file_replacement(path.c_str(), bytes.data(), bytes.size(), &replacement,
                                   &status) < 0) {
            report_error(path, describe_write_failure(status));
            result = -1;
            break;
        }
        staged.push_back(replacement);
        paths.push_back(path);
    }
    if (result < 0) {
        for (file_replacement& replacement : staged)
            abandon_file_replacement(&replacement);
        return -1;
    }
    // Every new file is complete before the first one replaces its target;
    // after a failed rename the others are not put in place.
    for (size_t i = 0; i < staged.size(); i++) {
        if (result < 0) {
            abandon_file_replacement(&staged[i]);
            continue;
        }
        file_status status = {file_step_none, 0};
        if (commit_file_replacement(&staged[i], &status) < 0) {
            report_error(paths[i], describe_write_failure(status) +
                                       (i > 0 ? " (the town files before it were replaced)" : ""));
            result = -1;
        }
    }
    return result;
}

// A new folder holding all sixteen town files, made beside the output
// under another name and renamed to it once complete.
int write_dos_folder(const talk_input& input, const std::string& output)
{
    std::string staging;
    std::error_code error;
    for (int n = 0; n < 100 && staging.empty(); n++) {
        std::string name = output + ".new" + std::to_string(n);
        if (fs::create_directory(name, error))
            staging = name;
        else if (error)
            break;
    }
    if (staging.empty()) {
        report_error(output, "cannot create a folder beside it: " + error.message());
        return -1;
    }
    for (int town = 0; town < talk_town_count; town++) {
        std::string path = staging + "/" + talk_file_names[town];
        if (replace_whole_file(path, town_file_bytes(input, town)) < 0) {
            fs::remove_all(staging, error);
            return -1;
        }
    }
    fs::rename(staging, output, error);
    if (error) {
        report_error(output, "cannot put the new folder in place: " + error.message());
        fs::remove_all(staging, error);
        return -1;
    }
    return 0;
}

int write_apple2(const talk_input& input, const std::string& target)
{
    std::vector<uint8_t> bytes(input.image.data, input.image.data + input.image.size);
    memcpy(bytes.data(), input.records.data(), input.records.size());
    return replace_whole_file(target, bytes);
}

// ": REASON" for the errno that a library's failed write left, or nothing.
std::string reason_if_any(int error_number)
{
    return error_number != 0 ? ": " + system_reason(error_number) : "";
}

// The sector of a PC-8801 record in the input's model (the listing fetched
// it, so it is there). The lookup serves readers; the model is this
// program's to change.
d88_sector* record_sector(const talk_input& input, int town, int person)
{
    return const_cast<d88_sector*>(find_d88_sector(input.disk, town_tracks[town].cylinder,
                                                   town_tracks[town].head, person + 1));
}

// The position in the file of a PC-8801 record's sector data: the disks
// before the chosen one, the track's offset and the sectors before it in its
// track, as the reader walked them.
size_t d88_record_position(const talk_input& input, int town, int person)
{
    size_t position = 0;
    for (const d88_disk* disk = input.d88.first_disk; disk != input.disk; disk = disk->next)
        position += static_cast<size_t>(disk->disk_size);
    const d88_track* track =
        find_d88_track(input.disk, town_tracks[town].cylinder, town_tracks[town].head);
    position += static_cast<size_t>(input.disk->track_offsets[track - input.disk->tracks]);
    const d88_sector* sector = record_sector(input, town, person);
    for (const d88_sector* before = track->sectors; before != sector; before++)
        position += d88_sector_header_size + static_cast<size_t>(before->data_size);
    return position + d88_sector_header_size;
}

// True when the D88 writer turns the image back into exactly the bytes it
// was read from, so that writing the model keeps every other byte.
bool d88_writer_keeps_layout(const talk_input& input)
{
    std::string lines;
    library_message_capture capture(&lines);
    uint8_t* buffer = nullptr;
    uint32_t size = 0;
    if (write_d88_image_to_buffer(&input.d88, &buffer, &size) < 0)
        return false;
    bool same = size == input.image.size && memcmp(buffer, input.image.data, size) == 0;
    free(buffer);
    return same;
}

int write_pc8801(talk_input* input, const std::vector<record_change>& changes,
                 const std::string& target)
{
    const size_t record_size = input->record_size;
    if (d88_writer_keeps_layout(*input)) {
        for (const record_change& change : changes)
            memcpy(record_sector(*input, change.town, change.person)->data,
                   input->record(change.town, change.person), record_size);
        route_library_messages(target);
        errno = 0;
        if (write_d88_image_file(&input->d88, target.c_str()) < 0) {
            report_error(target, "cannot write the D88 image" + reason_if_any(errno));
            return -1;
        }
        return 0;
    }
    std::vector<uint8_t> bytes(input->image.data, input->image.data + input->image.size);
    for (const record_change& change : changes) {
        size_t position = d88_record_position(*input, change.town, change.person);
        // The sector's bytes in the file must be those the model was read
        // from; anything else is not written over.
        const d88_sector* sector = record_sector(*input, change.town, change.person);
        if (position + record_size > bytes.size() ||
            memcmp(bytes.data() + position, sector->data, record_size) != 0) {
            report_error(input->path, "cannot find the sector of " +
                                          record_name(*input, change.town, change.person) +
                                          " in the file; nothing written");
            return -1;
        }
        memcpy(bytes.data() + position, input->record(change.town, change.person), record_size);
    }
    return replace_whole_file(target, bytes);
}

int write_x68000(talk_input* input, const std::string& target)
{
    route_library_messages(target);
    errno = 0;
    if (write_fat12_file(&input->fat12, talk_file_name, input->records.data(),
                         static_cast<int32_t>(input->records.size()), true) < 0 ||
        write_fat12_image_file(&input->fat12, target.c_str()) < 0) {
        report_error(target, "cannot write the image" + reason_if_any(errno));
        return -1;
    }
    return 0;
}

}  // namespace

bool path_exists(const std::string& path)
{
    std::error_code error;
    return fs::symlink_status(path, error).type() != fs::file_type::not_found;
}

int write_talk_storage(talk_input* input, const std::vector<record_change>& changes,
                       const std::string& output)
{
    const std::string& target = output.empty() ? input->path : output;
    switch (input->edition) {
    case edition_dos: {
        if (!output.empty())
            return write_dos_folder(*input, output);
        std::set<int> towns;
        for (const record_change& change : changes)
            towns.insert(change.town);
        return write_dos_in_place(*input, towns);
    }
    case edition_apple2:
        return write_apple2(*input, target);
    case edition_pc8801:
        return write_pc8801(input, changes, target);
    case edition_x68000:
        return write_x68000(input, target);
    case edition_count:
        break;
    }
    return -1;
}
