// The DOS edition: a folder of sixteen town files, each read whole; a town
// file's first 4,608 bytes hold its town's records.
#include "dos_edition.h"

#include <cstring>
#include <set>

#include "dos_storage.h"
#include "replacement_journal.h"
#include "storage_messages.h"
#include "storage_write.h"
#include "talk_input.h"

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
    // A folder that an import was writing when it was killed is made whole
    // (all old or all new) before it is read.
    if (finish_interrupted_import(input->path) < 0)
        return -1;
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

// Stages the town files of the towns given, in place of the old ones.
int write_in_place(const talk_input& input, const std::set<int>& towns,
                   replacement_journal* journal)
{
    for (int town : towns) {
        std::vector<uint8_t> bytes = town_file_bytes_now(input, town);
        if (stage_storage_file(journal, input.path + "/" + talk_file_names[town], bytes.data(),
                               bytes.size(), true) < 0)
            return -1;
    }
    return 0;
}

// Stages a new folder holding all sixteen town files, made beside the
// output under another name, which the commit renames to it.
int write_new_folder(const talk_input& input, const std::string& output,
                     replacement_journal* journal)
{
    file_status status = {file_step_none, 0};
    if (journal_new_folder(journal, output.c_str(), &status) == nullptr) {
        report_error(output, describe_write_failure(status, false));
        return -1;
    }
    for (int town = 0; town < talk_town_count; town++) {
        std::vector<uint8_t> bytes = town_file_bytes_now(input, town);
        if (journal_folder_file(journal, talk_file_names[town], bytes.data(), bytes.size(),
                                &status) < 0) {
            report_error(output, describe_write_failure(status, false));
            return -1;
        }
    }
    return 0;
}

int write_dos(talk_input* input, const std::vector<record_change>& changes,
              const std::string& output, replacement_journal* journal)
{
    if (!output.empty())
        return write_new_folder(*input, output, journal);
    std::set<int> towns;
    for (const record_change& change : changes)
        towns.insert(change.town);
    return write_in_place(*input, towns, journal);
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
    "en",                              // language
    &talk_profile_dos,                 // profile
    true,                              // folder
    false,                             // has_disks
    claim_dos,                         // claim
    load_dos,                          // load
    write_dos,                         // write
    locate_dos,                        // locate
};
// clang-format on
