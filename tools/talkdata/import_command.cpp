#include "import_command.h"

#include <cstdio>

#include "exported_records.h"
#include "format_table.h"
#include "record_fields.h"
#include "record_update.h"
#include "storage_messages.h"
#include "storage_write.h"

namespace {

const size_t largest_edits = 256u << 20;

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

}  // namespace

int read_text_file(const std::string& path, std::string* text)
{
    // An empty file reads as no text, which the import then refuses.
    file_bytes file;
    if (read_input_file(path, "a file of edits", largest_edits, true, &file) < 0)
        return -1;
    text->assign(reinterpret_cast<const char*>(file.data), file.size);
    return 0;
}

int import_edits(talk_input* input, const std::string& edits_text, const import_options& options)
{
    // Edits go only into storage that lists in full: a record that fails its
    // checks, or storage taken for the wrong edition, is not written over.
    if (check_talk_records(*input) < 0) {
        report_error(input->path, "nothing written");
        return -1;
    }
    if (!options.output.empty() && path_exists(options.output)) {
        report_error(options.output, "exists already: --output writes a new file or folder");
        return -1;
    }
    edits_file edits;
    import_plan plan;
    if (edits_text.find_first_not_of(" \t\r\n") == std::string::npos)
        plan.problems.add("the file holds no edits, not even a header row");
    // The rows that read well are checked too, so that every problem is listed at once.
    read_edits(edits_text, *input, &edits, &plan.problems);
    apply_edits(input, edits, &plan);
    if (!plan.problems.empty()) {
        const std::string& subject = options.edits_path;
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
    std::string counts = counted(plan.changes.size(), "record", "records") + ", " +
                         counted(fields, "field", "fields");
    if (options.dry_run) {
        report += counts + " would change; nothing written (dry run)\n";
        fputs(report.c_str(), stdout);
        return 0;
    }
    if (plan.changes.empty() && options.output.empty()) {
        fputs("nothing changes; nothing written\n", stdout);
        return 0;
    }
    if (write_talk_storage(input, plan.changes, options.output, options.journal) < 0)
        return -1;
    fputs(report.c_str(), stdout);
    const std::string& target = options.output.empty() ? input->path : options.output;
    fprintf(stdout, "%s changed; written to %s\n", counts.c_str(), target.c_str());
    return 0;
}
