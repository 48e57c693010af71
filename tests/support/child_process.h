// Runs test code in a child process, as an ordinary user or under a file
// size limit, so that refusals a privileged or unlimited process never
// meets can be tested. POSIX only.
#pragma once

#ifndef _WIN32

#include <filesystem>
#include <functional>
#include <string>

// Runs body in a child process whose standard output goes to a pipe, and
// returns everything it printed followed by how it ended ("exit N\n" or
// "signal N\n"). When unprivileged, a child of root first becomes an
// ordinary user; with a size limit (not negative) it may write files of at
// most that many bytes, and a write past it fails with EFBIG instead of
// raising SIGXFSZ.
std::string run_in_child(bool unprivileged, long size_limit, const std::function<void()>& body);

// Why permission refusals cannot be tested here, or "" when they can: an
// unprivileged child must be made and must be refused a read-only file.
std::string no_unprivileged_user();

// Permission bits as four octal digits, for example "0644".
std::string mode_text(std::filesystem::perms mode);

#endif
