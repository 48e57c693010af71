#include "import_command.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <filesystem>

#include "exported_records.h"
#include "format_table.h"
#include "record_fields.h"
#include "record_update.h"
#include "storage_messages.h"
#include "storage_write.h"

namespace {

// Far more than any export holds (the largest is under 1 MiB): a larger
// file is refused before it is read.
const size_t largest_edits = size_t{16} << 20;
const char* const too_large = "larger than 16 MiB, which no export of the talk data is";

// "1 record", "2 records"
std::string counted(size_t count, const char* one, const char* more)
{
    return std::to_string(count) + " " + (count == 1 ? one : more);
}

// "[Paws][3]: job, reply1; header; 12 bytes free"
std::string describe_change(const talk_input& input, const record_change& change)
{
    std::string line = record_name(input, change.town, change.person) + ": ";
    for (size_t i = 0; i < change.slots.size(); i++)
        line += (i > 0 ? ", " : "") + std::string(field_names[change.slots[i]]);
    if (change.header)
        line += change.slots.empty() ? "header" : ", header";
    return line + "; " + counted(change.bytes_free, "byte", "bytes") + " free\n";
}

// Reads a stream to its end, refusing more than largest_edits bytes: 0, or
// -1 after the error line.
int read_stream(FILE* stream, const std::string& subject, std::string* text)
{
    char buffer[65536];
    size_t got;
    while ((got = fread(buffer, 1, sizeof buffer, stream)) > 0) {
        if (text->size() + got > largest_edits) {
            report_error(subject, too_large);
            return -1;
        }
        text->append(buffer, got);
    }
    if (ferror(stream)) {
        report_error(subject, "cannot read: " + system_reason(errno));
        return -1;
    }
    return 0;
}

}  // namespace

std::string edits_subject(const std::string& path)
{
    return path == "-" ? "standard input" : path;
}

int read_text_file(const std::string& path, std::string* text)
{
    // An empty file reads as no text, which the import then refuses.
    text->clear();
    if (path == "-")
        return read_stream(stdin, edits_subject(path), text);
    // A pipe (/dev/stdin, a shell's <(...)) has no size to read it by.
    if (!special_file_kind(path).empty()) {
        FILE* stream = fopen(path.c_str(), "rb");
        if (stream == nullptr) {
            report_error(path, "cannot open: " + system_reason(errno));
            return -1;
        }
        int result = read_stream(stream, path, text);
        fclose(stream);
        return result;
    }
    struct stat info;
    if (stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
        static_cast<uint64_t>(info.st_size) > largest_edits) {
        report_error(path, too_large);
        return -1;
    }
    file_bytes file;
    if (read_input_file(path, "a file of edits", largest_edits, true, &file) < 0)
        return -1;
    text->assign(reinterpret_cast<const char*>(file.data), file.size);
    return 0;
}

int check_output_path(const std::string& output)
{
    if (output.empty())
        return 0;
    if (path_exists(output)) {
        report_error(output, "exists already: --output writes a new file or folder");
        return -1;
    }
    // The folder it goes into must be one, as the write would find.
    std::string folder = std::filesystem::path(output).parent_path().string();
    if (folder.empty())
        folder = ".";
    struct stat info;
    int error_number = 0;
    if (stat(folder.c_str(), &info) != 0)
        error_number = errno;
    else if (!S_ISDIR(info.st_mode))
        error_number = ENOTDIR;
    if (error_number == 0)
        return 0;
    report_error(output, describe_write_failure({file_step_open, error_number}, false));
    return -1;
}

int import_edits(talk_input* input, const std::string& edits_text, const import_options& options)
{
    // Edits go only into storage that lists in full: a record that fails its
    // checks, or storage taken for the wrong edition, is not written over.
    if (check_talk_records(*input) < 0) {
        report_error(input->path, "nothing written");
        return -1;
    }
    edits_file edits;
    import_plan plan;
    // The rows that read well are checked too, so that every problem is listed at once.
    read_edits(edits_text, *input, &edits, &plan.problems);
    apply_edits(input, edits, &plan);
    if (!plan.problems.empty()) {
        const std::string subject = edits_subject(options.edits_path);
        const std::vector<std::string>& listed = plan.problems.kept();
        for (const std::string& problem : listed)
            report_error(subject, problem);
        if (plan.problems.size() > listed.size())
            report_error(subject, "and " +
                                      counted(plan.problems.size() - listed.size(), "more problem",
                                              "more problems") +
                                      ", not listed");
        report_error(subject,
                     counted(plan.problems.size(), "problem", "problems") + ": nothing written");
        return -1;
    }
    std::string report;
    size_t fields = 0;
    for (const record_change& change : plan.changes) {
        report += describe_change(*input, change);
        fields += change.slots.size();
    }
    for (const std::string& note : edits.notes)
        report += note + "\n";
    std::string counts = counted(plan.changes.size(), "record", "records") + ", " +
                         counted(fields, "field", "fields");
    if (options.dry_run) {
        report += counts + " would change; nothing written (dry run)\n";
        fputs(report.c_str(), stdout);
        return 0;
    }
    if (plan.changes.empty() && options.output.empty()) {
        fputs((report + "nothing changes; nothing written\n").c_str(), stdout);
        return 0;
    }
    if (write_talk_storage(input, plan.changes, options.output, options.journal) < 0)
        return -1;
    fputs(report.c_str(), stdout);
    const std::string& target = options.output.empty() ? input->path : options.output;
    fprintf(stdout, "%s changed; written to %s\n", counts.c_str(), target.c_str());
    return 0;
}
