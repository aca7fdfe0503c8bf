// Record-set costs on a large demo account, each against its limit in the
// same run: opening a CurrentStock selection against the raw sqlite3_step
// loop over the same columns, Sort and Filter at n and 2n rows, and the
// resident memory a field costs.
#include <benchmark/benchmark.h>

#include "bench/ratio_reporter.h"
#include "bench/raw_read.h"
#include <sqlite3.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <algorithm>
#include <map>
#include <string>

#include "platform/ado/recordset.h"
#include "schema/demo_generator.h"

namespace {

using korvane::Variant;
using namespace korvane::ado;

constexpr long kRows = 1'000'000;
constexpr const char* kColumns =
    "AutoID, cWhCode, cInvCode, cBatch, cFree1, cFree2, iQuantity, iNum, dVDate, dMdate";
constexpr int kColumnCount = 10;

std::string account_path() {
    const char* dir = std::getenv("KORVANE_BENCH_DIR");
    std::string path = std::string(dir ? dir : ".") + "/bench-account-1m.db";
    if (!std::filesystem::exists(path)) {
        std::fprintf(stderr, "bench: creating %s (%ld current-stock rows)\n", path.c_str(), kRows);
        korvane::schema::DemoOptions o;
        o.path = path;
        o.rows = kRows;
        o.seed = 7;
        o.progress = [](std::string_view line) { std::fprintf(stderr, "\r%.*s", int(line.size()), line.data()); };
        korvane::schema::generate_demo(o);
        std::fprintf(stderr, "\n");
    }
    return path;
}

std::string selection(long rows) {
    return std::string("select ") + kColumns + " from CurrentStock where AutoID <= " + std::to_string(rows);
}

ConnectionPtr connection() {
    static ConnectionPtr con = [] {
        auto c = Connection::create();
        c->Open("Provider=SQLite;Data Source=" + account_path());
        return c;
    }();
    return con;
}

RecordsetPtr open_set(long rows) {
    auto rs = Recordset::create();
    rs->Open(selection(rows), connection());
    return rs;
}

// The limit: every column of every row read through the C API, by its
// storage class, nothing kept.
void BM_RawSqliteRead(benchmark::State& state) {
    sqlite3* db = nullptr;
    sqlite3_open_v2(account_path().c_str(), &db, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX, nullptr);
    std::string sql = selection(state.range(0));
    for (auto _ : state) korvane::bench::read_every_value(db, sql);
    sqlite3_close(db);
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

void BM_RecordsetOpen(benchmark::State& state) {
    connection();
    for (auto _ : state) {
        auto rs = open_set(state.range(0));
        benchmark::DoNotOptimize(rs->RecordCount());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

void BM_RecordsetSortTwoKeys(benchmark::State& state) {
    auto rs = open_set(state.range(0));
    for (auto _ : state) {
        rs->put_Sort("cInvCode, dVDate DESC");
        state.PauseTiming();
        rs->put_Sort("");
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

void BM_RecordsetFilter(benchmark::State& state) {
    auto rs = open_set(state.range(0));
    for (auto _ : state) {
        rs->put_Filter(Variant("cWhCode = '01' AND iQuantity > 100 OR cBatch LIKE 'B2024*'"));
        benchmark::DoNotOptimize(rs->RecordCount());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

BENCHMARK(BM_RawSqliteRead)->Arg(kRows)->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(BM_RecordsetOpen)->Arg(kRows)->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(BM_RecordsetSortTwoKeys)->Arg(kRows / 2)->Arg(kRows)->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(BM_RecordsetFilter)->Arg(kRows / 2)->Arg(kRows)->Unit(benchmark::kMillisecond)->MinTime(2);

long status_kb(const char* field) {
    std::ifstream status("/proc/self/status");
    std::string key;
    long value = 0;
    while (status >> key) {
        if (key == field) {
            status >> value;
            return value;
        }
        status.ignore(1 << 20, '\n');
    }
    return 0;
}


}  // namespace

int main(int argc, char** argv) {
    // Memory first, on a fresh heap: peak resident growth per field.
    account_path();
    connection();
    // Resident growth while the set is held, and the peak growth while it
    // was read; the larger one counts.
    long rss_before = status_kb("VmRSS:"), peak_before = status_kb("VmHWM:");
    double per_field = 0;
    {
        auto rs = open_set(kRows);
        long grown = std::max(status_kb("VmRSS:") - rss_before, status_kb("VmHWM:") - peak_before);
        per_field = double(grown) * 1024.0 / (double(rs->RecordCount()) * rs->Fields().Count());
    }

    benchmark::Initialize(&argc, argv);
    korvane::bench::RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    auto get = [&reporter](const std::string& name) { return reporter.get(name); };
    std::string n = std::to_string(kRows), half = std::to_string(kRows / 2);
    double raw = get("BM_RawSqliteRead/" + n), open = get("BM_RecordsetOpen/" + n);
    std::printf("\nopen of %ld rows against the raw sqlite3_step read: %.2f (goal <= 1.5)\n", kRows,
                raw > 0 ? open / raw : 0.0);
    for (const char* name : {"BM_RecordsetSortTwoKeys", "BM_RecordsetFilter"}) {
        double a = get(std::string(name) + "/" + half), b = get(std::string(name) + "/" + n);
        std::printf("%s: doubling the rows costs %.2f times the time (goal <= 2.3)\n", name, a > 0 ? b / a : 0.0);
    }
    std::printf("memory: %.1f bytes per field of a %ld-row, %d-field set (goal <= 32)\n", per_field, kRows,
                kColumnCount);
    return 0;
}
