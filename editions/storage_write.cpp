#include "storage_write.h"

#include <filesystem>
#include <system_error>

#include "file_replacement.h"
#include "storage_messages.h"

bool path_exists(const std::string& path)
{
    std::error_code error;
    return std::filesystem::symlink_status(path, error).type() !=
           std::filesystem::file_type::not_found;
}

int replace_storage_file(const std::string& path, const uint8_t* bytes, size_t size, bool in_place)
{
    file_status status = {file_step_none, 0};
    if (replace_file(path.c_str(), bytes, size, &status) < 0) {
        report_error(path, describe_write_failure(status, in_place));
        return -1;
    }
    return 0;
}

int write_talk_storage(talk_input* input, const std::vector<record_change>& changes,
                       const std::string& output)
{
    return input->edition->write(input, changes, output);
}
