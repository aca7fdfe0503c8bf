// The save of one issue line, each against its limit in the same run: the
// checked write (check and write as one conditional statement) against the
// two statements of AllowWritCount and WritCountofRD_CS, on a receipt line
// and on a stock row of a 10,000-line account; the raw sqlite3 read of the
// same row beside them. Every write is given back at once, so the rows never
// run out and each iteration saves the same line.
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include "bench/bench_account.h"
#include "bench/ratio_reporter.h"
#include "bench/raw_read.h"
#include "host/inventory.h"
#include "platform/ado/connection.h"
#include "platform/ado/recordset.h"
#include "schema/account_schema.h"
#include "tests/support/issue_voucher.h"
#include "writeback/checked_write.h"
#include "writeback/track_set.h"

namespace {

using namespace korvane;
namespace kb = korvane::bench;

constexpr long kLines = 10'000;

std::string account() {
    return kb::built_once("bench-writeback-10k.db", "10,000 receipt lines and stock rows", [](const std::string& tmp) {
        schema::create_account(tmp);
        sqlite3* db = nullptr;
        sqlite3_open(tmp.c_str(), &db);
        sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
        sqlite3_stmt* line = nullptr;
        sqlite3_stmt* stock = nullptr;
        sqlite3_prepare_v2(db,
                           "insert into RdRecords (AutoID, ID, cInvCode, cBatch, iQuantity, iNum, iSOutQuantity, "
                           "iSOutNum) values (?, 1, 'A001', ?, 1000000, 100000, 0, 0)",
                           -1, &line, nullptr);
        sqlite3_prepare_v2(db,
                           "insert into CurrentStock (AutoID, cWhCode, cInvCode, cBatch, iQuantity, iNum) values "
                           "(?, '01', 'A001', ?, 1000000, 100000)",
                           -1, &stock, nullptr);
        for (long i = 1; i <= kLines; ++i) {
            const std::string batch = "B" + std::to_string(i);
            for (sqlite3_stmt* st : {line, stock}) {
                sqlite3_bind_int64(st, 1, i);
                sqlite3_bind_text(st, 2, batch.c_str(), -1, SQLITE_TRANSIENT);
                sqlite3_step(st);
                sqlite3_reset(st);
            }
        }
        sqlite3_finalize(line);
        sqlite3_finalize(stock);
        sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
        sqlite3_close(db);
    });
}

// The line issues 2 (1 piece) of A001's batch B5000 from warehouse 01.
struct Line : testing::IssueVoucher {
    ado::ConnectionPtr con = ado::Connection::create();
    std::string sql, err;
    ObjectPtr inventory;  // the host's inventory object, as a save passes it
    Line() : IssueVoucher("01", "A001", "B5000", 2, 1) {
        con->Open("Provider=SQLite;Data Source=" + account());
        con->Execute("insert or ignore into Inventory (cInvCode, cInvName) values ('A001', '基准存货')");
        inventory = host::load_inventory(con, "A001");
    }
    // the issue given back, so the next iteration finds the row as before
    void give_back(bool to_line) { writeback::WritCountofRD_CS(sql, "5000", head, body, con, to_line, !to_line); }
};

Line& line() {
    static Line l;
    return l;
}

// The host's two calls: the check, then (when it allows) the write.
void BM_PlainMembers(benchmark::State& state) {
    Line& l = line();
    const bool to_line = state.range(0) == 1;
    for (auto _ : state) {
        l.err.clear();
        writeback::AllowWritCount(l.sql, "5000", l.head, l.body, l.con, l.inventory, l.err, true);
        writeback::WritCountofRD_CS(l.sql, "5000", l.head, l.body, l.con, to_line, to_line);
        state.PauseTiming();
        l.give_back(to_line);
        state.ResumeTiming();
    }
}

void BM_CheckedWrite(benchmark::State& state) {
    Line& l = line();
    const bool to_line = state.range(0) == 1;
    for (auto _ : state) {
        if (writeback::CheckedWritLine(l.sql, "5000", l.head, l.body, l.con, l.inventory, to_line) != 1)
            state.SkipWithError("the row holds plenty: the write must apply");
        state.PauseTiming();
        l.give_back(to_line);
        state.ResumeTiming();
    }
}

// The limit beside them: the raw read of the receipt line the check reads.
void BM_RawSqliteRead(benchmark::State& state) {
    sqlite3* db = nullptr;
    sqlite3_open_v2(account().c_str(), &db, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX, nullptr);
    for (auto _ : state) kb::read_every_value(db, "SELECT * FROM RdRecords where AutoID = 5000");
    sqlite3_close(db);
}

BENCHMARK(BM_PlainMembers)->Arg(1)->Arg(0)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_CheckedWrite)->Arg(1)->Arg(0)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RawSqliteRead)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
    line();
    kb::RatioReporter reporter;
    kb::run_benchmarks(reporter, argc, argv, 0.5, 7);
    const kb::Times raw = reporter.get("BM_RawSqliteRead");
    for (const char* arg : {"1", "0"}) {
        const std::string what = std::string("checked write of one line (") +
                                 (arg[0] == '1' ? "receipt line" : "stock row") +
                                 "), against AllowWritCount + WritCountofRD_CS";
        const kb::Times checked = reporter.get(std::string("BM_CheckedWrite/") + arg);
        kb::print_ratio(what.c_str(), checked, reporter.get(std::string("BM_PlainMembers/") + arg), kb::Goal::AtMost,
                        1.2);
        kb::print_ratio("  the checked write against the raw sqlite3 read of the row", checked, raw);
    }
    return 0;
}
