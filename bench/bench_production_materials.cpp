// Checking a product on the production form's materials tab, as the clerk
// waits for it: a product whose bill of materials has 2,000 lines, its
// materials read through the production-order component, listed checked in
// lstChild and laid out. Against the component's own query of those rows.
#include <benchmark/benchmark.h>

#include "bench/bench_account.h"
#include "bench/form_session.h"
#include "bench/ratio_reporter.h"
#include "bench/raw_read.h"

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "component/module_state.h"
#include "generation/production/produce_order_form.h"
#include "host/production_order.h"
#include "platform/ado/command.h"
#include "platform/ado/connection.h"
#include "platform/ado/recordset.h"
#include "platform/vb/convert.h"
#include "schema/account_schema.h"
#include "schema/demo_generator.h"

namespace {

using korvane::Variant;
using namespace korvane;
namespace kb = korvane::bench;

constexpr long kMaterials = 2'000;
constexpr long kOrder = 900'000, kProduct = 9'000'000;  // past the demo's own ids
constexpr const char* kOrderCode = "BOM0000001";

// A small demo account with one more production order whose one product
// has kMaterials materials.
std::string bom_account() {
    return kb::built_once("bench-production-bom-2000.db", "one product of 2,000 materials",
                          [](const std::string& path) {
        schema::DemoOptions o;
        o.path = path;
        o.rows = 4'000;
        o.seed = 13;
        schema::generate_demo(o);
        auto db = ado::Connection::create();
        db->Open(schema::account_connection_string(path));
        std::vector<std::string> items;
        auto rs = ado::Recordset::create();
        rs->Open("select cInvCode from Inventory order by cInvCode", db);
        for (; !rs->Eof(); rs->MoveNext()) items.push_back(vb::CStr((*rs)(Variant("cInvCode"))));
        rs->Close();
        db->BeginTrans();
        db->Execute("insert into pp_pohead (id, bPlan, iVouchType, cCode, dDate, iProperty, cDepCode, cPersonCode) "
                    "values (" + std::to_string(kOrder) + ", 0, 0, '" + kOrderCode + "', '2024-06-03', 1, '07', 'P001')");
        db->Execute("insert into pp_pomain (mainid, id, cInvCode, fQuantity, fInQuantity) values (" +
                    std::to_string(kProduct) + ", " + std::to_string(kOrder) + ", '" + items.front() + "', 120, 0)");
        ado::PreparedCommand line(*db, "insert into pp_pochild (subid, mainid, cInvCode, fQuantity, fOutQuantity, "
                                       "cFree1) values (?,?,?,?,?,?)");
        for (long i = 0; i < kMaterials; ++i) {
            line.set(1, Variant(static_cast<long long>(90'000'000 + i)));
            line.set(2, Variant(kProduct));
            line.set(3, Variant(items[static_cast<std::size_t>(i * 7919) % items.size()]));
            line.set(4, Variant(double(1 + i % 40) * 2.5));
            line.set(5, Variant(double(i % 3)));
            line.set(6, Variant(i % 4 ? "" : "红"));
            line.Execute();
        }
        db->CommitTrans();
        db->Close();
    });
}

struct Owner : generation::FormOwner {
    void putref_oCollection(std::shared_ptr<Collection>) override {}
    std::int32_t eVouchType() const override { return 10; }
    void put_sErrMsg(std::string) override {}
};

struct Fixture : kb::FormSession {
    std::unique_ptr<host::ProductionOrderComponent> component = host::account_production_order_component();
    ado::ConnectionPtr con;
    Owner owner;
    std::unique_ptr<generation::frmProduceOrder> form;
    Fixture() : FormSession(bom_account()) {
        con = ado::Connection::create();
        con->Open(schema::account_connection_string(bom_account()));
        // The form as the clerk leaves it before the measured check: the
        // order filtered and checked on the materials tab.
        form = std::make_unique<generation::frmProduceOrder>(services->services);
        generation::FormContext c;
        c.connection = con;
        c.owner = &owner;
        form->set_context(std::move(c));
        form->Load();
        form->SSTab1().click_tab(1);
        form->cmbPOID().put_Text(kOrderCode);
        form->cmdFilter().click();
        form->lstParent().check_item(1, true);
        open_raw(bom_account(), materials());
    }
    ado::RecordsetPtr materials() {
        std::string message;
        return component->Materials(con, 120, std::to_string(kProduct), form->inventory_scope(), message);
    }
};

Fixture& fixture() {
    static Fixture f;
    return f;
}

// The limit: the component's query of the product's materials, opened. The
// set is released outside the timing, as the form releases the previous
// one when the product is unchecked.
void BM_ComponentMaterials(benchmark::State& state) {
    Fixture& f = fixture();
    for (auto _ : state) {
        auto rs = f.materials();
        if (rs->RecordCount() != kMaterials) state.SkipWithError("the set should hold every material");
        state.PauseTiming();
        rs.reset();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * kMaterials);
}

// The clerk checks the product: the form reads its materials through the
// component, fills lstChild checked and lays it out. Unchecking it between
// repetitions (which empties the list) is not measured.
void BM_CheckProduct(benchmark::State& state) {
    Fixture& f = fixture();
    ui::ListView& products = f.form->lstSub();
    for (auto _ : state) {
        state.PauseTiming();
        products.check_item(1, false);
        state.ResumeTiming();
        products.check_item(1, true);
        if (f.form->lstChild().item_count() != kMaterials) state.SkipWithError("lstChild should list every material");
    }
    state.SetItemsProcessed(state.iterations() * kMaterials);
}

// For scale: the same rows read through the C API, nothing kept.
void BM_RawSqliteRead(benchmark::State& state) {
    Fixture& f = fixture();
    for (auto _ : state) kb::read_every_value(f.raw_db, f.raw_sql);
    state.SetItemsProcessed(state.iterations() * kMaterials);
}

BENCHMARK(BM_ComponentMaterials)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CheckProduct)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RawSqliteRead)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    fixture();
    kb::RatioReporter reporter;
    kb::run_benchmarks(reporter, argc, argv, 0.5, 7);
    kb::print_ratio("checking a product of 2,000 materials (component query, FillListView, SetListLayout) against "
                    "the component's query alone",
                    reporter.get("BM_CheckProduct"), reporter.get("BM_ComponentMaterials"), kb::Goal::AtMost, 1.5);
    kb::print_ratio("  the component's query against the raw sqlite3_step read", reporter.get("BM_ComponentMaterials"),
                    reporter.get("BM_RawSqliteRead"));
    fixture().form.reset();
    fixture().services.reset();
    component::reset();
    return 0;
}
