// print_talk_data over 256 valid records of each edition, the listing
// written to the null device: records per second and output bytes per
// second.
#include <benchmark/benchmark.h>

#include <cstdio>

#include "sample_texts.h"
#include "talk_listing.h"

#ifdef _WIN32
#include <io.h>
#define dup _dup
#define dup2 _dup2
#define fileno _fileno
#define close _close
const char null_device[] = "NUL";
#else
#include <unistd.h>
const char null_device[] = "/dev/null";
#endif

namespace {

byte_vector sample_buffer(talk_edition edition)
{
    return make_talk_buffer(edition, [&](int town, int person) {
        talk_slot_texts texts = edition == talk_edition::apple2
                                    ? sample_apple2_texts(town, person)
                                    : sample_english_texts(town, person);
        unsigned char flag = sample_question_flag(town, person);
        return make_talk_record(edition, {flag, 1, 2, 3}, texts);
    });
}

struct fetch_source {
    const byte_vector* buffer;
};

const unsigned char* fetch_from_buffer(void* context, int town, int person, talk_location* location)
{
    location->cylinder = 0x10 + town / 2;
    location->head = town % 2;
    location->sector = person + 1;
    const fetch_source* source = static_cast<const fetch_source*>(context);
    return source->buffer->data() + static_cast<size_t>(town * 16 + person) * 256;
}

// Standard output goes to the null device while the loop runs; the size of
// one listing is measured through a temporary file first.
class null_stdout {
public:
    null_stdout() : saved_(dup(fileno(stdout)))
    {
        fflush(stdout);
        FILE* sink = fopen(null_device, "wb");
        dup2(fileno(sink), fileno(stdout));
        fclose(sink);
    }
    ~null_stdout()
    {
        fflush(stdout);
        dup2(saved_, fileno(stdout));
        close(saved_);
    }

private:
    int saved_;
};

long listing_size(const talk_profile* profile, const byte_vector& buffer, bool fetch)
{
    fflush(stdout);
    int saved = dup(fileno(stdout));
    FILE* sink = tmpfile();
    dup2(fileno(sink), fileno(stdout));
    fetch_source source = {&buffer};
    if (fetch)
        print_talk_data(profile, fetch_from_buffer, &source);
    else
        print_talk_data(profile, buffer.data());
    fflush(stdout);
    long size = ftell(sink);
    dup2(saved, fileno(stdout));
    close(saved);
    fclose(sink);
    return size;
}

void run_listing(benchmark::State& state, const talk_profile* profile, talk_edition edition,
                 bool fetch)
{
    byte_vector buffer = sample_buffer(edition);
    long bytes = listing_size(profile, buffer, fetch);
    fetch_source source = {&buffer};
    {
        null_stdout quiet;
        for (auto _ : state) {
            int result = fetch ? print_talk_data(profile, fetch_from_buffer, &source)
                               : print_talk_data(profile, buffer.data());
            benchmark::DoNotOptimize(result);
        }
    }
    state.SetItemsProcessed(state.iterations() * 256);
    state.SetBytesProcessed(state.iterations() * bytes);
}

void listing_dos(benchmark::State& state)
{
    run_listing(state, &talk_profile_dos, talk_edition::dos, false);
}
void listing_apple2(benchmark::State& state)
{
    run_listing(state, &talk_profile_apple2, talk_edition::apple2, false);
}
void listing_pc8801(benchmark::State& state)
{
    run_listing(state, &talk_profile_pc8801, talk_edition::pc8801, true);
}
void listing_x68000(benchmark::State& state)
{
    run_listing(state, &talk_profile_x68000, talk_edition::x68000, false);
}

BENCHMARK(listing_dos);
BENCHMARK(listing_apple2);
BENCHMARK(listing_pc8801);
BENCHMARK(listing_x68000);

}  // namespace
