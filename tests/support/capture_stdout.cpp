#include "capture_stdout.h"

#include <cstdio>
#include <stdexcept>

#include "test_files.h"

#ifdef _WIN32
#include <io.h>
#define dup _dup
#define dup2 _dup2
#define fileno _fileno
#define close _close
#else
#include <unistd.h>
#endif

std::string capture_stdout(const std::function<void()>& body)
{
    // A file of our own rather than tmpfile(), whose names can collide
    // between processes on some runtimes.
    temp_dir folder;
    std::string path = folder.file("stdout");
    FILE* sink = fopen(path.c_str(), "wb");
    if (sink == nullptr)
        throw std::runtime_error("cannot make " + path);
    fflush(stdout);
    int saved = dup(fileno(stdout));
    dup2(fileno(sink), fileno(stdout));

    body();

    fflush(stdout);
    dup2(saved, fileno(stdout));
    close(saved);
    fclose(sink);
    return read_text_file(path);
}
