#include "talk_input.h"

#include <cstdio>
#include <cstring>

#include "diagnostics.h"
#include "town_files.h"
#include "town_tracks.h"
#include "whole_file.h"

namespace {

const char talk_file_name[] = "TALKDATA.BIN";
const size_t apple2_talk_bytes = talk_record_count * talk_profile_apple2.record_size;

// The first disk header of a D88 image: a disk size that the file holds,
// and write-protect and media bytes of the values the format knows.
bool looks_like_d88(const file_bytes& bytes)
{
    if (bytes.size < d88_short_header_size)
        return false;
    uint32_t disk_size = d88::read_le32(bytes.data + d88_disk_size_offset);
    uint8_t protect = bytes.data[d88_write_protect_offset];
    uint8_t media = bytes.data[d88_media_type_offset];
    return disk_size >= d88_short_header_size && disk_size <= bytes.size &&
           (protect == d88_not_protected || protect == d88_protected) &&
           (media == d88_media_2d || media == d88_media_2dd || media == d88_media_2hd);
}

// True when path ends with the extension (".d88"), letter case aside.
bool has_extension(const std::string& path, const char* extension)
{
    size_t length = strlen(extension);
    if (path.size() < length)
        return false;
    for (size_t i = 0; i < length; i++) {
        char c = path[path.size() - length + i];
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
        if (c != extension[i])
            return false;
    }
    return true;
}

bool has_fat12_layout_size(size_t size)
{
    for (const fat12_layout& layout : fat12_layouts)
        if (size == static_cast<size_t>(layout.image_size))
            return true;
    return false;
}

int load_dos(talk_input* input)
{
    if (!is_folder(input->path)) {
        report_error(input->path, "not a folder: the DOS edition is a folder of town files");
        return -1;
    }
    const size_t town_bytes = talk_person_count * input->record_size;
    input->records.resize(talk_record_count * input->record_size);
    input->town_files.resize(talk_town_count);
    for (int town = 0; town < talk_town_count; town++) {
        std::string path = input->path + "/" + talk_file_names[town];
        file_bytes read;
        if (read_input_file(path, "a town file", largest_input_file, false, &read) < 0)
            return -1;
        std::vector<uint8_t>& file = input->town_files[static_cast<size_t>(town)];
        file.assign(read.data, read.data + read.size);
        if (file.size() < town_bytes) {
            report_error(path, std::to_string(file.size()) + " bytes, shorter than the " +
                                   std::to_string(town_bytes) + " bytes of a town's records");
            return -1;
        }
        memcpy(input->record(town, 0), file.data(), town_bytes);
    }
    input->present = talk_record_count;
    return 0;
}

int load_apple2(talk_input* input)
{
    if (input->image.size < apple2_talk_bytes) {
        report_error(input->path, std::to_string(input->image.size) +
                                      " bytes, shorter than the 65536 bytes of talk data");
        return -1;
    }
    input->records.assign(input->image.data, input->image.data + apple2_talk_bytes);
    input->present = talk_record_count;
    return 0;
}

// The library's lines of a read: errors when it failed, else warnings
// (trailing bytes too few for a disk are skipped with a line of their own).
void report_library_lines(const std::string& path, const std::string& lines, bool failed)
{
    for (const std::string& line : split_lines(lines))
        report_error(path, (failed ? "" : "warning: ") + line);
}

int load_pc8801(talk_input* input)
{
    std::string lines;
    int disks;
    {
        library_message_capture capture(&lines);
        disks = read_d88_image_from_buffer(&input->d88, input->image.data,
                                           static_cast<int32_t>(input->image.size));
    }
    report_library_lines(input->path, lines, disks < 0);
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

int load_x68000(talk_input* input)
{
    route_library_messages(input->path);
    // The image record takes the file's bytes over.
    int32_t size = static_cast<int32_t>(input->image.size);
    if (open_fat12_image_buffer(&input->fat12, input->path.c_str(), input->image.release(), size,
                                0) < 0) {
        report_error(input->path, "not a readable FAT12 image");
        return -1;
    }
    const int32_t talk_bytes = talk_record_count * static_cast<int32_t>(input->record_size);
    int32_t file_size = get_fat12_file_size(&input->fat12, talk_file_name, true);
    if (file_size == -1) {
        report_error(input->path, std::string("no ") + talk_file_name + " in the image");
        return -1;
    }
    if (file_size != talk_bytes) {
        report_error(input->path, std::string(talk_file_name) + " holds " +
                                      std::to_string(file_size) + " bytes, not " +
                                      std::to_string(talk_bytes));
        return -1;
    }
    input->records.resize(static_cast<size_t>(talk_bytes));
    if (read_fat12_file(&input->fat12, talk_file_name, input->records.data(), talk_bytes, true) < 0) {
        report_error(input->path, std::string("cannot read ") + talk_file_name);
        return -1;
    }
    input->present = talk_record_count;
    return 0;
}

}  // namespace

int read_input_file(const std::string& path, const char* what, size_t size_limit, bool empty_ok,
                    file_bytes* bytes)
{
    if (is_folder(path)) {
        report_error(path, std::string("a folder, not ") + what);
        return -1;
    }
    file_status status = {file_step_none, 0};
    if (read_whole_file(path.c_str(), size_limit, &bytes->data, &bytes->size, &status) == 0)
        return 0;
    if (empty_ok && status.failed == file_step_read && status.error_number == 0)
        return 0;  // nothing read: no bytes
    report_error(path, describe_file_failure(status));
    return -1;
}

talk_input::~talk_input()
{
    free_d88_image(&d88, 0);
    free_fat12_image(&fat12, false);
}

int load_talk_input(const std::string& path, int edition, int32_t disk_index, talk_input* input)
{
    input->path = path;
    input->disk_index = disk_index;
    if (edition < 0 && is_folder(path))
        edition = edition_dos;
    if (edition != edition_dos) {
        if (is_folder(path)) {
            report_error(path, std::string("a folder, not an image of the ") +
                                   edition_infos[edition].title + " edition");
            return -1;
        }
        if (read_input_file(path, "an image", largest_input_file, false, &input->image) < 0)
            return -1;
    }
    if (edition < 0) {
        // The contents decide; where they fit no image, the name's
        // extension does, so that a damaged image is read as what it is.
        if (looks_like_d88(input->image) || has_extension(path, ".d88"))
            edition = edition_pc8801;
        else if (has_fat12_layout_size(input->image.size) || has_extension(path, ".xdf"))
            edition = edition_x68000;
        else if (input->image.size >= apple2_talk_bytes)
            edition = edition_apple2;
        else {
            report_error(path, std::to_string(input->image.size) +
                                   " bytes: too short for any edition's talk data (name the "
                                   "edition with --edition)");
            return -1;
        }
    }
    input->edition = static_cast<data_edition>(edition);
    if (input->edition != edition_pc8801 && disk_index != 0) {
        report_error(path, std::string("-i chooses a disk of a D88 image; this is the ") +
                               edition_infos[edition].title + " edition");
        return -1;
    }
    input->record_size = edition_infos[edition].profile->record_size;
    switch (input->edition) {
    case edition_dos:
        return load_dos(input);
    case edition_apple2:
        return load_apple2(input);
    case edition_pc8801:
        return load_pc8801(input);
    case edition_x68000:
        return load_x68000(input);
    case edition_count:
        break;
    }
    return -1;
}

std::string record_name(const talk_input& input, int town, int person)
{
    std::string name = std::string("[") + town_labels[town] + "][" + std::to_string(person) + "]";
    if (input.edition == edition_pc8801)
        name += " " + sector_text({town_tracks[town].cylinder, town_tracks[town].head, person + 1});
    return name;
}

std::string sector_text(const talk_location& location)
{
    char text[16];
    snprintf(text, sizeof text, "%02X/%02X/%02X", location.cylinder & 0xFF, location.head & 0xFF,
             location.sector & 0xFF);
    return text;
}
