#include "listing_harness.h"

#include "capture_stdout.h"

namespace {

struct one_record_source {
    const byte_vector* record;
};

const unsigned char* fetch_one_record(void* context, int town, int person, talk_location* location)
{
    location->cylinder = 0x10 + town / 2;
    location->head = town % 2;
    location->sector = person + 1;
    const one_record_source* source = static_cast<const one_record_source*>(context);
    return town == 0 && person == 0 ? source->record->data() : nullptr;
}

struct buffer_source {
    const byte_vector* buffer;
    size_t record_size;
    int missing_index;
    std::vector<int>* calls;
};

const unsigned char* fetch_buffer_record(void* context, int town, int person,
                                         talk_location* location)
{
    const buffer_source* source = static_cast<const buffer_source*>(context);
    int index = town * 16 + person;
    if (source->calls != nullptr)
        source->calls->push_back(index);
    location->cylinder = 0x10 + town / 2;
    location->head = town % 2;
    location->sector = person + 1;
    if (index == source->missing_index)
        return nullptr;
    return source->buffer->data() + static_cast<size_t>(index) * source->record_size;
}

}  // namespace

// clang-format off
const std::array<std::string, 12> english_labels = {
    "\tname:\t", "\tpronoun:\t", "\tlook:\t", "\tjob:\t",          "\thealth:\t", "\tword1:\t",
    "\t\t",      "\tword2:\t",   "\t\t",      "\tquestion:\n\t\t", "\tyes:\t",    "\tno:\t"};
const std::array<std::string, 12> japanese_labels = {"\t\x96\xBC\x91\x4F:\t",
                                                     "\t\x91\xE3\x96\xBC\x8E\x8C:\t",
                                                     "\t\x8C\xA9\x82\xE9:\t",
                                                     "\t\x8E\x64\x8E\x96:\t",
                                                     "\t\x82\xA9\x82\xE7\x82\xBE:\t",
                                                     "\t\x89\xEF\x98\x62"
                                                     "1:\t",
                                                     "\t\t",
                                                     "\t\x89\xEF\x98\x62"
                                                     "2:\t",
                                                     "\t\t",
                                                     "\t\x8E\xBF\x96\xE2:\t",
                                                     "\t\x82\xCD\x82\xA2:\t",
                                                     "\t\x82\xA2\x82\xA2\x82\xA6:\t"};
// clang-format on

const char* const one_record_end = "error: read sector 10/00/02\n";

listing_run list_buffer(const talk_profile& profile, const byte_vector& buffer)
{
    listing_run run = {0, ""};
    run.out = capture_stdout([&] { run.result = print_talk_data(&profile, buffer.data()); });
    return run;
}

listing_run list_one_record(const talk_profile& profile, const byte_vector& record)
{
    listing_run run = {0, ""};
    one_record_source source = {&record};
    run.out =
        capture_stdout([&] { run.result = print_talk_data(&profile, fetch_one_record, &source); });
    return run;
}

listing_run list_fetched(const talk_profile& profile, const byte_vector& buffer, int missing_index,
                         std::vector<int>* calls)
{
    listing_run run = {0, ""};
    buffer_source source = {&buffer, profile.record_size, missing_index, calls};
    run.out = capture_stdout(
        [&] { run.result = print_talk_data(&profile, fetch_buffer_record, &source); });
    return run;
}

std::string listing_prefix(int count, const std::string& body)
{
    std::string all;
    for (int index = 0; index < count; index++)
        all += heading(index / 16, index % 16) + body;
    return all;
}

const char* town_label(int town)
{
    return talk_town_label(town);
}

std::string heading(int town, int person)
{
    return talk_heading(town, person);
}

std::string repeated_listing(const std::string& body)
{
    return listing_prefix(256, body);
}
