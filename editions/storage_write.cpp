#include "storage_write.h"

#include <cerrno>
#include <cstdlib>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif
#include <filesystem>
#include <system_error>

#include "file_replacement.h"
#include "storage_messages.h"

const char folder_journal_name[] = "talkdata.journal";

namespace {

const char file_journal_suffix[] = ".journal";

// Where the journal of an import lies: inside a folder written in place;
// beside a file (the one its links name) or a new path.
int import_journal_path(const std::string& input_path, const std::string& output,
                        std::string* journal_path)
{
    if (!output.empty()) {
        *journal_path = output + file_journal_suffix;
        return 0;
    }
    if (is_folder(input_path)) {
        *journal_path = input_path + "/" + folder_journal_name;
        return 0;
    }
    file_status status = {file_step_none, 0};
    char* target = resolve_target(input_path.c_str(), &status);
    if (target == nullptr) {
        report_error(input_path, describe_file_failure(status));
        return -1;
    }
    *journal_path = std::string(target) + file_journal_suffix;
    free(target);
    return 0;
}

void report_outcome(const std::string& target, journal_outcome outcome)
{
    if (outcome == journal_undone)
        report_error(target,
                     "an earlier import was interrupted before it replaced anything; "
                     "its new files are removed, the old ones kept");
    else if (outcome == journal_completed)
        report_error(target,
                     "an earlier import was interrupted while it put its new files in "
                     "place; it is completed now");
}

// busy_text: what a journal that another process holds means to the caller.
void report_journal_failure(const std::string& target, const std::string& journal_path,
                            const file_status& status, const char* busy_text)
{
    if (status.failed == file_step_busy)
        report_error(target, busy_text);
    else if (status.failed == file_step_journal)
        report_error(journal_path, "not the journal of an import; move it away to write here");
    else
        report_error(journal_path, "cannot use the journal of an interrupted import: " +
                                       system_reason(status.error_number));
}

// True when a new file could be made at path: its folder is one the
// process may write (as the journal's open would find).
bool folder_takes_new_files(const std::string& path)
{
    std::string folder = std::filesystem::path(path).parent_path().string();
#ifdef _WIN32
    return _access(folder.empty() ? "." : folder.c_str(), 2) == 0;
#else
    return access(folder.empty() ? "." : folder.c_str(), W_OK | X_OK) == 0;
#endif
}

const char another_import_text[] = "another import is writing it now; try again when that one ends";

void report_claim_failure(const std::string& target, const std::string& journal_path, bool in_place,
                          const file_status& status)
{
    // A folder that is not there, or is no folder, is the target's problem;
    // anything else in the way of the journal is the journal's.
    bool no_folder = status.error_number == ENOENT || status.error_number == ENOTDIR;
    if (status.failed == file_step_open && no_folder)
        report_error(target, describe_write_failure(status, in_place));
    else if (status.failed == file_step_open || status.failed == file_step_write)
        report_error(target, "cannot make the journal of the import, " + journal_path + ": " +
                                 system_reason(status.error_number));
    else
        report_journal_failure(target, journal_path, status, another_import_text);
}

}  // namespace

int check_import_target(const std::string& input_path, const std::string& output)
{
    std::string journal_path;
    if (import_journal_path(input_path, output, &journal_path) < 0)
        return -1;
    file_status status = {file_step_none, 0};
    if (!path_exists(journal_path) && !folder_takes_new_files(journal_path))
        status = {file_step_open, errno};
    else
        probe_replacement_journal(journal_path.c_str(), &status);
    if (status.failed != file_step_none) {
        report_claim_failure(output.empty() ? input_path : output, journal_path, output.empty(),
                             status);
        return -1;
    }
    return 0;
}

replacement_journal* claim_import_target(const std::string& input_path, const std::string& output)
{
    std::string journal_path;
    if (import_journal_path(input_path, output, &journal_path) < 0)
        return nullptr;
    const std::string& target = output.empty() ? input_path : output;
    journal_outcome earlier = journal_none;
    file_status status = {file_step_none, 0};
    replacement_journal* journal =
        open_replacement_journal(journal_path.c_str(), &earlier, &status);
    if (journal == nullptr) {
        report_claim_failure(target, journal_path, output.empty(), status);
        return nullptr;
    }
    report_outcome(target, earlier);
    return journal;
}

int finish_interrupted_import(const std::string& folder)
{
    // The journal of an import in place lies inside the folder; that of an
    // import that made the folder with --output, beside it.
    std::string named = folder;
    while (named.size() > 1 && (named.back() == '/' || named.back() == '\\'))
        named.pop_back();
    for (const std::string& journal_path :
         {folder + "/" + folder_journal_name, named + file_journal_suffix}) {
        journal_outcome outcome = journal_none;
        file_status status = {file_step_none, 0};
        if (recover_replacement_journal(journal_path.c_str(), &outcome, &status) < 0) {
            report_journal_failure(folder, journal_path, status,
                                   "an import is writing it now; try again when it ends");
            return -1;
        }
        report_outcome(folder, outcome);
    }
    return 0;
}

bool path_exists(const std::string& path)
{
    std::error_code error;
    return std::filesystem::symlink_status(path, error).type() !=
           std::filesystem::file_type::not_found;
}

int stage_storage_file(replacement_journal* journal, const std::string& path, const uint8_t* bytes,
                       size_t size, bool in_place)
{
    file_status status = {file_step_none, 0};
    if (journal_file_replacement(journal, path.c_str(), bytes, size, !in_place, &status) < 0) {
        if (!in_place && status.error_number == EEXIST)
            report_error(path, "exists already: --output writes a new file or folder");
        else if (status.failed == file_step_open && status.error_number == EXDEV)
            report_error(path,
                         "a link to a file in another folder, which an import does not "
                         "replace along with the others");
        else
            report_error(path, describe_write_failure(status, in_place));
        return -1;
    }
    return 0;
}

int write_talk_storage(talk_input* input, const std::vector<record_change>& changes,
                       const std::string& output, replacement_journal* journal)
{
    if (journal == nullptr) {
        report_error(output.empty() ? input->path : output, "cannot write without a journal");
        return -1;
    }
    if (input->edition->write(input, changes, output, journal) < 0)
        return -1;
    file_status status = {file_step_none, 0};
    if (commit_replacement_journal(journal, &status) < 0) {
        const char* failed = journal_failed_target(journal);
        std::string target = failed != nullptr ? failed : output.empty() ? input->path : output;
        if (status.failed == file_step_write && status.error_number == EEXIST)
            report_error(target, "exists already: --output writes a new file or folder");
        else
            report_error(target,
                         "cannot put the new file in place: " + system_reason(status.error_number));
        return -1;
    }
    return 0;
}
