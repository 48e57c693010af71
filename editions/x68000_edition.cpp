// The X68000 edition: a FAT12 image read whole, whose TALKDATA.BIN holds
// the records; written back through the FAT12 library's file write.
#include "x68000_edition.h"

#include "has_extension.h"
#include "storage_messages.h"
#include "storage_write.h"
#include "talk_input.h"
#include "x68000_storage.h"

namespace {

bool has_fat12_layout_size(size_t size)
{
    for (const fat12_layout& layout : fat12_layouts)
        if (size == static_cast<size_t>(layout.image_size))
            return true;
    return false;
}

input_claim claim_x68000(const input_probe& probe)
{
    if (probe.folder)
        return claim_none;
    if (has_fat12_layout_size(probe.size))
        return claim_contents;
    return has_extension(*probe.path, ".xdf") ? claim_name : claim_none;
}

int load_x68000(talk_input* input)
{
    // The image record takes the file's bytes over.
    int32_t size = static_cast<int32_t>(input->image.size);
    std::string lines;
    int opened;
    {
        message_capture capture(&lines);
        opened = open_fat12_image_buffer(&input->fat12, input->path.c_str(), input->image.release(),
                                         size, 0);
    }
    report_library_lines(input->path, lines);
    if (opened < 0) {
        report_error(input->path, "not a readable FAT12 image");
        return -1;
    }
    input->records.resize(x68000_talk_bytes);
    int32_t file_size = 0;
    lines.clear();
    x68000_talk_result result;
    {
        message_capture capture(&lines);
        result = read_x68000_talk_file(&input->fat12, input->records.data(), &file_size);
    }
    report_library_lines(input->path, lines);
    const std::string name = x68000_talk_file_name;
    switch (result) {
    case x68000_talk_read:
        input->present = talk_record_count;
        return 0;
    case x68000_talk_missing:
        report_error(input->path, "no " + name + " in the image");
        break;
    case x68000_talk_wrong_size:
        report_error(input->path, name + " holds " + std::to_string(file_size) + " bytes, not " +
                                      std::to_string(x68000_talk_bytes));
        break;
    case x68000_talk_unreadable:
        report_error(input->path, "cannot read " + name);
        break;
    }
    return -1;
}

int write_x68000(talk_input* input, const std::vector<record_change>&, const std::string& output,
                 replacement_journal* journal)
{
    const std::string& target = output.empty() ? input->path : output;
    std::string lines;
    int written;
    {
        message_capture capture(&lines);
        written = write_fat12_file(&input->fat12, x68000_talk_file_name, input->records.data(),
                                   static_cast<int32_t>(input->records.size()), true);
    }
    report_library_lines(input->path, lines);
    if (written < 0) {
        report_error(input->path, "cannot write " + std::string(x68000_talk_file_name) +
                                      " into the image; nothing written");
        return -1;
    }
    return stage_storage_file(journal, target, input->fat12.buffer,
                              static_cast<size_t>(input->fat12.file_size), output.empty());
}

record_location locate_x68000(int town, int person)
{
    long long index = town * talk_person_count + person;
    return {x68000_talk_file_name, index * talk_profile_x68000.record_size, {0, 0, 0}};
}

}  // namespace

// clang-format off
const edition_entry x68000_edition = {
    "x68000",                          // name
    "X68000",                          // title
    "an XDF image",                    // input
    "ja",                              // language
    &talk_profile_x68000,              // profile
    false,                             // folder
    false,                             // has_disks
    claim_x68000,                      // claim
    load_x68000,                       // load
    write_x68000,                      // write
    locate_x68000,                     // locate
};
// clang-format on
