// A second process for the profile tests: writes an exchange file through the profile service
// the way the composer or the host does, so that tests can kill it or race it.
//   ProfileWriterChild rewrite FILE            rewrite section "Gen" for ever, generation + 1
//   ProfileWriterChild keys FILE PREFIX MS     write keys PREFIX0, PREFIX1 ... for MS ms, then
//                                              the count written to FILE.PREFIX.count
#include "GenerationLines.h"
#include "app/ProfileFile.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

using namespace tw;

namespace {

int Rewrite(const std::string& file) {
    long generation = std::atol(profile::GetValue(file, "Gen", "n").value_or("0").c_str());
    for (;;) {
        ++generation;
        profile::Transaction t(file);
        t.writeSection("Gen", test::GenerationLines(generation));
        if (!t.commit())
            return 1;
    }
}

int Keys(const std::string& file, const std::string& prefix, int ms) {
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    long n = 0;
    while (std::chrono::steady_clock::now() < end) {
        if (!profile::WriteValue(file, "Shared", prefix + std::to_string(n), std::to_string(n)))
            return 1;
        // The same key over and over too: a lost update shows as an old value at the end.
        if (!profile::WriteValue(file, "Shared", prefix + "Last", std::to_string(n)))
            return 1;
        ++n;
    }
    std::ofstream(file + "." + prefix + ".count") << n;
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    std::string mode = argc > 2 ? argv[1] : "";
    if (mode == "rewrite" && argc == 3)
        return Rewrite(argv[2]);
    if (mode == "keys" && argc == 5)
        return Keys(argv[2], argv[3], std::atoi(argv[4]));
    std::fprintf(stderr, "usage: ProfileWriterChild rewrite FILE | keys FILE PREFIX MS\n");
    return 2;
}
