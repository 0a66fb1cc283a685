#pragma once
#include <benchmark/benchmark.h>

#include <map>
#include <string>
#include <vector>

namespace tw::bench {

// The console report, keeping each benchmark's time per iteration so that a program can print
// its ratios against the baseline it measured in the same run.
struct SecondsReporter : benchmark::ConsoleReporter {
    std::map<std::string, double> seconds;
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const auto& run : runs)
            if (run.run_type == Run::RT_Iteration && run.iterations > 0)
                seconds[run.benchmark_name()] =
                    run.real_accumulated_time / static_cast<double>(run.iterations);
        ConsoleReporter::ReportRuns(runs);
    }
    // The time of the first benchmark whose name begins with `prefix`; 0 when none ran.
    double of(const std::string& prefix) const {
        for (const auto& [name, s] : seconds)
            if (name.starts_with(prefix))
                return s;
        return 0;
    }
};

} // namespace tw::bench
