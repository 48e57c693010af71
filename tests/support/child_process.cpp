#include "child_process.h"

#ifndef _WIN32

#include <grp.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>

#include "test_files.h"

namespace fs = std::filesystem;

namespace {

const uid_t unprivileged_user = 65534;

}  // namespace

std::string run_in_child(bool unprivileged, long size_limit, const std::function<void()>& body)
{
    int ends[2];
    if (pipe(ends) != 0)
        return "no pipe\n";
    fflush(stdout);
    pid_t child = fork();
    if (child < 0)
        return "no child\n";
    if (child == 0) {
        close(ends[0]);
        dup2(ends[1], STDOUT_FILENO);
        close(ends[1]);
        if (unprivileged && geteuid() == 0 &&
            (setgroups(0, nullptr) != 0 || setgid(unprivileged_user) != 0 ||
             setuid(unprivileged_user) != 0))
            _exit(2);
        if (size_limit >= 0) {
            signal(SIGXFSZ, SIG_IGN);
            struct rlimit limit = {rlim_t(size_limit), rlim_t(size_limit)};
            if (setrlimit(RLIMIT_FSIZE, &limit) != 0)
                _exit(3);
        }
        body();
        fflush(stdout);
        _exit(0);
    }
    close(ends[1]);
    std::string out;
    char chunk[256];
    ssize_t got;
    while ((got = read(ends[0], chunk, sizeof chunk)) > 0)
        out.append(chunk, size_t(got));
    close(ends[0]);
    int status = 0;
    if (waitpid(child, &status, 0) != child)
        return out + "lost child\n";
    if (WIFEXITED(status))
        return out + "exit " + std::to_string(WEXITSTATUS(status)) + "\n";
    return out + "signal " + std::to_string(WTERMSIG(status)) + "\n";
}

std::string no_unprivileged_user()
{
    temp_dir dir;
    std::string probe = dir.file("probe");
    write_file(probe, std::string("probe"));
    fs::permissions(probe, fs::perms(0444));
    fs::permissions(dir.path(), fs::perms(0755));
    std::string out = run_in_child(true, -1, [&] {
        FILE* file = fopen(probe.c_str(), "r+b");
        puts(file == nullptr ? "refused" : "opened");
        if (file != nullptr)
            fclose(file);
    });
    return out == "refused\nexit 0\n" ? "" : out;
}

std::string mode_text(fs::perms mode)
{
    char text[16];
    snprintf(text, sizeof text, "%04o", static_cast<unsigned>(mode & fs::perms::mask));
    return text;
}

#endif
