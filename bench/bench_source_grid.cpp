// Filling the purchase-order line list: FillSourceGrid of 100,000 order
// lines into lstDdBody, against the limit in the same run, reading the same
// record set field by field. Also shown: the fill plus reading every cell,
// what a user who scrolls through every line costs.
#include <benchmark/benchmark.h>

#include "bench/ratio_reporter.h"

#include <cstdio>
#include <map>
#include <string>

#include "component/module_state.h"
#include "generation/core/grid_fill.h"
#include "platform/ado/recordset.h"
#include "session/options.h"
#include "session/permission_service.h"
#include "tests/support/services.h"

namespace {

using korvane::Variant;
using namespace korvane;

constexpr long kLines = 100'000;

// An order line as the order-line query returns it: ids, warehouse,
// inventory, units, dates, free and user-defined items and the amounts.
ado::RecordsetPtr order_lines() {
    static ado::RecordsetPtr rs = [] {
        auto r = ado::Recordset::create();
        auto& f = r->Fields();
        for (const char* text : {"cWhCode", "cWhName", "cInvCode", "cInvAddCode", "cInvName", "cInvStd", "cinva_unit",
                                 "cinvm_unit", "cBatch", "cFree1", "cFree2", "cDefine22"})
            f.Append(text, ado::adVarWChar, 60);
        f.Append("id", ado::adInteger);
        f.Append("poid", ado::adInteger);
        f.Append("darrivedate", ado::adDBTimeStamp);
        f.Append("igrouptype", ado::adInteger);
        for (const char* amount : {"iinvexchrate", "iQuantity", "iNum", "iArrQTY", "iArrNum", "iReceivedQTY",
                                   "iReceivedNum", "inatunitprice"})
            f.Append(amount, ado::adDecimal, 0, ado::adFldIsNullable, 20, 6);
        r->Open();
        const char* names[] = {"六角螺栓", "平垫圈", "弹簧垫圈", "内六角圆柱头螺钉", "不锈钢螺母"};
        for (long i = 0; i < kLines; ++i) {
            r->AddNew();
            Variant* v = const_cast<Variant*>(r->current_row());
            const bool fixed = i % 3 == 0;
            v[0] = Variant(i % 2 ? "01" : "02");
            v[1] = Variant(i % 2 ? "原料库" : "成品库");
            v[2] = Variant("A" + std::to_string(100000 + i % 5000));
            v[3] = i % 4 ? Variant::null() : Variant("ADD" + std::to_string(i % 5000));
            v[4] = Variant(std::string(names[i % 5]) + std::to_string(i % 5000));
            v[5] = Variant("M" + std::to_string(8 + i % 8) + "x" + std::to_string(20 + i % 60));
            v[6] = fixed ? Variant("箱") : Variant::null();
            v[7] = Variant("个");
            v[8] = i % 5 ? Variant::null() : Variant("B2024" + std::to_string(i % 97));
            v[9] = i % 2 ? Variant("红") : Variant::null();
            v[10] = Variant::null();
            v[11] = i % 7 ? Variant::null() : Variant("加急");
            v[12] = Variant(static_cast<int>(i + 1));
            v[13] = Variant(static_cast<int>(i / 8 + 1));
            v[14] = i % 6 ? Variant::date(45352.0 + double(i % 90)) : Variant::null();
            v[15] = Variant(fixed ? 1 : 0);
            v[16] = Variant::decimal(fixed ? 12.0 : 0.0);
            v[17] = Variant::decimal(double(10 + i % 500) + 0.25);
            v[18] = Variant::decimal(fixed ? double(1 + i % 40) : 0.0);
            v[19] = Variant::decimal(double(i % 7));
            v[20] = Variant::null();
            v[21] = Variant::decimal(double(i % 3));
            v[22] = Variant::null();
            v[23] = Variant::decimal(3.5 + double(i % 11));
            r->Update();
        }
        return r;
    }();
    return rs;
}

testing::Services& services() {
    static testing::Services fixture;
    return fixture;
}

void set_session() {
    auto options = session::SystemOptions::create();
    options->set("QuanDecDgt", Variant(2));
    options->set("NumDecDgt", Variant(2));
    options->set("ExchRateDecDgt", Variant(4));
    auto permission = session::PermissionService::create();
    permission->SetOptions(options);
    services().services.permission = permission;
}

// The limit: every field of every record read through the cursor, nothing kept.
void BM_ReadFieldByField(benchmark::State& state) {
    auto rs = order_lines();
    for (auto _ : state) {
        std::size_t bytes = 0;
        double sum = 0;
        for (rs->MoveFirst(); !rs->Eof(); rs->MoveNext()) {
            const Variant* v = rs->current_row();
            const long fields = rs->Fields().Count();
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

// The form's list stays and is refilled, as a new filter refills it.
void BM_FillSourceGrid(benchmark::State& state) {
    auto rs = order_lines();
    ui::Grid grid("lstDdBody");
    for (auto _ : state) {
        generation::ModuleCtl::FillSourceGrid(services().services, rs, grid, true);
        benchmark::DoNotOptimize(grid.Rows());
    }
    state.SetItemsProcessed(state.iterations() * kLines);
}

void BM_FillSourceGridReadEveryCell(benchmark::State& state) {
    auto rs = order_lines();
    ui::Grid grid("lstDdBody");
    for (auto _ : state) {
        generation::ModuleCtl::FillSourceGrid(services().services, rs, grid, true);
        std::size_t bytes = 0;
        for (long r = 1; r < grid.Rows(); ++r)
            for (long c = 0; c < grid.Cols(); ++c) bytes += grid.TextMatrix(r, c).size();
        benchmark::DoNotOptimize(bytes);
    }
    state.SetItemsProcessed(state.iterations() * kLines);
}

BENCHMARK(BM_ReadFieldByField)->Unit(benchmark::kMillisecond)->MinTime(1);
BENCHMARK(BM_FillSourceGrid)->Unit(benchmark::kMillisecond)->MinTime(1);
BENCHMARK(BM_FillSourceGridReadEveryCell)->Unit(benchmark::kMillisecond)->MinTime(1);


}  // namespace

int main(int argc, char** argv) {
    set_session();
    order_lines();
    benchmark::Initialize(&argc, argv);
    korvane::bench::RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    auto get = [&reporter](const std::string& name) { return reporter.get(name); };
    const double read = get("BM_ReadFieldByField"), fill = get("BM_FillSourceGrid"),
                 all = get("BM_FillSourceGridReadEveryCell");
    std::printf("\nFillSourceGrid of %ld order lines into lstDdBody, against reading the set field by field: %.2f "
                "(goal <= 2)\n",
                kLines, read > 0 ? fill / read : 0.0);
    std::printf("the fill with every cell read afterwards: %.2f times the read\n", read > 0 ? all / read : 0.0);
    component::reset();
    return 0;
}
