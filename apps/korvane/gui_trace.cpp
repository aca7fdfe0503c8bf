#include "apps/korvane/gui_trace.h"

#include <cstdio>

#include "platform/ui/controls.h"
#include "platform/ui/form.h"
#include "platform/ui/grid.h"

#ifdef KORVANE_HAVE_QT
#include <QApplication>

#include "apps/korvane/demo.h"
#include "component/module_state.h"
#include "component/ref_select.h"
#include "apps/korvane/screenshot_ui.h"
#include "gui/qt/qt_ui.h"
#include "host/stock_queries.h"
#include "session/login.h"
#endif

namespace korvane::app {

namespace {

using selection::AllocationTrace;
using selection::decimal_text;

// The host window is one per process, and so is what it last allocated.
std::shared_ptr<const AllocationTrace>& last_trace() {
    static std::shared_ptr<const AllocationTrace> trace;
    return trace;
}

// A read-only list of the trace's rows under a line naming the rule and the
// request, the totals below.
class frmTrace : public ui::Form {
public:
    frmTrace(ui::UiHost& host, const AllocationTrace& t) : ui::Form("frmAllocationTrace", host) {
        put_Caption("分配说明");
        resize(14000, 5400);
        auto& head = add<ui::Label>("lblRule");
        head.put_Caption("分配规则：" + (t.rule.empty() ? std::string("按记录顺序") : t.rule) +
                         (t.sort.empty() ? "" : "（按" + t.sort + "排序）") + "    申请数量：" +
                         decimal_text(t.quantity) + (t.pieces.is_zero() ? "" : "  件数：" + decimal_text(t.pieces)));
        head.Move(150, 120, 13600, 300);
        auto& grid = add<ui::Grid>("spgTrace");
        grid.Move(150, 480, 13600, 3900);
        grid.put_Editable(false);
        std::vector<std::string> caps = {"序号"};
        caps.insert(caps.end(), t.key_names.begin(), t.key_names.end());
        for (const char* c : {"结存数量", "前行已分配", "分配数量", "分配件数", "结果", "原因"}) caps.emplace_back(c);
        const long cols = static_cast<long>(caps.size());
        grid.put_Cols(cols);
        grid.put_Rows(static_cast<long>(t.rows.size()) + 1);
        grid.put_FixedRows(1);
        for (long c = 0; c < cols; ++c) {
            grid.put_TextMatrix(0, c, caps[static_cast<std::size_t>(c)]);
            const bool amount = c > static_cast<long>(t.key_names.size()) && c < cols - 2;
            const std::string& cap = caps[static_cast<std::size_t>(c)];
            const bool code = cap == "批号" || cap == "入库单号";
            grid.put_ColWidth(c, c == 0 ? 550 : c == cols - 1 ? 3000 : c == cols - 2 ? 600 : amount ? 1300
                                 : code ? 1550 : 1300);
            if (amount) grid.put_ColAlignment(c, ui::Alignment::Right);
        }
        long r = 1;
        for (const auto& row : t.rows) {
            long c = 0;
            grid.put_TextMatrix(r, c++, std::to_string(row.position));
            for (const std::string& k : t.keys(row)) grid.put_TextMatrix(r, c++, k);
            grid.put_TextMatrix(r, c++, decimal_text(row.balance_quantity));
            grid.put_TextMatrix(r, c++, row.earlier_quantity.is_zero() ? "" : decimal_text(row.earlier_quantity));
            grid.put_TextMatrix(r, c++, row.taken() ? decimal_text(row.quantity) : "");
            grid.put_TextMatrix(r, c++, row.taken() ? decimal_text(row.pieces) : "");
            grid.put_TextMatrix(r, c++, row.taken() ? "分配" : "跳过");
            grid.put_TextMatrix(r, c++, selection::reason_text(row.reason));
            ++r;
        }
        auto& total = add<ui::Label>("lblTotal");
        total.put_Caption("合计分配数量：" + decimal_text(t.taken_quantity()) + "    件数：" +
                          decimal_text(t.taken_pieces()) + "    未分配：" + decimal_text(t.remaining_quantity));
        total.Move(150, 4500, 8000, 300);
        auto& close = add<ui::CommandButton>("cmdClose");
        close.put_Caption("关闭(&C)");
        close.Move(12550, 4450, 1200, 400);
        close.on_click = [this] { Unload(); };
    }
};

}  // namespace

void remember_trace(std::shared_ptr<const AllocationTrace> trace) { last_trace() = std::move(trace); }

void show_last_trace(ui::UiHost& host) { show_trace(host, last_trace()); }

void show_trace(ui::UiHost& host, const std::shared_ptr<const AllocationTrace>& trace) {
    if (!trace) {
        host.MsgBox("最近一次分配没有自动分配说明：还没有分配，或由操作员手工选择。", ui::vb::vbInformation);
        return;
    }
    frmTrace form(host, *trace);
    form.Show(ui::vbModal);
}

#ifdef KORVANE_HAVE_QT

int run_trace_gui(const std::string& db, const std::string& screenshot) {
    GuiApp app;
    std::unique_ptr<qt::QtUi> host;
    ScreenshotUi* shot = nullptr;
    if (screenshot.empty()) host = std::make_unique<qt::QtUi>();
    else host.reset(shot = new ScreenshotUi(QString::fromStdString(screenshot)));
    component::set_ui_host(host.get());
    auto login = session::AccountLogin::create("Provider=SQLite;Data Source=" + db, "demo");
    auto permission = session::PermissionService::create();
    permission->InitFromSession(login);
    DemoLine line;
    if (demo_batch_line(permission->GetConnection(), line)) {
        std::string sql, err = " ";
        component::form_services(permission).batch_query_builder()->GetBatchSql(sql, line.wh, line.inv, {}, "");
        component::RefSelect select;
        select.set_tracing(true);
        select.AutoRefer(login, line.wh, line.inv, component::RefSelect::CollectionPtr(), line.quantity, 0.0,
                         line.rate, 0, sql, false, true, std::string(), err);
        remember_trace(select.trace());
    }
    show_last_trace(*host);
    component::set_ui_host(nullptr);
    if (!shot) return 0;
    report_png(shot->saved(), screenshot);
    return shot->saved() ? 0 : 1;
}

#else

int run_trace_gui(const std::string&, const std::string&) {
    std::fprintf(stderr, "korvane gui: this build has no Qt (install qt6-base-dev and rebuild)\n");
    return 1;
}

#endif

}  // namespace korvane::app
