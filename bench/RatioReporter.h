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
    // The time per iteration of the benchmark of that full name ("BM_X/iterations:2"); 0 when
    // it did not run.
    double of(const std::string& name) const {
        auto it = seconds.find(name);
        return it == seconds.end() ? 0.0 : it->second;
    }
};

} // namespace tw::bench
