#pragma once
#include <span>
#include <string>

namespace tw::cli {

// Runs the command line (without the program name); the process exit code.
int RunCli(std::span<const std::string> args);

} // namespace tw::cli
