// The console table of Google Benchmark, keeping each benchmark's real and
// CPU time so that a benchmark program can print its ratios against their
// goals afterwards. With --benchmark_repetitions a benchmark's figure is the
// median of its repetitions; without, its one run.
//
// Every ratio is printed twice, on real time and on CPU time: on a machine
// other programs keep busy, waiting for a core stretches real time by however
// long the others held it, and the two sides of a ratio are not stretched
// alike. CPU time counts this process's own work (kernel time included), so
// a goal met on it is met by the code; the line says which one met it.
#pragma once

#include <benchmark/benchmark.h>

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace korvane::bench {

// A time in milliseconds, measured on the wall clock and as process CPU time.
struct Times {
    double real = 0;
    double cpu = 0;
    bool ran() const { return real > 0 && cpu > 0; }
};

// The table shows, per benchmark, its median and the spread of its
// repetitions (cv), or its one run; colours only on a terminal.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    RatioReporter() : ConsoleReporter(::isatty(::fileno(stdout)) ? OO_ColorTabular : OO_Tabular) {}

    // One line before the table: the machine and how busy it is. (The
    // library's note on how it was itself compiled concerns its own timer
    // loop, which is nothing beside runs of milliseconds.)
    bool ReportContext(const Context& context) override {
        const auto& cpu = context.cpu_info;
        std::printf("%s: %d CPUs at %.0f MHz, load average", Context::executable_name, cpu.num_cpus,
                    cpu.cycles_per_second / 1e6);
        for (double load : cpu.load_avg) std::printf(" %.2f", load);
        std::printf("\n");
        name_field_width_ = context.name_field_width;
        return true;
    }

    void ReportRuns(const std::vector<Run>& runs) override {
        std::vector<Run> shown;
        for (const auto& r : runs) {
            if (r.error_occurred) continue;
            const std::string key = r.run_name.function_name + (r.run_name.args.empty() ? "" : "/" + r.run_name.args);
            const double to_ms = 1000.0 / benchmark::GetTimeUnitMultiplier(r.time_unit);
            const Times t{r.GetAdjustedRealTime() * to_ms, r.GetAdjustedCPUTime() * to_ms};
            if (r.run_type == Run::RT_Aggregate) {
                if (r.aggregate_name == "median") median_[key] = t;
                if (r.aggregate_name == "median" || r.aggregate_name == "cv") shown.push_back(r);
            } else {
                shown.push_back(r);
                // The quickest repetition, until a median arrives.
                auto [it, fresh] = fastest_.try_emplace(key, t);
                if (!fresh) {
                    it->second.real = std::min(it->second.real, t.real);
                    it->second.cpu = std::min(it->second.cpu, t.cpu);
                }
            }
        }
        for (const auto& r : runs)
            if (r.error_occurred) shown.push_back(r);
        if (!shown.empty()) ConsoleReporter::ReportRuns(shown);
    }

    // The times of `name` ("BM_Open/1000000"); zero when it did not run.
    Times get(const std::string& name) const {
        if (auto it = median_.find(name); it != median_.end()) return it->second;
        if (auto it = fastest_.find(name); it != fastest_.end()) return it->second;
        return {};
    }

private:
    std::map<std::string, Times> median_, fastest_;  // by function name and arguments
};

// benchmark::Initialize with what suits a busy machine unless the command
// line says otherwise: `repetitions` repetitions of at least `seconds` each,
// the benchmarks' repetitions interleaved in a random order (a burst of
// load then falls on both sides of a ratio alike), only their aggregates
// shown. `--benchmark_repetitions=1 --benchmark_min_time=20` gives one long
// run, for a profile.
inline void initialize(int& argc, char**& argv, double seconds, int repetitions) {
    static std::vector<std::string> texts;
    static std::vector<char*> args;
    texts.assign(argv, argv + argc);
    auto given = [](const char* flag) {
        for (const auto& t : texts)
            if (t.rfind(flag, 0) == 0) return true;
        return false;
    };
    std::vector<std::string> defaults;
    if (!given("--benchmark_min_time")) defaults.push_back("--benchmark_min_time=" + std::to_string(seconds));
    if (!given("--benchmark_repetitions")) defaults.push_back("--benchmark_repetitions=" + std::to_string(repetitions));
    if (!given("--benchmark_enable_random_interleaving"))
        defaults.push_back("--benchmark_enable_random_interleaving=true");
    if (!given("--benchmark_display_aggregates_only") && !given("--benchmark_report_aggregates_only"))
        defaults.push_back("--benchmark_display_aggregates_only=true");
    texts.insert(texts.begin() + (argc > 0 ? 1 : 0), defaults.begin(), defaults.end());
    args.clear();
    for (auto& t : texts) args.push_back(t.data());
    args.push_back(nullptr);
    argc = static_cast<int>(texts.size());
    argv = args.data();
    benchmark::Initialize(&argc, argv);
}

// The program's benchmarks, set up as initialize sets them up, run into
// `reporter`; then the blank line the ratios follow.
inline void run_benchmarks(RatioReporter& reporter, int argc, char** argv, double seconds, int repetitions) {
    initialize(argc, argv, seconds, repetitions);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    std::printf("\n");
}

// How a figure must compare with its goal.
enum class Goal { AtMost, AtLeast };

inline bool meets(double value, Goal goal, double limit) {
    return goal == Goal::AtMost ? value <= limit : value >= limit;
}

inline const char* goal_text(Goal goal) { return goal == Goal::AtMost ? "<=" : ">="; }

// The verdict on a figure taken on both clocks: CPU time decides, the line
// says when real time alone misses the goal.
inline const char* verdict(double real, double cpu, Goal goal, double limit) {
    const bool by_real = meets(real, goal, limit), by_cpu = meets(cpu, goal, limit);
    return by_real && by_cpu ? "met"
           : by_cpu          ? "met on CPU time; real time misses it"
           : by_real         ? "not met on CPU time"
                             : "not met";
}

// One line: "what: real 1.23, CPU 1.10 (goal <= 1.5: met)". A figure that
// did not run says so instead of printing a ratio of nothing.
inline bool print_ratio(const char* what, Times num, Times den, Goal goal, double limit) {
    if (!num.ran() || !den.ran()) {
        std::printf("%s: not measured (goal %s %.3g: not met)\n", what, goal_text(goal), limit);
        return false;
    }
    const double real = num.real / den.real, cpu = num.cpu / den.cpu;
    std::printf("%s: real %.2f, CPU %.2f (goal %s %.3g: %s)\n", what, real, cpu, goal_text(goal), limit,
                verdict(real, cpu, goal, limit));
    return meets(cpu, goal, limit);
}

// A time in milliseconds on both clocks, against a goal in milliseconds.
inline bool print_time(const char* what, Times t, Goal goal, double limit) {
    std::printf("%s: real %.2f ms, CPU %.2f ms (goal %s %.3g ms: %s)\n", what, t.real, t.cpu, goal_text(goal), limit,
                verdict(t.real, t.cpu, goal, limit));
    return meets(t.cpu, goal, limit);
}

// A figure that is no ratio of two times, against its goal.
inline bool print_figure(const char* what, double value, const char* unit, Goal goal, double limit) {
    const bool met = meets(value, goal, limit);
    std::printf("%s: %.1f %s (goal %s %.3g: %s)\n", what, value, unit, goal_text(goal), limit, met ? "met" : "not met");
    return met;
}

// A ratio with no goal of its own, shown beside one that has.
inline void print_ratio(const char* what, Times num, Times den) {
    if (!num.ran() || !den.ran()) {
        std::printf("%s: not measured\n", what);
        return;
    }
    std::printf("%s: real %.2f, CPU %.2f\n", what, num.real / den.real, num.cpu / den.cpu);
}

}  // namespace korvane::bench
