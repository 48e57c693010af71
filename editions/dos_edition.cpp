// The DOS edition: a folder of sixteen town files, each read whole; a town
// file's first 4,608 bytes hold its town's records.
#include "dos_edition.h"

#include <cstring>
#include <filesystem>
#include <set>
#include <system_error>

#include "dos_storage.h"
#include "file_replacement.h"
#include "storage_messages.h"
#include "storage_write.h"
#include "talk_input.h"

namespace fs = std::filesystem;

namespace {

input_claim claim_dos(const input_probe& probe)
{
    return probe.folder ? claim_contents : claim_none;
}

int load_dos(talk_input* input)
{
    if (!is_folder(input->path)) {
        report_error(input->path, "not a folder: the DOS edition is a folder of town files");
        return -1;
    }
    input->records.resize(talk_files_bytes);
    input->town_files.resize(talk_town_count);
    for (int town = 0; town < talk_town_count; town++) {
        std::string path = input->path + "/" + talk_file_names[town];
        file_bytes read;
        if (read_input_file(path, "a town file", largest_input_file, false, &read) < 0)
            return -1;
        std::vector<uint8_t>& file = input->town_files[static_cast<size_t>(town)];
        file.assign(read.data, read.data + read.size);
        if (file.size() < town_file_bytes) {
            report_error(path, std::to_string(file.size()) + " bytes, shorter than the " +
                                   std::to_string(town_file_bytes) + " bytes of a town's records");
            return -1;
        }
        memcpy(input->record(town, 0), file.data(), town_file_bytes);
    }
    input->present = talk_record_count;
    return 0;
}

// A town file with its town's records as they stand now.
std::vector<uint8_t> town_file_bytes_now(const talk_input& input, int town)
{
    std::vector<uint8_t> bytes = input.town_files[static_cast<size_t>(town)];
    memcpy(bytes.data(), input.record(town, 0), town_file_bytes);
    return bytes;
}

// Replaces the town files of the towns given; every new file is complete
// before the first one replaces its target.
int write_in_place(const talk_input& input, const std::set<int>& towns)
{
    std::vector<file_replacement> staged;
    std::vector<std::string> paths;
    int result = 0;
    for (int town : towns) {
        std::string path = input.path + "/" + talk_file_names[town];
        std::vector<uint8_t> bytes = town_file_bytes_now(input, town);
        file_replacement replacement;
        file_status status = {file_step_none, 0};
        if (stage_file_replacement(path.c_str(), bytes.data(), bytes.size(), &replacement,
                                   &status) < 0) {
            report_error(path, describe_write_failure(status, true));
            result = -1;
            break;
        }
        staged.push_back(replacement);
        paths.push_back(path);
    }
    // After a failed rename the others are not put in place.
    for (size_t i = 0; i < staged.size(); i++) {
        if (result < 0) {
            abandon_file_replacement(&staged[i]);
            continue;
        }
        file_status status = {file_step_none, 0};
        if (commit_file_replacement(&staged[i], &status) < 0) {
            report_error(paths[i], describe_write_failure(status, true) +
                                       (i > 0 ? " (the town files before it were replaced)" : ""));
            result = -1;
        }
    }
    return result;
}

// A new folder holding all sixteen town files, made beside the output
// under another name and renamed to it once complete.
int write_new_folder(const talk_input& input, const std::string& output)
{
    char* staging = nullptr;
    file_status status = {file_step_none, 0};
    if (create_folder_beside(output.c_str(), &staging, &status) < 0) {
        report_error(output, describe_write_failure(status, false));
        return -1;
    }
    int result = 0;
    for (int town = 0; town < talk_town_count && result == 0; town++) {
        std::vector<uint8_t> bytes = town_file_bytes_now(input, town);
        result = replace_storage_file(std::string(staging) + "/" + talk_file_names[town],
                                      bytes.data(), bytes.size(), false);
    }
    std::error_code error;
    if (result == 0) {
        fs::rename(staging, output, error);
        if (error) {
            report_error(output, "cannot put the new folder in place: " + error.message());
            result = -1;
        }
    }
    if (result < 0)
        fs::remove_all(staging, error);
    free(staging);
    return result;
}

int write_dos(talk_input* input, const std::vector<record_change>& changes,
              const std::string& output)
{
    if (!output.empty())
        return write_new_folder(*input, output);
    std::set<int> towns;
    for (const record_change& change : changes)
        towns.insert(change.town);
    return write_in_place(*input, towns);
}

record_location locate_dos(int town, int person)
{
    return {talk_file_names[town],
            static_cast<long long>(person) * talk_profile_dos.record_size,
            {0, 0, 0}};
}

}  // namespace

// clang-format off
const edition_entry dos_edition = {
    "dos",                             // name
    "DOS",                             // title
    "a folder of DOS town files",      // input
    &talk_profile_dos,                 // profile
    true,                              // folder
    false,                             // has_disks
    claim_dos,                         // claim
    load_dos,                          // load
    write_dos,                         // write
    locate_dos,                        // locate
};
// clang-format on
