// The console table of Google Benchmark, keeping each run's time so that a
// benchmark program can print its ratios against the limit afterwards.
#pragma once

#include <benchmark/benchmark.h>

#include <map>
#include <string>
#include <vector>

namespace korvane::bench {

class RatioReporter : public benchmark::ConsoleReporter {
public:
    std::map<std::string, double> ms;  // by benchmark name, adjusted real time
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const auto& r : runs)
            if (r.run_type == Run::RT_Iteration) ms[r.benchmark_name()] = r.GetAdjustedRealTime();
        ConsoleReporter::ReportRuns(runs);
    }
    // The time of `name`, its arguments or min_time suffix ignored; 0 when it did not run.
    double get(const std::string& name) const {
        for (const auto& [key, t] : ms)
            if (key == name || key.rfind(name + "/", 0) == 0) return t;
        return 0.0;
    }
};

}  // namespace korvane::bench
