#pragma once

// Makes path the process's working directory: 0, or -1 when it cannot be
// entered. The platform's own call; no message.
int change_directory(const char* path);
