#include "talk_input.h"

#include <cstdio>

#include "storage_messages.h"

namespace {

// The edition that claims the input most strongly, or null.
const edition_entry* tell_edition(const input_probe& probe)
{
    const edition_entry* best = nullptr;
    input_claim strongest = claim_none;
    for (const edition_entry* edition : talk_editions) {
        input_claim claim = edition->claim(probe);
        if (claim > strongest) {
            best = edition;
            strongest = claim;
        }
    }
    return best;
}

}  // namespace

int read_input_file(const std::string& path, const char* what, size_t size_limit, bool empty_ok,
                    file_bytes* bytes)
{
    if (is_folder(path)) {
        report_error(path, std::string("a folder, not ") + what);
        return -1;
    }
    const std::string kind = special_file_kind(path);
    if (!kind.empty()) {
        report_error(path, kind + ", not " + what);
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

int load_talk_input(const std::string& path, const edition_entry* edition, int32_t disk_index,
                    const char* index_option, talk_input* input)
{
    input->path = path;
    input->disk_index = disk_index;
    bool folder = is_folder(path);
    if (!folder && (edition == nullptr || !edition->folder) &&
        read_input_file(path, "an image", largest_input_file, false, &input->image) < 0)
        return -1;
    if (edition == nullptr) {
        edition = tell_edition({&input->path, folder, input->image.data, input->image.size});
        if (edition == nullptr) {
            report_error(path, std::to_string(input->image.size) +
                                   " bytes: too short for any edition's talk data (name the "
                                   "edition with --edition)");
            return -1;
        }
    } else if (folder && !edition->folder) {
        report_error(path,
                     std::string("a folder, not an image of the ") + edition->title + " edition");
        return -1;
    }
    input->edition = edition;
    if (!edition->has_disks && (index_option != nullptr || disk_index != 0)) {
        report_error(path, std::string(index_option != nullptr ? index_option : "-i") +
                               " chooses a disk of a D88 image; this is the " + edition->title +
                               " edition");
        return -1;
    }
    input->record_size = edition->profile->record_size;
    return edition->load(input);
}

std::string record_name(const talk_input& input, int town, int person)
{
    std::string name = std::string("[") + town_labels[town] + "][" + std::to_string(person) + "]";
    record_location location = input.edition->locate(town, person);
    if (location.offset < 0)
        name += " " + sector_text(location.sector);
    return name;
}

std::string sector_text(const talk_location& location)
{
    char text[16];
    snprintf(text, sizeof text, "%02X/%02X/%02X", location.cylinder & 0xFF, location.head & 0xFF,
             location.sector & 0xFF);
    return text;
}
