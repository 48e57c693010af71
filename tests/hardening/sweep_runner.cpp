#include "sweep_runner.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <mutex>
#include <stdexcept>
#include <thread>

#include "captured_run.h"
#include "talk_records.h"

#ifdef __linux__
#include <dirent.h>
#include <signal.h>
#include <unistd.h>
#endif

namespace fs = std::filesystem;

namespace {

// A run that takes longer than this is taken for a hang: its process is
// ended so that the sweep can report it and go on.
constexpr double hang_seconds = 20.0;
// Every run must end within this (a run over it is repeated once, and
// the faster of the two counts).
constexpr double run_limit_seconds = 1.0;
// Failures reported in full; the rest are only counted.
constexpr int reported_failures = 25;

struct tool_row {
    sweep_tool tool;
    const char* name;
    const char* input;  // the sample the lister reads, relative to the samples
};

// clang-format off
const tool_row tool_rows[] = {
    {sweep_tool::talkdir, "talkdir", "dos"},
    {sweep_tool::talkdsk, "talkdsk", "velktown.dsk"},
    {sweep_tool::talkd88, "talkd88", "velk-towne.d88"},
    {sweep_tool::talkxdf, "talkxdf", "velk-britannia.xdf"},
};
// clang-format on
static_assert(sizeof tool_rows / sizeof tool_rows[0] == 4, "one row per tool");

const tool_row& row_of(sweep_tool tool)
{
    return tool_rows[static_cast<int>(tool)];
}

#ifdef __linux__
// Ends every process whose parent is this test program: at most the one
// tool run in progress.
void end_own_children()
{
    pid_t self = getpid();
    DIR* proc = opendir("/proc");
    if (proc == nullptr)
        return;
    while (dirent* entry = readdir(proc)) {
        char* end = nullptr;
        long pid = strtol(entry->d_name, &end, 10);
        if (pid <= 0 || *end != '\0')
            continue;
        FILE* stat = fopen(("/proc/" + std::string(entry->d_name) + "/stat").c_str(), "r");
        if (stat == nullptr)
            continue;
        char line[512] = {};
        size_t got = fread(line, 1, sizeof line - 1, stat);
        fclose(stat);
        line[got] = '\0';
        const char* after_name = strrchr(line, ')');
        long parent = 0;
        if (after_name != nullptr && sscanf(after_name + 1, " %*c %ld", &parent) == 1 &&
            parent == self)
            kill(static_cast<pid_t>(pid), SIGKILL);
    }
    closedir(proc);
}
#endif

struct timed_run {
    process_result result;
    double seconds;
    bool ended_by_guard;
};

// A tool run with its wall time; on Linux a guard ends a run that hangs.
timed_run run_timed(const std::string& program, const std::vector<std::string>& args,
                    const std::string& cwd)
{
    std::mutex mutex;
    std::condition_variable finished;
    bool done = false;
    bool fired = false;
    std::thread guard([&] {
        std::unique_lock<std::mutex> lock(mutex);
        if (!finished.wait_for(lock, std::chrono::duration<double>(hang_seconds),
                               [&] { return done; })) {
            fired = true;
#ifdef __linux__
            end_own_children();
#endif
        }
    });
    auto start = std::chrono::steady_clock::now();
    timed_run run{{-1, "", ""}, 0.0, false};
    try {
        run.result = run_captured(program, args, cwd);
    } catch (...) {
        {
            std::lock_guard<std::mutex> lock(mutex);
            done = true;
        }
        finished.notify_one();
        guard.join();
        throw;
    }
    run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    {
        std::lock_guard<std::mutex> lock(mutex);
        done = true;
    }
    finished.notify_one();
    guard.join();
    run.ended_by_guard = fired;
    return run;
}

// The last count lines of the output, last one first, without the CR that
// a Windows text stream adds; fewer when the output has fewer.
std::vector<std::string> last_lines(const std::string& out, size_t count)
{
    std::vector<std::string> lines;
    size_t end = out.size();
    if (end > 0 && out[end - 1] == '\n')
        end--;
    while (end > 0 && lines.size() < count) {
        size_t start = out.rfind('\n', end - 1);
        start = start == std::string::npos ? 0 : start + 1;
        std::string line = out.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
        end = start == 0 ? 0 : start - 1;
    }
    return lines;
}

bool is_file_size_line(const std::string& line)
{
    const std::string prefix = "error: file size: ";
    if (line.compare(0, prefix.size(), prefix) != 0 || line.size() == prefix.size())
        return false;
    size_t i = prefix.size() + (line[prefix.size()] == '-' ? 1 : 0);
    if (i == line.size())
        return false;
    for (; i < line.size(); i++)
        if (line[i] < '0' || line[i] > '9')
            return false;
    return true;
}

// The final lines the tool may end with after exit code 1.
bool is_final_line(sweep_tool tool, const std::string& line)
{
    if (line == read_failure_line(tool) || line == print_failure_line(tool))
        return true;
    std::string path = sweep_tool_argument(tool);
    switch (tool) {
    case sweep_tool::talkd88:
        return line == "error: illegal image index '" + path + "':0";
    case sweep_tool::talkxdf:
        return line == "error: read disk image '" + path + "/TALKDATA.BIN'" ||
               is_file_size_line(line);
    default:
        return false;
    }
}

std::string hex(size_t value, int digits)
{
    char text[32];
    snprintf(text, sizeof text, "0x%0*zX", digits, value);
    return text;
}

std::string edit_label(const sweep_variant& v)
{
    switch (v.edit) {
    case sweep_edit::set_byte:
        return v.file + ": byte " + hex(v.position, 6) + " set to " + hex(v.value, 2);
    case sweep_edit::truncate:
        return v.file + ": cut to " + std::to_string(v.position) + " bytes";
    case sweep_edit::append:
        return v.file + ": " + std::to_string(v.count) + " bytes of " + hex(v.value, 2) +
               " appended";
    case sweep_edit::cut_d88:
        return v.file + ": disk cut to " + std::to_string(v.position) + " bytes";
    }
    return v.file;
}

// Shell commands that make the variant in a folder of samples.
std::string edit_commands(const sweep_variant& v)
{
    char text[256];
    switch (v.edit) {
    case sweep_edit::set_byte:
        snprintf(text, sizeof text, "printf '\\%03o' | dd of=%s bs=1 seek=%zu conv=notrunc",
                 v.value, v.file.c_str(), v.position);
        return text;
    case sweep_edit::truncate:
        return "truncate -s " + std::to_string(v.position) + " " + v.file;
    case sweep_edit::append:
        snprintf(text, sizeof text, "head -c %zu /dev/zero | tr '\\000' '\\%03o' >> %s", v.count,
                 v.value, v.file.c_str());
        return text;
    case sweep_edit::cut_d88:
        return "truncate -s " + std::to_string(v.position) + " " + v.file + ", then write " +
               std::to_string(v.position) +
               " as the disk size at 0x1C and clear every track offset not below it";
    }
    return "";
}

byte_vector apply_edit(const sweep_variant& v, const byte_vector& intact)
{
    byte_vector bytes = intact;
    switch (v.edit) {
    case sweep_edit::set_byte:
        bytes.at(v.position) = v.value;
        break;
    case sweep_edit::truncate:
        bytes.resize(std::min(v.position, bytes.size()));
        break;
    case sweep_edit::append:
        bytes.insert(bytes.end(), v.count, v.value);
        break;
    case sweep_edit::cut_d88: {
        bytes.resize(std::min(v.position, bytes.size()));
        uint32_t size = static_cast<uint32_t>(bytes.size());
        for (int i = 0; i < 4; i++)
            bytes.at(0x1C + size_t(i)) = static_cast<unsigned char>(size >> (8 * i));
        for (size_t entry = 0x20; entry < 0x2B0 && entry + 4 <= bytes.size(); entry += 4) {
            uint32_t offset = 0;
            for (int i = 0; i < 4; i++)
                offset |= uint32_t(bytes[entry + size_t(i)]) << (8 * i);
            if (offset >= size)
                for (int i = 0; i < 4; i++)
                    bytes[entry + size_t(i)] = 0;
        }
        break;
    }
    }
    return bytes;
}

// Everything the intact listing prints before the record's heading.
std::string listing_before(const std::string& listing, int record)
{
    std::string heading = talk_heading(record / 16, record % 16);
    if (record == 0)
        return "";
    size_t at = listing.find("\n" + text_output(heading));
    return at == std::string::npos ? listing : listing.substr(0, at + 1);
}

std::string tail_of(const std::string& out)
{
    const size_t keep = 600;
    return out.size() <= keep ? out : "..." + out.substr(out.size() - keep);
}

// Every rule the run breaks, one line each; empty when it keeps them all.
// lister: the sample's lister when the program is that lister, else null.
// True when every line of text is a warning ("NAME: ...: warning: ..."),
// which a program that reports on standard error may print on success.
bool only_warnings(const std::string& text)
{
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        if (text.substr(start, end - start).find(": warning: ") == std::string::npos)
            return false;
        start = end + 1;
    }
    return true;
}

std::string check_run(const talk_program& program, const sweep_tool* lister, const sweep_variant& v,
                      const timed_run& run, const std::string& intact_listing)
{
    std::string problems;
    const process_result& r = run.result;
    bool failed = r.exit_code == program.error_exit;
    const std::string& messages = program.errors_to_stderr ? r.err : r.out;

    if (run.ended_by_guard)
        problems += "  hung: ended after " + std::to_string(hang_seconds) + " s\n";
    if (r.exit_code != 0 && !failed)
        problems += "  exit code " + std::to_string(r.exit_code) +
                    (r.exit_code == -1 ? " (ended by a signal)" : "") + "\n";
    if (!r.err.empty() && !(program.errors_to_stderr && (failed || only_warnings(r.err))))
        problems += "  standard error: " + tail_of(r.err) + "\n";
    if (failed && program.errors_to_stderr && r.err.empty())
        problems += "  exit code " + std::to_string(r.exit_code) + " without a message\n";
    if (run.seconds > run_limit_seconds)
        problems += "  took " + std::to_string(run.seconds) + " s\n";
    if (failed && !messages.empty() && messages.back() != '\n')
        problems += std::string("  the ") +
                    (program.errors_to_stderr ? "standard error" : "output") +
                    " does not end with a line end\n";
    if (lister == nullptr)
        return problems;

    sweep_tool tool = *lister;
    std::vector<std::string> lines = last_lines(r.out, 2);
    std::string last = lines.empty() ? "" : lines[0];
    std::string complete_end = text_output("\n\n");
    if (r.exit_code == 1 && !is_final_line(tool, last))
        problems += "  exit code 1, but the last line is not the tool's: \"" + last + "\"\n";
    if (r.exit_code == 0 &&
        (r.out.find(text_output(talk_heading(15, 15))) == std::string::npos ||
         r.out.size() < complete_end.size() ||
         r.out.compare(r.out.size() - complete_end.size(), complete_end.size(), complete_end) != 0))
        problems += "  exit code 0 without a complete listing\n";

    switch (v.outcome) {
    case sweep_outcome::any:
        break;
    case sweep_outcome::same:
        if (r.exit_code != 0 || r.out != intact_listing)
            problems += "  expected exactly the intact listing\n";
        break;
    case sweep_outcome::lists:
        if (r.exit_code != 0)
            problems += "  expected a complete listing (exit code 0)\n";
        break;
    case sweep_outcome::fails:
        if (r.exit_code != 1 || last != v.final_line)
            problems += "  expected exit code 1 and the last line \"" + v.final_line + "\"\n";
        if (!v.inner_line.empty() && (lines.size() < 2 || lines[1] != v.inner_line))
            problems += "  expected the line \"" + v.inner_line + "\" before the last\n";
        if (v.failing_record >= 0) {
            std::string before = listing_before(intact_listing, v.failing_record);
            if (r.out.compare(0, before.size(), before) != 0) {
                std::string heading = talk_heading(v.failing_record / 16, v.failing_record % 16);
                heading.pop_back();
                problems += "  the records before " + heading + " differ from the intact listing\n";
            }
        }
        break;
    }
    return problems;
}

}  // namespace

const std::string& sample_folder()
{
    static temp_dir folder;
    static const bool made = [] {
        process_result run = run_process(MAKE_SAMPLES_PATH, {folder.path()}, folder.path());
        if (run.exit_code != 0)
            throw std::runtime_error("make_samples failed: " + run.out + run.err);
        return true;
    }();
    (void)made;
    return folder.path();
}

byte_vector sample_bytes(const std::string& relative)
{
    return read_file(sample_folder() + "/" + relative);
}

const char* sweep_tool_name(sweep_tool tool)
{
    return row_of(tool).name;
}

std::string sweep_tool_argument(sweep_tool tool)
{
    return row_of(tool).input;
}

std::string read_failure_line(sweep_tool tool)
{
    std::string path = sweep_tool_argument(tool);
    switch (tool) {
    case sweep_tool::talkdir:
        return "error: read data";
    case sweep_tool::talkdsk:
    case sweep_tool::talkxdf:
        return "error: read disk image '" + path + "'";
    case sweep_tool::talkd88:
        return "error: read d88 image '" + path + "'";
    }
    return "";
}

std::string print_failure_line(sweep_tool tool)
{
    std::string path = sweep_tool_argument(tool);
    switch (tool) {
    case sweep_tool::talkdir:
        return "error: print talk data";
    case sweep_tool::talkdsk:
        return "error: print talk data '" + path + "'";
    case sweep_tool::talkd88:
        return "error: print talk data '" + path + "':0";
    case sweep_tool::talkxdf:
        return "error: print talk data '" + path + "/TALKDATA.BIN'";
    }
    return "";
}

int sweep_scale()
{
    const char* text = getenv("TALK_SWEEP_SCALE");
    int scale = text != nullptr ? atoi(text) : 1;
    return scale < 1 ? 1 : scale;
}

void run_sweep(const talk_program& program, sweep_tool sample,
               const std::vector<sweep_variant>& variants)
{
    const tool_row& row = row_of(sample);
    const sweep_tool* lister = program.name == std::string(row.name) ? &row.tool : nullptr;
    std::vector<std::string> args = program_arguments(program.sample_run);
    const char* only = getenv("TALK_SWEEP_ONLY");
    temp_dir work;
    // Every sample the program's arguments name, the damaged one among them.
    for (const std::string& arg : args)
        if (fs::exists(sample_folder() + "/" + arg))
            fs::copy(sample_folder() + "/" + arg, work.file(arg), fs::copy_options::recursive);

    timed_run intact = run_timed(program.path, args, work.path());
    ASSERT_EQ(intact.result.exit_code, 0)
        << program.name << " fails on the intact sample\n"
        << tail_of(intact.result.out) << tail_of(intact.result.err);
    ASSERT_EQ(intact.result.err, "");

    int runs = 0;
    int expected[4] = {0, 0, 0, 0};  // variants by sweep_outcome
    int listed = 0;
    int failures = 0;
    double longest = 0;
    std::map<std::string, byte_vector> intact_files;
    for (const sweep_variant& v : variants) {
        std::string label = edit_label(v);
        if (only != nullptr && label.find(only) == std::string::npos)
            continue;
        std::string path = work.file(v.file);
        if (intact_files.count(v.file) == 0)
            intact_files[v.file] = read_file(path);
        byte_vector& original = intact_files[v.file];
        if (v.edit == sweep_edit::set_byte) {
            // Changed in place and put back: the images are large.
            unsigned char kept = original.at(v.position);
            original[v.position] = v.value;
            write_file(path, original);
            original[v.position] = kept;
        } else {
            write_file(path, apply_edit(v, original));
        }
        timed_run run = run_timed(program.path, args, work.path());
        if (run.seconds > run_limit_seconds && !run.ended_by_guard) {
            // A busy machine can hold a process back once; a slow run
            // is slow again.
            double first_seconds = run.seconds;
            run = run_timed(program.path, args, work.path());
            run.seconds = std::min(run.seconds, first_seconds);
        }
        write_file(path, original);

        runs++;
        expected[static_cast<int>(v.outcome)]++;
        listed += run.result.exit_code == 0;
        longest = std::max(longest, run.seconds);
        std::string problems = check_run(program, lister, v, run, intact.result.out);
        if (problems.empty())
            continue;
        if (++failures > reported_failures)
            continue;
        ADD_FAILURE() << program.name << ", " << label << " (" << v.where << "):\n"
                      << problems << "  exit code " << run.result.exit_code << ", " << run.seconds
                      << " s, output ends with:\n"
                      << tail_of(run.result.out) << "\n  repeat: " << MAKE_SAMPLES_PATH
                      << " DIR && cd DIR && " << edit_commands(v) << " && " << program.path << " "
                      << program.sample_run << "\n  or rerun this test with TALK_SWEEP_ONLY='"
                      << label << "'";
    }
    if (failures > reported_failures)
        ADD_FAILURE() << program.name << ": " << failures - reported_failures
                      << " further variants failed";
    printf(
        "%s: %d variants (effect known exactly: %d same listing, %d complete listing, %d "
        "failure; %d any clean end), %d listed completely, %d ended with an error, longest "
        "run %.3f s\n",
        program.name, runs, expected[1], expected[2], expected[3], expected[0], listed,
        runs - listed, longest);
}
