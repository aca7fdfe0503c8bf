// The sales issue form as a clerk waits for it:
// - Ctrl+E over 1,000 dispatch lines (two lines of 15 on each of 500 batch
//   inventories, every line split over two batches, the second line of an
//   inventory starting where the first stopped) against a CurrentStock of
//   10,000 and of 100,000 rows: the per-line cost should not grow with the
//   table; beside it the raw sqlite3_step read of every line's candidates;
// - the check of one edit of this time's quantity in a body list of 10,000
//   lines, against reading the two cells of every row the check sums.
#include <benchmark/benchmark.h>

#include "bench/ratio_reporter.h"
#include "bench/raw_read.h"
#include "bench/stock_account.h"

#include <sqlite3.h>

#include <charconv>
#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "component/module_state.h"
#include "component/stock_selection.h"
#include "generation/core/body_rows.h"
#include "generation/core/grid_fill.h"
#include "generation/sales/cons_form.h"
#include "platform/ado/drivers/sqlite/tsql.h"
#include "session/options_loader.h"
#include "tests/support/services.h"

namespace {

using namespace korvane;
namespace kb = korvane::bench;

constexpr long kPassLines = 1'000;
constexpr long kEditLines = 10'000;
constexpr int kKeyE = 69, kCtrl = 2;

std::string line_inventory(long k) {
    char code[24];
    std::snprintf(code, sizeof code, "I%05ld", k);
    return code;
}

// The stock account with two dispatch lists on it: FH-PASS, whose lines the
// pass assigns, and FH-EDIT, the long list the edits are checked in.
std::string sales_account(long stock_rows) {
    constexpr long kPerItem = 10;
    return kb::stock_account(
        "bench-sales-" + std::to_string(stock_rows / 1000) + "k.db", stock_rows / kPerItem, kPerItem, [](sqlite3* db) {
            kb::check(sqlite3_exec(db,
                                   "insert into DispatchList (DLID, cDLCode, cVouchType, dDate, cBusType) values "
                                   "(1, 'FH-PASS', '05', '2024-06-01', '普通销售'), "
                                   "(2, 'FH-EDIT', '05', '2024-06-02', '普通销售');"
                                   "insert into AccountOption values ('001', '', 'QuanDecDgt', '2'), "
                                   "('001', '', 'NumDecDgt', '2'), ('001', '', 'BatchOut', '先进先出'), "
                                   "('001', '', 'OverDispOut', 'True');",
                                   nullptr, nullptr, nullptr),
                      db);
            sqlite3_stmt* line = nullptr;
            kb::check(sqlite3_prepare_v2(db,
                                         "insert into DispatchLists (DLsID, DLID, cWhCode, cInvCode, iQuantity, "
                                         "iInvExchRate, fOutQuantity) values (?, ?, '01', ?, 15, 2, 0)",
                                         -1, &line, nullptr),
                      db);
            long id = 0;
            auto add = [&](long head, const std::string& inv) {
                sqlite3_bind_int64(line, 1, ++id);
                sqlite3_bind_int64(line, 2, head);
                sqlite3_bind_text(line, 3, inv.c_str(), -1, SQLITE_TRANSIENT);
                kb::check(sqlite3_step(line), db);
                sqlite3_reset(line);
            };
            for (long k = 0; k < kPassLines; ++k) add(1, line_inventory(k / 2));
            for (long k = 0; k < kEditLines; ++k) add(2, line_inventory(k % 1000));
            sqlite3_finalize(line);
        });
}

// A session on an account and the issue form over it, as loadConsignment
// opens it; message boxes go to a headless host that answers OK.
struct Clerk {
    kb::StockSession session;
    ui::HeadlessUi ui;
    std::unique_ptr<testing::Services> services;
    std::unique_ptr<generation::frmCons> form;

    explicit Clerk(long stock_rows) : session(sales_account(stock_rows)) {
        session::load_session_options(session.permission);
        ui.auto_ok(true);
        services = std::make_unique<testing::Services>(session.permission, &ui);
        services->services.ref_select = component::make_stock_selection;
    }
    // A fresh form showing the lines of one dispatch list.
    generation::frmCons& open(const char* code) {
        form.reset();
        services->layout = {};
        ui.clear();
        ui.auto_ok(true);
        form = std::make_unique<generation::frmCons>(services->services);
        generation::FormContext c;
        c.login = session.login;
        form->set_context(c);
        form->Load();
        form->Check1().click();
        form->cmbDLID().put_Text(code);
        form->cmdFilter().click();
        form->lstFhdHead().click(1, 1);
        return *form;
    }
};

std::map<long, std::unique_ptr<Clerk>> clerks;

Clerk& clerk(long stock_rows) {
    auto& c = clerks[stock_rows];
    if (!c) c = std::make_unique<Clerk>(stock_rows);
    return *c;
}

// What a pass must leave: every line in two shown parts, no batch given
// more than its 10, all 15,000 issued; "" when so.
std::string pass_fault(generation::frmCons& f) {
    ui::Grid& b = f.lstFhdBody();
    const long batch = generation::ModuleCtl::CaptionColumn(b, "批号");
    const long inv = generation::ModuleCtl::GetColumnIndex("cinvcode", f.rsBody(), b.Cols());
    std::map<std::string, double> taken;
    long shown = 0;
    double total = 0;
    for (long r = 1; r < b.Rows(); ++r) {
        if (b.RowHidden(r)) continue;
        ++shown;
        const double q = generation::ModuleCtl::CellAmount(b, r, b.Cols() - 2);
        taken[std::string(b.TextMatrix(r, inv)) + "/" + std::string(b.TextMatrix(r, batch))] += q;
        total += q;
    }
    if (shown != 2 * kPassLines) return "every line should be split in two";
    for (const auto& [key, q] : taken)
        if (q > 10) return "batch " + key + " given " + std::to_string(q);
    if (total != 15.0 * kPassLines) return "the pass should issue every line whole";
    return {};
}

void BM_CtrlEPass(benchmark::State& state) {
    Clerk& c = clerk(state.range(0));
    std::string fault;
    for (auto _ : state) {
        state.PauseTiming();
        auto& f = c.open("FH-PASS");
        if (f.lstFhdBody().Rows() != kPassLines + 1) fault = "the pass's lines should be listed";
        state.ResumeTiming();
        f.key_down(kKeyE, kCtrl);
        state.PauseTiming();
        if (!c.ui.messages().empty()) fault = "the pass told: " + c.ui.messages().front().text;
        else if (fault.empty()) fault = pass_fault(f);
        state.ResumeTiming();
    }
    if (!fault.empty()) state.SkipWithError(fault.c_str());
    state.SetItemsProcessed(state.iterations() * kPassLines);
}

// The limit of a pass: each line's candidate rows read raw, as many reads as lines.
void BM_RawCandidates(benchmark::State& state) {
    Clerk& c = clerk(state.range(0));
    std::vector<std::string> sql;
    for (long k = 0; k < kPassLines; ++k)
        sql.push_back(ado::sqlite::translate_batch(c.session.batch_sql(line_inventory(k / 2))).front());
    sqlite3* db = nullptr;
    sqlite3_open_v2(sales_account(state.range(0)).c_str(), &db, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX, nullptr);
    for (auto _ : state)
        for (const auto& s : sql) kb::read_every_value(db, s);
    sqlite3_close(db);
    state.SetItemsProcessed(state.iterations() * kPassLines);
}

// The form with the 10,000 lines of FH-EDIT, the middle one current in
// this time's quantity, every row filled once.
generation::frmCons& edit_form() {
    Clerk& c = clerk(10'000);
    auto& f = c.open("FH-EDIT");
    ui::Grid& b = f.lstFhdBody();
    b.select(kEditLines / 2, b.Cols() - 2);
    b.edit_cell(b.Row(), b.Col(), "5");
    return f;
}

// One edit as the clerk types it: old text kept, the line checked through
// the over-issue rule's sum over the list, the text taken.
void BM_OverIssueEdit(benchmark::State& state) {
    auto& f = edit_form();
    ui::Grid& b = f.lstFhdBody();
    const long row = b.Row(), col = b.Col();
    bool flip = false, taken = true;
    for (auto _ : state) {
        flip = !flip;
        taken = b.edit_cell(row, col, flip ? "3" : "4") && taken;
    }
    if (!taken || b.TextMatrix(row, col) != (flip ? "3.00" : "4.00")) state.SkipWithError("the edit should be taken");
    else if (!clerk(10'000).ui.messages().empty()) state.SkipWithError("an edit within the line tells nothing");
    state.SetItemsProcessed(state.iterations());
}

// Its limit: the line id and this time's quantity of every row read once.
void BM_ReadSummedCells(benchmark::State& state) {
    auto& f = edit_form();
    ui::Grid& b = f.lstFhdBody();
    const long id_col = generation::ModuleCtl::GetColumnIndex("autoid", f.rsBody(), b.Cols());
    const long q_col = b.Cols() - 2;
    const std::string id(b.TextMatrix(b.Row(), id_col));
    for (auto _ : state) {
        double s = 0;
        for (long r = 1; r < b.Rows(); ++r) {
            if (b.TextMatrix(r, id_col) != id) continue;
            const std::string_view t = b.TextMatrix(r, q_col);
            double v = 0;
            std::from_chars(t.data(), t.data() + t.size(), v);
            s += v;
        }
        benchmark::DoNotOptimize(s);
    }
    state.SetItemsProcessed(state.iterations());
}

BENCHMARK(BM_CtrlEPass)->Arg(10'000)->Arg(100'000)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RawCandidates)->Arg(10'000)->Arg(100'000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OverIssueEdit)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadSummedCells)->Unit(benchmark::kMillisecond);

kb::Times per_line(kb::Times pass) { return {pass.real / kPassLines, pass.cpu / kPassLines}; }

}  // namespace

int main(int argc, char** argv) {
    component::set_ui_host(&clerk(10'000).ui);
    clerk(100'000);
    kb::RatioReporter reporter;
    kb::run_benchmarks(reporter, argc, argv, 0.5, 5);
    const kb::Times small = per_line(reporter.get("BM_CtrlEPass/10000")),
                    large = per_line(reporter.get("BM_CtrlEPass/100000"));
    kb::print_time("Ctrl+E over 1,000 lines, 10k-row CurrentStock, per line", small, kb::Goal::AtMost, 3);
    kb::print_time("Ctrl+E over 1,000 lines, 100k-row CurrentStock, per line", large, kb::Goal::AtMost, 3);
    kb::print_ratio("  per line, the 100k-row table against the 10k-row one (flat)", large, small, kb::Goal::AtMost, 1.3);
    kb::print_ratio("  per line against the raw read of its candidates, 10k rows", small,
                    per_line(reporter.get("BM_RawCandidates/10000")));
    kb::print_ratio("  per line against the raw read of its candidates, 100k rows", large,
                    per_line(reporter.get("BM_RawCandidates/100000")));
    const kb::Times edit = reporter.get("BM_OverIssueEdit");
    kb::print_time("edit of this time's quantity checked in a list of 10,000 lines", edit, kb::Goal::AtMost, 2);
    kb::print_ratio("  against reading the line id and quantity of every row", edit, reporter.get("BM_ReadSummedCells"));
    component::set_ui_host(nullptr);
    clerks.clear();
    component::reset();
    return 0;
}
