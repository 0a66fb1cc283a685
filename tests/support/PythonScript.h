#pragma once
// Runs a short script under the system's Python with numpy, to make and read files with the
// tools users have; tests skip when it is absent.
#include <optional>
#include <string>

namespace tw::test {

// Whether /usr/bin/python3 runs and imports numpy.
bool HavePythonNumpy();
// The script's standard output, or nullopt when it failed.
std::optional<std::string> RunPython(const std::string& script);

} // namespace tw::test
