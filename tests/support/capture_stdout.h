// Runs a function and returns everything it wrote to standard output.
#pragma once

#include <functional>
#include <string>

std::string capture_stdout(const std::function<void()>& body);
