// The purchase generation form as a clerk waits for it, on an account with
// 10,000 more open orders of one vendor (three lines each): the filter that
// lists them (query, open, fill, layout) against the source query's own
// open of those heads and against the raw sqlite3_step read; and marking
// heads one after another with the lines shown, at 10 and at 1,000 heads
// already marked, which should cost the same per head.
#include <benchmark/benchmark.h>

#include "bench/bench_account.h"
#include "bench/form_session.h"
#include "bench/ratio_reporter.h"
#include "bench/raw_read.h"

#include <cstdio>
#include <memory>
#include <string>

#include "component/module_state.h"
#include "generation/purchase/stock_order_form.h"
#include "platform/ado/command.h"
#include "platform/ado/connection.h"
#include "platform/ado/recordset.h"
#include "schema/account_schema.h"
#include "schema/demo_generator.h"

namespace {

using namespace korvane;
namespace kb = korvane::bench;

constexpr long kHeads = 10'000;
constexpr long kFirst = 900'001;
constexpr const char* kVendor = "大宗供应商";

std::string orders_account() {
    return kb::built_once("bench-purchase-form-10k.db", "10,000 open orders of one vendor", [](const std::string& path) {
        schema::DemoOptions o;
        o.path = path;
        o.rows = 4'000;
        o.seed = 12;
        schema::generate_demo(o);
        auto db = ado::Connection::create();
        db->Open(schema::account_connection_string(path));
        db->BeginTrans();
        ado::PreparedCommand head(*db,
                                  "insert into zpurpoheader (POID, cPOID, dPODate, cBusType, cPTCode, cVenCode, "
                                  "cVenAbbName, cDepCode, cDepName, cMaker, cVerifier) values (?, ?, '2024-06-03', "
                                  "'普通采购', '01', 'V0001', '大宗供应商', '01', '采购部', '王芳', '李强')");
        ado::PreparedCommand line(*db,
                                  "insert into PO_Podetails (ID, POID, cInvCode, iQuantity, iArrQTY, iReceivedQTY, "
                                  "iUnitPrice, dArriveDate) select ?, ?, cInvCode, ?, 0, ?, 5.5, '2024-07-01' "
                                  "from Inventory order by cInvCode limit 1 offset ?");
        for (long h = 0; h < kHeads; ++h) {
            head.set(1, Variant(static_cast<long long>(kFirst + h)));
            head.set(2, Variant("DZ" + std::to_string(kFirst + h)));
            head.Execute();
            for (long l = 0; l < 3; ++l) {
                line.set(1, Variant(static_cast<long long>(5'000'000 + h * 3 + l)));
                line.set(2, Variant(static_cast<long long>(kFirst + h)));
                line.set(3, Variant(double(100 + l * 10)));
                line.set(4, Variant(double(l)));
                line.set(5, Variant(static_cast<long long>((h * 3 + l) % 50)));
                line.Execute();
            }
        }
        db->CommitTrans();
        db->Close();
    });
}

struct Fixture : kb::FormSession {
    std::string where = std::string(" zpurpoheader.cVenAbbName = '") + kVendor + "'";

    Fixture() : FormSession(orders_account()) { open_raw(orders_account(), heads()); }
    ado::RecordsetPtr heads() const { return services->services.source_query->GetOrderHeads(permission, where); }
    // A loaded form with the vendor typed into its filter.
    std::unique_ptr<generation::frmStockOrder> form() {
        services->layout = {};
        auto f = std::make_unique<generation::frmStockOrder>(services->services);
        f->Load();
        f->cmbVen().put_Text(kVendor);
        return f;
    }
};

Fixture& fixture() {
    static Fixture f;
    return f;
}

void BM_RawHeadRead(benchmark::State& state) {
    Fixture& f = fixture();
    for (auto _ : state) kb::read_every_value(f.raw_db, f.raw_sql);
    state.SetItemsProcessed(state.iterations() * kHeads);
}

// The source query's own open of the heads the filter lists.
void BM_OpenHeads(benchmark::State& state) {
    Fixture& f = fixture();
    for (auto _ : state)
        if (f.heads()->RecordCount() != kHeads) state.SkipWithError("the vendor's heads");
    state.SetItemsProcessed(state.iterations() * kHeads);
}

// The clerk's filter: the fragment, the query, the head list filled and laid out.
void BM_FilterHeads(benchmark::State& state) {
    auto form = fixture().form();
    for (auto _ : state) {
        form->cmdFilter().click();
        if (form->lstDdHead().Rows() != kHeads + 1) state.SkipWithError("the head list should hold every head");
    }
    state.SetItemsProcessed(state.iterations() * kHeads);
}

// Marking the next head with Check1 on, `state.range(0)` heads marked before.
void BM_MarkHead(benchmark::State& state) {
    auto form = fixture().form();
    form->Check1().click();
    form->cmdFilter().click();
    ui::Grid& head = form->lstDdHead();
    long next = 1;
    for (; next <= state.range(0); ++next) head.click(next, 0);
    for (auto _ : state) head.click(next++, 0);
    if (form->lstDdBody().Rows() != 3 * (next - 1) + 1) state.SkipWithError("three lines per marked head");
    state.SetItemsProcessed(state.iterations());
}

BENCHMARK(BM_RawHeadRead)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OpenHeads)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FilterHeads)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MarkHead)->Arg(10)->Arg(1000)->Iterations(100)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    fixture();
    kb::RatioReporter reporter;
    kb::run_benchmarks(reporter, argc, argv, 0.5, 5);
    kb::print_ratio("filter listing 10,000 order heads (fragment, query, open, fill, layout) against the source "
                    "query's open of them",
                    reporter.get("BM_FilterHeads"), reporter.get("BM_OpenHeads"), kb::Goal::AtMost, 1.5);
    kb::print_ratio("  the same against the raw sqlite3_step read", reporter.get("BM_FilterHeads"),
                    reporter.get("BM_RawHeadRead"));
    const kb::Times at10 = reporter.get("BM_MarkHead/10"), at1000 = reporter.get("BM_MarkHead/1000");
    std::printf("marking a head with its lines shown: real %.3f ms at 10 marked, %.3f ms at 1,000 (CPU %.3f, %.3f)\n",
                at10.real, at1000.real, at10.cpu, at1000.cpu);
    kb::print_ratio("  the mark at 1,000 against the mark at 10", at1000, at10, kb::Goal::AtMost, 1.5);
    fixture().services.reset();
    component::reset();
    return 0;
}
