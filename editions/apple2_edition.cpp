// The Apple II edition: a disk image read whole, whose first 65,536 bytes
// hold the records.
#include "apple2_edition.h"

#include <cstring>

#include "apple2_storage.h"
#include "storage_messages.h"
#include "storage_write.h"
#include "talk_input.h"

namespace {

// Any other file large enough: the edition's image has no mark of its own.
input_claim claim_apple2(const input_probe& probe)
{
    return !probe.folder && probe.size >= dsk_talk_bytes ? claim_any_file : claim_none;
}

int load_apple2(talk_input* input)
{
    if (input->image.size < dsk_talk_bytes) {
        report_error(input->path, std::to_string(input->image.size) + " bytes, shorter than the " +
                                      std::to_string(dsk_talk_bytes) + " bytes of talk data");
        return -1;
    }
    input->records.assign(input->image.data, input->image.data + dsk_talk_bytes);
    input->present = talk_record_count;
    return 0;
}

int write_apple2(talk_input* input, const std::vector<record_change>&, const std::string& output,
                 replacement_journal* journal)
{
    std::vector<uint8_t> bytes(input->image.data, input->image.data + input->image.size);
    memcpy(bytes.data(), input->records.data(), input->records.size());
    return stage_storage_file(journal, output.empty() ? input->path : output, bytes.data(),
                              bytes.size(), output.empty());
}

record_location locate_apple2(int town, int person)
{
    long long index = town * talk_person_count + person;
    return {nullptr, index * talk_profile_apple2.record_size, {0, 0, 0}};
}

}  // namespace

// clang-format off
const edition_entry apple2_edition = {
    "apple2",                          // name
    "Apple II",                        // title
    "an Apple II .dsk image",          // input
    "en",                              // language
    &talk_profile_apple2,              // profile
    false,                             // folder
    false,                             // has_disks
    claim_apple2,                      // claim
    load_apple2,                       // load
    write_apple2,                      // write
    locate_apple2,                     // locate
};
// clang-format on
