#include "run_process.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <stdexcept>

#include "test_files.h"

process_result run_process(const std::string& program, const std::vector<std::string>& args,
                           const std::string& cwd, const std::string& stdout_file)
{
    temp_dir streams;
    std::string out_path = stdout_file.empty() ? streams.file("out") : stdout_file;
    std::string err_path = streams.file("err");

    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& arg : args)
        argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);

    fflush(nullptr);
    pid_t child = fork();
    if (child < 0)
        throw std::runtime_error("fork failed");
    if (child == 0) {
        int in = open("/dev/null", O_RDONLY);
        int out = open(out_path.c_str(), O_WRONLY | O_CREAT | (stdout_file.empty() ? O_TRUNC : 0), 0600);
        int err = open(err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (in < 0 || out < 0 || err < 0 || dup2(in, 0) < 0 || dup2(out, 1) < 0 ||
            dup2(err, 2) < 0 || chdir(cwd.c_str()) != 0)
            _exit(127);
        execv(program.c_str(), argv.data());
        _exit(127);
    }
    int status = 0;
    if (waitpid(child, &status, 0) < 0)
        throw std::runtime_error("waitpid failed");

    process_result result;
    result.exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result.out = stdout_file.empty() ? read_text_file(out_path) : std::string();
    result.err = read_text_file(err_path);
    return result;
}
