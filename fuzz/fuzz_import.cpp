// talkdata import on arbitrary EDITS files: the first byte picks the
// edition of the sample data that the edits go into, the rest is the EDITS
// text. The edits are applied in memory, as a dry run does. Each must be
// refused with its problems listed and the records untouched, or leave
// records that the listing core lists in full.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "format_table.h"
#include "record_update.h"
#include "sample_data.h"
#include "talk_input.h"

namespace {

struct loaded_samples {
    std::vector<talk_input> inputs = std::vector<talk_input>(talk_editions.count);
};

// The sample data of every edition, written once to a folder of its own
// and loaded as talkdata loads its inputs.
loaded_samples* load_samples()
{
    static loaded_samples samples;
    std::string folder =
        (std::filesystem::temp_directory_path() / ("fuzz-import-" + std::to_string(getpid())))
            .string();
    if (write_sample_data(folder) < 0)
        abort();
    for (size_t e = 0; e < talk_editions.count; e++)
        if (load_talk_input(folder + "/" + sample_input(talk_editions[e]->name), talk_editions[e],
                            0, nullptr, &samples.inputs[e]) < 0)
            abort();
    std::error_code error;
    std::filesystem::remove_all(folder, error);
    return &samples;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static loaded_samples* samples = load_samples();
    if (size == 0)
        return 0;
    talk_input& input = samples->inputs[data[0] % talk_editions.count];
    std::string text(reinterpret_cast<const char*>(data + 1), size - 1);

    std::vector<uint8_t> before = input.records;
    edits_file edits;
    import_plan plan;
    read_edits(text, input, &edits, &plan.problems);
    apply_edits(&input, edits, &plan);
    if (!plan.problems.empty()) {
        if (input.records != before || !plan.changes.empty())
            abort();  // a refusal changes nothing
        return 0;
    }
    const talk_profile* profile = input.edition->profile;
    if (print_talk_data(profile, input.records.data()) != 0)
        abort();  // every record the import leaves lists
    input.records.swap(before);
    return 0;
}
