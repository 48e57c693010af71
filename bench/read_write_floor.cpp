// The floor under a listing tool's whole run: read the input files with
// read() into one static buffer, then write a listing's worth of bytes
// with one write(). Nothing is parsed or checked; run_bench.py times each
// tool against this program on the same input.
//
// Usage: read_write_floor BYTES FILE...
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

namespace {

// Room for the largest sample input (the 1.26 MB XDF image) and listing.
const size_t buffer_size = size_t{4} << 20;
unsigned char buffer[buffer_size];

// Reads the file whole into buffer from used on: the new used, or -1.
long read_file(const char* path, size_t used)
{
    int descriptor = open(path, O_RDONLY);
    if (descriptor < 0)
        return -1;
    for (;;) {
        ssize_t got = read(descriptor, buffer + used, buffer_size - used);
        if (got < 0) {
            close(descriptor);
            return -1;
        }
        used += static_cast<size_t>(got);
        if (got == 0 || used == buffer_size)
            break;
    }
    close(descriptor);
    return static_cast<long>(used);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        fputs("usage: read_write_floor BYTES FILE...\n", stderr);
        return 2;
    }
    size_t listing = strtoul(argv[1], nullptr, 10);
    if (listing > buffer_size) {
        fputs("read_write_floor: BYTES is larger than the buffer\n", stderr);
        return 2;
    }
    size_t used = 0;
    for (int i = 2; i < argc; i++) {
        long now = read_file(argv[i], used);
        if (now < 0) {
            perror(argv[i]);
            return 1;
        }
        used = static_cast<size_t>(now);
    }
    return write(STDOUT_FILENO, buffer, listing) == static_cast<ssize_t>(listing) ? 0 : 1;
}
