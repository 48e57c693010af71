// The D88 reader on arbitrary bytes. Whatever it reads must serialise and
// read back to the same disks, slots and sectors; the lookups and the
// record fetch of talkd88 run on every disk read.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "d88_image.h"
#include "pc8801_storage.h"
#include "talk_listing.h"

namespace {

bool same_sector(const d88_sector& a, const d88_sector& b)
{
    // The number-of-sectors field is rewritten from the slot's count.
    return a.cylinder == b.cylinder && a.head == b.head && a.record == b.record &&
           a.size_code == b.size_code && a.density == b.density && a.deleted == b.deleted &&
           a.status == b.status && memcmp(a.reserved, b.reserved, sizeof a.reserved) == 0 &&
           a.data_size == b.data_size &&
           (a.data_size == 0 || memcmp(a.data, b.data, static_cast<size_t>(a.data_size)) == 0);
}

bool same_disk(const d88_disk& a, const d88_disk& b)
{
    if (memcmp(a.name, b.name, sizeof a.name) != 0 ||
        memcmp(a.reserved, b.reserved, sizeof a.reserved) != 0 ||
        a.write_protect != b.write_protect || a.media_type != b.media_type)
        return false;
    for (int slot = 0; slot < d88_max_tracks; slot++) {
        const d88_track& ta = a.tracks[slot];
        const d88_track& tb = b.tracks[slot];
        if (ta.sector_count != tb.sector_count)
            return false;
        for (int i = 0; i < ta.sector_count; i++)
            if (!same_sector(ta.sectors[i], tb.sectors[i]))
                return false;
    }
    return true;
}

void check_round_trip(const d88_image& image)
{
    uint8_t* bytes = nullptr;
    uint32_t size = 0;
    if (write_d88_image_to_buffer(&image, &bytes, &size) < 0)
        __builtin_trap();  // an image that was read always fits
    d88_image again = {0, nullptr};
    int disks =
        size == 0 ? 0 : read_d88_image_from_buffer(&again, bytes, static_cast<int32_t>(size));
    if (disks != image.disk_count)
        __builtin_trap();
    const d88_disk* a = image.first_disk;
    const d88_disk* b = again.first_disk;
    for (; a != nullptr && b != nullptr; a = a->next, b = b->next)
        if (!same_disk(*a, *b))
            __builtin_trap();
    if (a != nullptr || b != nullptr)
        __builtin_trap();
    free_d88_image(&again, 0);
    free(bytes);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > 0x7FFFFFFF)
        return 0;
    d88_image image = {0, nullptr};
    int disks = read_d88_image_from_buffer(&image, data, static_cast<int32_t>(size));
    if (disks >= 0) {
        check_round_trip(image);
        for (int index = 0; index < disks; index++) {
            d88_disk* disk = get_d88_disk(&image, index);
            if (disk == nullptr)
                __builtin_trap();
            print_talk_data(&talk_profile_pc8801, fetch_d88_talk_record, disk);
        }
        if (get_d88_disk(&image, disks) != nullptr || get_d88_disk(&image, -1) != nullptr)
            __builtin_trap();
    }
    free_d88_image(&image, 0);
    return 0;
}
