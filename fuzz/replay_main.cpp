// Replays fuzz inputs without the fuzzer: every file named, or found in a
// folder named, is passed to the target once. Used to keep the seeds and
// the inputs of past findings as regression tests. A path that does not
// exist is skipped (a target may have no past findings), but a run that
// replays nothing at all fails, so that a misnamed corpus is noticed.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv);
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace fs = std::filesystem;

namespace {

int replay_file(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                               std::istreambuf_iterator<char>());
    fprintf(stderr, "replay %s (%zu bytes)\n", path.string().c_str(), bytes.size());
    LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
    return 1;
}

}  // namespace

int main(int argc, char** argv)
{
    LLVMFuzzerInitialize(&argc, &argv);
    int count = 0;
    for (int i = 1; i < argc; i++) {
        fs::path path = argv[i];
        if (fs::is_directory(path)) {
            for (const fs::directory_entry& entry : fs::directory_iterator(path))
                if (entry.is_regular_file())
                    count += replay_file(entry.path());
        } else if (fs::exists(path)) {
            count += replay_file(path);
        }
    }
    fprintf(stderr, "%d inputs replayed\n", count);
    return count > 0 ? 0 : 1;
}
