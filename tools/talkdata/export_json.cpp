// One JSON document: the edition, the input, the disk, then the records in
// listing order, each with where it lies, its header bytes, the slot after
// which its question is asked, and its twelve fields by name.
#include <nlohmann/json.hpp>

#include "export_records.h"
#include "town_files.h"
#include "town_tracks.h"

namespace {

const char talk_file_name[] = "TALKDATA.BIN";

nlohmann::ordered_json record_location(const talk_input& input, int town, int person)
{
    size_t index = static_cast<size_t>(town * talk_person_count + person);
    nlohmann::ordered_json location;
    switch (input.edition) {
    case edition_dos:
        location["file"] = talk_file_names[town];
        location["offset"] = static_cast<size_t>(person) * input.record_size;
        break;
    case edition_apple2:
        location["offset"] = index * input.record_size;
        break;
    case edition_pc8801:
        location["cylinder"] = town_tracks[town].cylinder;
        location["head"] = town_tracks[town].head;
        location["sector"] = person + 1;
        break;
    case edition_x68000:
        location["file"] = talk_file_name;
        location["offset"] = index * input.record_size;
        break;
    case edition_count:
        break;
    }
    return location;
}

}  // namespace

void write_json_export(const talk_input& input, const std::vector<exported_record>& records,
                       FILE* out)
{
    nlohmann::ordered_json document;
    document["edition"] = edition_infos[input.edition].name;
    document["input"] = input.path;
    document["disk"] = input.edition == edition_pc8801 ? nlohmann::ordered_json(input.disk_index)
                                                       : nlohmann::ordered_json(nullptr);
    nlohmann::ordered_json list = nlohmann::ordered_json::array();
    for (const exported_record& record : records) {
        nlohmann::ordered_json item;
        item["town"] = record.town;
        item["town_label"] = town_labels[record.town];
        item["person"] = record.person;
        item["location"] = record_location(input, record.town, record.person);
        item["header"] = record.header;
        item["question_after"] = field_names[talk_question_slot(record.header[0])];
        nlohmann::ordered_json fields;
        for (unsigned slot = 0; slot < talk_slot_count; slot++)
            fields[field_names[slot]] = record.fields[slot];
        item["fields"] = std::move(fields);
        list.push_back(std::move(item));
    }
    document["records"] = std::move(list);
    std::string text =
        document.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace) + "\n";
    fwrite(text.data(), 1, text.size(), out);
}
