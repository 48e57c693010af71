// The listing core on arbitrary record bytes, with each of the four
// profiles. The first byte picks the profile; the rest are the first
// records of the source (the records behind them are zero, which is an
// empty valid record). The PC-8801 profile reads through a fetch that
// serves the same bytes and has no record past them.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

#include "talk_listing.h"

namespace {

struct fuzz_source {
    const std::vector<unsigned char>* records;
    size_t available;  // records that hold fuzzer bytes
    size_t record_size;
};

const unsigned char* fetch_fuzz_record(void* context, int town, int person, talk_location* location)
{
    const fuzz_source* source = static_cast<const fuzz_source*>(context);
    size_t index = static_cast<size_t>(town * 16 + person);
    location->cylinder = 0x10 + town / 2;
    location->head = town % 2;
    location->sector = person + 1;
    if (index >= source->available)
        return nullptr;
    return source->records->data() + index * source->record_size;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    static const talk_profile* const profiles[4] = {&talk_profile_dos, &talk_profile_apple2,
                                                    &talk_profile_pc8801, &talk_profile_x68000};
    const talk_profile* profile = profiles[data[0] % 4];
    bool through_fetch = (data[0] & 4) != 0 || profile == &talk_profile_pc8801;
    data++;
    size--;

    // The exact buffer size, so that any read past it is caught.
    std::vector<unsigned char> records(256 * profile->record_size, 0);
    memcpy(records.data(), data, size < records.size() ? size : records.size());
    if (through_fetch) {
        fuzz_source source = {&records, (size + profile->record_size - 1) / profile->record_size,
                              profile->record_size};
        print_talk_data(profile, fetch_fuzz_record, &source);
    } else {
        print_talk_data(profile, records.data());
    }

    // One text on its own, up to its NUL, unchecked.
    std::vector<unsigned char> text(data, data + size);
    text.push_back(0);
    print_talk_field(profile, text.data());
    return 0;
}
