// The purchase-order line list as a user waits for it: a filter on an
// account holding one purchase order of 100,000 open lines runs the order
// line query, opens it, fills lstDdBody and lays it out, against the raw
// sqlite3_step read of the same rows. Then reading every cell of the filled
// list (what marking every line or confirming costs), against reading the
// opened set field by field.
#include <benchmark/benchmark.h>

#include "bench/bench_account.h"
#include "bench/form_session.h"
#include "bench/ratio_reporter.h"
#include "bench/raw_read.h"
#include <sqlite3.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "component/module_state.h"
#include "generation/core/grid_fill.h"
#include "generation/core/list_layout.h"
#include "platform/ado/command.h"
#include "platform/ado/connection.h"
#include "platform/ado/drivers/sqlite/tsql.h"
#include "platform/ado/recordset.h"
#include "platform/vb/convert.h"
#include "schema/account_schema.h"
#include "schema/demo_generator.h"
#include "session/login.h"
#include "session/options_loader.h"
#include "tests/support/services.h"

namespace {

using korvane::Variant;
using namespace korvane;
namespace kb = korvane::bench;

constexpr long kLines = 100'000;
constexpr long kOrder = 900'000;  // the big order's POID, past the demo's own

// A small demo account (inventories, units, options, free-item names) with
// one more purchase order of kLines lines, none of them executed in full.
std::string order_account() {
    const char* what = "one purchase order of 100,000 open lines";
    return kb::built_once("bench-source-grid-100k.db", what, [](const std::string& path) {
        schema::DemoOptions o;
        o.path = path;
        o.rows = 20'000;
        o.seed = 11;
        schema::generate_demo(o);

        auto db = ado::Connection::create();
        db->Open(schema::account_connection_string(path));
        struct Item {
            std::string code;
            double rate;
        };
        std::vector<Item> items;
        auto rs = ado::Recordset::create();
        rs->Open("select cInvCode, iGroupType, iChangRate from Inventory order by cInvCode", db);
        for (; !rs->Eof(); rs->MoveNext()) {
            const bool fixed = vb::CLng((*rs)(Variant("iGroupType"))) == 1;
            const Variant& rate = (*rs)(Variant("iChangRate"));
            items.push_back({vb::CStr((*rs)(Variant("cInvCode"))), fixed && !rate.is_null() ? vb::CDbl(rate) : 0.0});
        }
        rs->Close();
        db->BeginTrans();
        ado::PreparedCommand head(*db,
                                  "insert into zpurpoheader (POID, cPOID, dPODate, cBusType, cPTCode, cVenCode, "
                                  "cVenAbbName, cDepCode, cDepName, cMaker, cVerifier) "
                                  "values (?, 'BIG0000001', '2024-06-03', '普通采购', '01', 'V0001', '大宗供应商', "
                                  "'01', '采购部', '王芳', '李强')");
        head.set(1, Variant(kOrder));
        head.Execute();
        ado::PreparedCommand line(*db,
                                  "insert into PO_Podetails (ID, POID, cInvCode, iQuantity, iNum, iInvExchRate, "
                                  "iArrQTY, iArrNum, iReceivedQTY, iReceivedNum, iUnitPrice, iMoney, dArriveDate, "
                                  "cFree1, cFree3) values (?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)");
        const char* colours[] = {"红", "蓝", "", "白", ""};
        for (long i = 0; i < kLines; ++i) {
            const Item& it = items[static_cast<std::size_t>(i * 7919) % items.size()];
            const double quantity = double(20 + i % 480) + 0.5;
            const double arrived = double(i % 5), received = double(i % 3) * 2;  // always short of the quantity
            line.set(1, Variant(static_cast<long long>(2'000'000 + i)));
            line.set(2, Variant(kOrder));
            line.set(3, Variant(it.code));
            line.set(4, Variant(quantity));
            if (it.rate > 0) {
                line.set(5, Variant(quantity / it.rate));
                line.set(6, Variant(it.rate));
            }
            line.set(7, Variant(arrived));
            line.set(8, Variant(it.rate > 0 ? arrived / it.rate : 0.0));
            line.set(9, Variant(received));
            line.set(10, Variant(it.rate > 0 ? received / it.rate : 0.0));
            line.set(11, Variant(3.5 + double(i % 11)));
            line.set(12, Variant((3.5 + double(i % 11)) * quantity));
            if (i % 6) line.set(13, Variant(kb::iso_day(2024, 7 + i % 6, 1 + i % 28)));
            line.set(14, Variant(colours[i % 5]));
            line.set(15, Variant(i % 4 ? "" : "A级"));
            line.Execute();
        }
        db->CommitTrans();
        db->Close();
    });
}

struct Fixture : kb::FormSession {
    // The form's lists, kept across the benchmarks' repetitions as the form
    // keeps them across filters.
    ui::Grid filter_list{"lstDdBody"}, read_list{"lstDdBody"};
    Fixture() : FormSession(order_account()) { open_raw(order_account(), lines()); }
    // The query a filter runs: the order's lines, opened as the form opens them.
    ado::RecordsetPtr lines() const {
        return services->services.source_query->GetOrderLines(permission, Variant(kOrder), "");
    }
};

Fixture& fixture() {
    static Fixture f;
    return f;
}

// The limit of the filter: the same rows read through the C API by storage
// class, nothing kept.
void BM_RawSqliteRead(benchmark::State& state) {
    Fixture& f = fixture();
    for (auto _ : state) kb::read_every_value(f.raw_db, f.raw_sql);
    state.SetItemsProcessed(state.iterations() * kLines);
}

// What a filter costs: query, open, fill, layout. The form's list stays and
// is refilled, as a new filter refills it; the layout runs as on the form's
// first filter.
void BM_FilterPath(benchmark::State& state) {
    Fixture& f = fixture();
    ui::Grid& grid = f.filter_list;
    for (auto _ : state) {
        f.services->layout = {};
        auto rs = f.lines();
        generation::ModuleCtl::FillSourceGrid(f.services->services, rs, grid, true);
        generation::ModuleCtl::SetListLayout(f.services->services, grid, rs);
        if (grid.Rows() != kLines + 1) state.SkipWithError("the list should hold every line");
    }
    state.SetItemsProcessed(state.iterations() * kLines);
}

// The query and open alone, the part of the filter the database layer owns.
void BM_OpenOrderLines(benchmark::State& state) {
    Fixture& f = fixture();
    for (auto _ : state) {
        auto rs = f.lines();
        if (rs->RecordCount() != kLines) state.SkipWithError("the set should hold every line");
    }
    state.SetItemsProcessed(state.iterations() * kLines);
}

// The limit of the cell read: every field of every record of the opened set
// read through the cursor, nothing kept.
void BM_ReadFieldByField(benchmark::State& state) {
    auto rs = fixture().lines();
    const long fields = rs->Fields().Count();
    for (auto _ : state) {
        std::size_t bytes = 0;
        double sum = 0;
        for (rs->MoveFirst(); !rs->Eof(); rs->MoveNext()) {
            const Variant* v = rs->current_row();
            for (long f = 0; f < fields; ++f) {
                if (v[f].is_string()) bytes += v[f].str().size();
                else if (!v[f].is_null()) sum += v[f].number();
            }
        }
        benchmark::DoNotOptimize(bytes);
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(state.iterations() * kLines);
}

// Every cell of a freshly filled list read once: what marking every line or
// confirming costs beyond the fill. The form's list is refilled by each
// filter and keeps its rows' storage; a list filled for the first time
// allocates it as well.
void read_every_cell(benchmark::State& state, bool fresh_list) {
    Fixture& f = fixture();
    auto rs = f.lines();
    std::unique_ptr<ui::Grid> fresh;
    for (auto _ : state) {
        state.PauseTiming();
        if (fresh_list) fresh = std::make_unique<ui::Grid>("lstDdBody");
        ui::Grid& list = fresh_list ? *fresh : f.read_list;
        generation::ModuleCtl::FillSourceGrid(f.services->services, rs, list, true);
        state.ResumeTiming();
        std::size_t bytes = 0;
        const long rows = list.Rows(), cols = list.Cols();
        for (long r = 1; r < rows; ++r)
            for (long c = 0; c < cols; ++c) bytes += list.TextMatrix(r, c).size();
        benchmark::DoNotOptimize(bytes);
        if (fresh_list) {
            state.PauseTiming();
            fresh.reset();
            state.ResumeTiming();
        }
    }
    state.SetItemsProcessed(state.iterations() * kLines);
}

void BM_ReadEveryCell(benchmark::State& state) { read_every_cell(state, false); }
void BM_ReadEveryCellFreshList(benchmark::State& state) { read_every_cell(state, true); }

BENCHMARK(BM_RawSqliteRead)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FilterPath)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OpenOrderLines)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadFieldByField)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadEveryCell)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadEveryCellFreshList)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    fixture();
    kb::RatioReporter reporter;
    kb::run_benchmarks(reporter, argc, argv, 0.5, 7);
    kb::print_ratio("filter of 100,000 order lines (query, open, FillSourceGrid, SetListLayout) against the raw "
                    "sqlite3_step read",
                    reporter.get("BM_FilterPath"), reporter.get("BM_RawSqliteRead"), kb::Goal::AtMost, 1.5);
    kb::print_ratio("  of which the query and open", reporter.get("BM_OpenOrderLines"), reporter.get("BM_RawSqliteRead"));
    kb::print_ratio("reading every cell of the refilled list against reading the set field by field",
                    reporter.get("BM_ReadEveryCell"), reporter.get("BM_ReadFieldByField"), kb::Goal::AtMost, 3);
    kb::print_ratio("  the same in a list filled for the first time", reporter.get("BM_ReadEveryCellFreshList"),
                    reporter.get("BM_ReadFieldByField"));
    fixture().services.reset();
    component::reset();
    return 0;
}
