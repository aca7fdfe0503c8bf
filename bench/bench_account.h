// The accounts the benchmarks run on: built once under KORVANE_BENCH_DIR
// (the build folder under `make bench`) and kept for the next run. A build
// writes a side file and renames it into place, so a run cut short leaves no
// half-built account behind.
#pragma once

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>

#include "schema/demo_generator.h"

namespace korvane::bench {

inline std::string bench_dir() {
    const char* dir = std::getenv("KORVANE_BENCH_DIR");
    return dir && *dir ? dir : ".";
}

// The path of account `name`, made by `build(path)` when it is not there yet.
inline std::string built_once(const std::string& name, const char* what,
                              const std::function<void(const std::string&)>& build) {
    const std::string path = bench_dir() + "/" + name;
    if (std::filesystem::exists(path)) return path;
    std::fprintf(stderr, "bench: creating %s (%s), once\n", path.c_str(), what);
    const auto t0 = std::chrono::steady_clock::now();
    const std::string part = path + ".part";
    for (const char* suffix : {"", "-wal", "-shm", "-journal"}) std::filesystem::remove(part + suffix);
    build(part);
    std::filesystem::rename(part, path);
    std::fprintf(stderr, "bench: %s made in %.1f s\n", path.c_str(),
                 std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count());
    return path;
}

// The demo account of `rows` current-stock rows (seed 7) the record-set
// benchmarks read.
inline std::string current_stock_account(long rows) {
    return built_once("bench-account-" + std::to_string(rows / 1000000) + "m.db",
                      (std::to_string(rows) + " current-stock rows").c_str(), [rows](const std::string& part) {
                          korvane::schema::DemoOptions o;
                          o.path = part;
                          o.rows = rows;
                          o.seed = 7;
                          korvane::schema::generate_demo(o);
                      });
}

// 'YYYY-MM-DD', the month past 12 running into the next year.
inline std::string iso_day(long year, long month, long day) {
    char b[16];
    std::snprintf(b, sizeof b, "%04ld-%02ld-%02ld", year + (month - 1) / 12, (month - 1) % 12 + 1, day);
    return b;
}

}  // namespace korvane::bench
