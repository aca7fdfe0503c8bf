// Record-set costs on a demo account of 1,000,000 current-stock rows, each
// against its limit in the same run: opening a CurrentStock selection
// against the raw sqlite3_step loop over the same columns, Sort and Filter
// at n and 2n rows, and the resident memory a field costs, measured in a
// fresh process (this program run again with --memory-probe) so that no
// heap the account's generator freed is reused.
#include <benchmark/benchmark.h>

#include "bench/bench_account.h"
#include "bench/ratio_reporter.h"
#include "bench/raw_read.h"
#include <sqlite3.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/ado/recordset.h"

namespace {

using korvane::Variant;
using namespace korvane::ado;
namespace kb = korvane::bench;

constexpr long kRows = 1'000'000;
constexpr const char* kColumns =
    "AutoID, cWhCode, cInvCode, cBatch, cFree1, cFree2, iQuantity, iNum, dVDate, dMdate";
constexpr const char* kMemoryProbe = "--memory-probe";

std::string account_path() { return kb::current_stock_account(kRows); }

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
    for (auto _ : state) kb::read_every_value(db, sql);
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

BENCHMARK(BM_RawSqliteRead)->Arg(kRows)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RecordsetOpen)->Arg(kRows)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RecordsetSortTwoKeys)->Arg(kRows / 2)->Arg(kRows)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RecordsetFilter)->Arg(kRows / 2)->Arg(kRows)->Unit(benchmark::kMillisecond);

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

// In the fresh process: the resident growth while the whole set is held,
// or the peak growth while it was read when that is larger, per field.
int memory_probe() {
    connection();
    const long rss_before = status_kb("VmRSS:"), peak_before = status_kb("VmHWM:");
    auto rs = open_set(kRows);
    const long grown = std::max(status_kb("VmRSS:") - rss_before, status_kb("VmHWM:") - peak_before);
    std::printf("%.3f\n", double(grown) * 1024.0 / (double(rs->RecordCount()) * double(rs->Fields().Count())));
    return 0;
}

// This program again, in a new process, with the account already built.
double bytes_per_field() {
    const std::string self = std::filesystem::read_symlink("/proc/self/exe").string();
    FILE* child = ::popen(("'" + self + "' " + kMemoryProbe).c_str(), "r");
    if (!child) return 0;
    double value = 0;
    if (std::fscanf(child, "%lf", &value) != 1) value = 0;
    return ::pclose(child) == 0 ? value : 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 1 && std::strcmp(argv[1], kMemoryProbe) == 0) return memory_probe();
    account_path();
    const double per_field = bytes_per_field();

    kb::initialize(argc, argv, 0.5, 7);
    kb::RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    const std::string n = std::to_string(kRows), half = std::to_string(kRows / 2);
    std::printf("\n");
    kb::print_ratio("open of 1,000,000 rows against the raw sqlite3_step read", reporter.get("BM_RecordsetOpen/" + n),
                    reporter.get("BM_RawSqliteRead/" + n), kb::Goal::AtMost, 1.3);
    kb::print_ratio("two-key Sort, 1,000,000 rows against 500,000", reporter.get("BM_RecordsetSortTwoKeys/" + n),
                    reporter.get("BM_RecordsetSortTwoKeys/" + half), kb::Goal::AtMost, 2.3);
    kb::print_ratio("criteria Filter, 1,000,000 rows against 500,000", reporter.get("BM_RecordsetFilter/" + n),
                    reporter.get("BM_RecordsetFilter/" + half), kb::Goal::AtMost, 2.3);
    const char* memory = "resident memory of the 1,000,000-row, 10-field set, in a fresh process";
    if (per_field > 0) kb::print_figure(memory, per_field, "bytes per field", kb::Goal::AtMost, 32);
    else std::printf("%s: not measured (the probe process failed; goal <= 32: not met)\n", memory);
    return 0;
}
