#include "capture_stdout.h"

#include <cstdio>
#include <stdexcept>

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
    fflush(stdout);
    FILE* sink = tmpfile();
    if (sink == nullptr)
        throw std::runtime_error("tmpfile failed");
    int saved = dup(fileno(stdout));
    dup2(fileno(sink), fileno(stdout));

    body();

    fflush(stdout);
    dup2(saved, fileno(stdout));
    close(saved);

    std::string captured;
    rewind(sink);
    char chunk[4096];
    size_t got;
    while ((got = fread(chunk, 1, sizeof chunk, sink)) > 0)
        captured.append(chunk, got);
    fclose(sink);
    return captured;
}
