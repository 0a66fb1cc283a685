#include "support/PythonScript.h"

#include "app/FileUtil.h"
#include "support/Sandbox.h"

#include <cstdio>
#include <filesystem>
#include <sys/wait.h>

namespace tw::test {

namespace {
constexpr const char* kPython = "/usr/bin/python3";
}

std::optional<std::string> RunPython(const std::string& script) {
    if (!FileExists(kPython))
        return std::nullopt;
    const std::string folder = MakeTempFolder("tw-python");
    const std::string file = folder + "/script.py";
    if (!WriteFileAtomically(file, script))
        return std::nullopt;
    FILE* pipe = popen((std::string(kPython) + " '" + file + "' 2>/dev/null").c_str(), "r");
    if (!pipe)
        return std::nullopt;
    std::string out;
    char buffer[4096];
    for (std::size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        out.append(buffer, n);
    const int status = pclose(pipe);
    std::error_code ec;
    std::filesystem::remove_all(folder, ec);
    if (status == -1 || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return std::nullopt;
    return out;
}

bool HavePythonNumpy() {
    static const bool have = RunPython("import numpy\nprint('ok')\n").value_or("") == "ok\n";
    return have;
}

} // namespace tw::test
