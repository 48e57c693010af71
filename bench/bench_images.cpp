// The image libraries: reading D88 files of 1, 16 and 64 full 2D disks from
// a buffer (time should grow linearly with the size), and opening an XDF
// image and taking TALKDATA.BIN out of it.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

#include "d88_builder.h"
#include "d88_image.h"
#include "fat12_builder.h"
#include "fat12_image.h"
#include "sample_texts.h"
#include "x68000_storage.h"

namespace {

// disk_count disks of 80 tracks of 16 sectors of 256 bytes.
byte_vector full_2d_disks(int disk_count)
{
    d88_disk_builder disk;
    disk.name = {'B', 'E', 'N', 'C', 'H'};
    for (int slot = 0; slot < 80; slot++)
        disk.add_track(slot, make_d88_track(static_cast<uint8_t>(slot / 2),
                                            static_cast<uint8_t>(slot % 2), 1, 16, 1, 0xE5));
    return d88_file(std::vector<byte_vector>(static_cast<size_t>(disk_count), disk.bytes()));
}

void read_d88_disks(benchmark::State& state)
{
    byte_vector file = full_2d_disks(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        d88_image image = {};
        int disks =
            read_d88_image_from_buffer(&image, file.data(), static_cast<int32_t>(file.size()));
        benchmark::DoNotOptimize(disks);
        free_d88_image(&image, 0);
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(file.size()));
}

BENCHMARK(read_d88_disks)->Arg(1)->Arg(16)->Arg(64)->Unit(benchmark::kMillisecond);

void read_xdf_talk_data(benchmark::State& state)
{
    byte_vector image = make_talk_xdf_image([](int town, int person) {
        return make_talk_record(talk_edition::x68000, {sample_question_flag(town, person), 0, 0, 0},
                                sample_english_texts(town, person));
    });
    std::string path = std::string(P_tmpdir) + "/talk-bench.xdf";
    write_file(path, image);
    static unsigned char talk_data[131072];
    for (auto _ : state) {
        fat12_image xdf = {};
        int result = read_fat12_image_file(&xdf, path.c_str(), 0);
        if (result == 0)
            result =
                read_fat12_file(&xdf, x68000_talk_file_name, talk_data, sizeof talk_data, true);
        benchmark::DoNotOptimize(result);
        free_fat12_image(&xdf, false);
    }
    remove(path.c_str());
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(image.size()));
}

BENCHMARK(read_xdf_talk_data)->Unit(benchmark::kMicrosecond);

}  // namespace
