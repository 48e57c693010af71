#include "captured_run.h"

#include <fstream>
#include <stdexcept>

#include "test_files.h"

#ifdef __linux__
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

extern char** environ;
#endif

namespace {

std::string read_whole(const std::string& path)
{
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    if (!in)
        throw std::runtime_error("cannot read " + path);
    std::streamoff size = in.tellg();
    in.seekg(0);
    std::string bytes(static_cast<size_t>(size), '\0');
    in.read(&bytes[0], size);
    if (!in && size > 0)
        throw std::runtime_error("cannot read " + path);
    return bytes;
}

}  // namespace

process_result run_captured(const std::string& program, const std::vector<std::string>& args,
                            const std::string& cwd)
{
    temp_dir folder;
    std::string path = folder.file("stdout");
    process_result result = run_process(program, args, cwd, path);
    result.out = read_whole(path);
    return result;
}

process_result run_spawned(const std::string& program, const std::vector<std::string>& args,
                           const std::string& cwd)
{
#ifdef __linux__
    temp_dir folder;
    std::string out_path = folder.file("stdout");
    std::string err_path = folder.file("stderr");
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& arg : args)
        argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, out_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0600);
    posix_spawn_file_actions_addopen(&actions, 2, err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0600);
    posix_spawn_file_actions_addchdir_np(&actions, cwd.c_str());
    pid_t child = 0;
    int started = posix_spawn(&child, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (started != 0)
        throw std::runtime_error("cannot start " + program);
    int status = 0;
    if (waitpid(child, &status, 0) < 0)
        throw std::runtime_error("waitpid failed");
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, read_whole(out_path),
            read_whole(err_path)};
#else
    return run_captured(program, args, cwd);
#endif
}
