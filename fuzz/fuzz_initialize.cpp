// Start-up shared by every fuzz target: the listings and messages the
// targets print are of no interest, so standard output goes to /dev/null.
// Where that cannot be opened, the output simply stays where it was.
#include <cstdio>

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    FILE* quiet = freopen("/dev/null", "w", stdout);
    static_cast<void>(quiet);
    return 0;
}
