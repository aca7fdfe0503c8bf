// `korvane demo`, sales part.
#include "apps/korvane/demo_sales.h"

#include <cmath>
#include <cstdio>

#include "apps/korvane/voucher_sales.h"
#include "component/module_state.h"
#include "generation/core/body_rows.h"
#include "generation/sales/cons_form.h"
#include "platform/ado/recordset.h"
#include "platform/vb/convert.h"

namespace korvane::app {

namespace {

ado::RecordsetPtr query(const ado::ConnectionPtr& con, const std::string& sql) {
    auto rs = ado::Recordset::create();
    rs->Open(sql, con, ado::adOpenStatic, ado::adLockReadOnly);
    return rs;
}

std::string text(ado::Recordset& rs, const char* name) { return vb::text_or_empty(rs(Variant(name))); }

// The open dispatch list with the most lines of one batch-managed inventory
// in one warehouse that has stock in more than one batch.
struct Pick {
    std::string code, warehouse, inventory;
};
Pick busy_dispatch(const ado::ConnectionPtr& con) {
    auto rs = query(con,
                    "select DispatchList.cDLCode as code, l.cWhCode as wh, l.cInvCode as inv, count(*) as n "
                    "from DispatchLists l inner join DispatchList on DispatchList.DLID = l.DLID "
                    "inner join Inventory on Inventory.cInvCode = l.cInvCode "
                    "where ISNULL(DispatchList.cCloser, '') = '' and Inventory.bInvBatch = 1 and l.iQuantity > 0 "
                    "and l.iQuantity > l.fOutQuantity and (select count(*) from CurrentStock s where s.cWhCode = "
                    "l.cWhCode and s.cInvCode = l.cInvCode and s.iQuantity > 0) > 1 "
                    "group by DispatchList.cDLCode, l.cWhCode, l.cInvCode order by count(*) desc, DispatchList.cDLCode");
    if (rs->Eof()) return {};
    return {text(*rs, "code"), text(*rs, "wh"), text(*rs, "inv")};
}

void print_state(const ado::ConnectionPtr& con, const Pick& p) {
    auto stock = query(con, "select cBatch, iQuantity from CurrentStock where cWhCode = '" + p.warehouse +
                                "' and cInvCode = '" + p.inventory + "' and iQuantity > 0 order by cBatch");
    std::printf("    结存 %s 仓库 %s:", p.inventory.c_str(), p.warehouse.c_str());
    for (; !stock->Eof(); stock->MoveNext())
        std::printf("  %s=%s", text(*stock, "cBatch").c_str(), vb::Format((*stock)(Variant("iQuantity")), "##0.00").c_str());
    auto lines = query(con, "select l.DLsID, l.cInvCode, l.iQuantity, l.fOutQuantity from DispatchLists l inner join "
                            "DispatchList on DispatchList.DLID = l.DLID where DispatchList.cDLCode = '" + p.code +
                            "' order by l.DLsID");
    std::printf("\n    发货单 %s:", p.code.c_str());
    for (; !lines->Eof(); lines->MoveNext())
        std::printf("  行%s %s 数量 %s 已出库 %s", text(*lines, "DLsID").c_str(), text(*lines, "cInvCode").c_str(),
                    vb::Format((*lines)(Variant("iQuantity")), "##0.00").c_str(),
                    vb::Format((*lines)(Variant("fOutQuantity")), "##0.00").c_str());
    std::printf("\n");
}

// The dispatch list filtered, its lines shown and marked.
void open_dispatch(generation::frmCons& f, const Pick& pick) {
    f.cmbDLID().put_Text(pick.code);
    f.Check1().click();
    f.Check2().put_Value(1);
    f.cmdFilter().click();
    f.lstFhdHead().click(1, 1);
}

}  // namespace

void batch_pass_with_errors(generation::frmCons& f, const std::string& db) {
    auto con = ado::Connection::create();
    con->Open("Provider=SQLite;Data Source=" + db);
    // A dispatch list with an open batch line that no stock can serve, so the
    // pass has an error to collect however much earlier runs have issued.
    auto rs = query(con,
                    "select DispatchList.cDLCode as code, l.cWhCode as wh, l.cInvCode as inv "
                    "from DispatchLists l inner join DispatchList on DispatchList.DLID = l.DLID "
                    "inner join Inventory on Inventory.cInvCode = l.cInvCode "
                    "where ISNULL(DispatchList.cCloser, '') = '' and Inventory.bInvBatch = 1 and l.iQuantity > 0 "
                    "and l.iQuantity > l.fOutQuantity and not exists (select 1 from CurrentStock s where s.cWhCode = "
                    "l.cWhCode and s.cInvCode = l.cInvCode and s.iQuantity > 0) order by DispatchList.cDLCode");
    if (rs->Eof()) return;
    const Pick pick{text(*rs, "code"), text(*rs, "wh"), text(*rs, "inv")};
    if (pick.code.empty()) return;
    open_dispatch(f, pick);
    f.key_down(69, 2);  // Ctrl+E
}

std::unique_ptr<SalesIssueVoucher> scripted_sales_voucher(const std::string& db, ui::HeadlessUi& ui, bool print,
                                                          std::function<void(generation::frmCons&)> before_ok) {
    const std::string cs = "Provider=SQLite;Data Source=" + db;
    auto voucher = std::make_unique<SalesIssueVoucher>(ui, session::AccountLogin::create(cs, "demo"));
    auto con = ado::Connection::create();
    con->Open(cs);
    const Pick pick = busy_dispatch(con);
    if (pick.code.empty()) {
        if (print) std::printf("  账套中没有可按批次出库的发货单\n");
        return voucher;
    }
    ui.auto_ok(true);
    ui.on_failure = [](const std::string& what) { std::printf("  意外的对话: %s\n", what.c_str()); };
    ui.on_show(generation::frmCons::kFormName, [&ui, pick, print, before_ok](ui::Form& form) {
        auto& f = dynamic_cast<generation::frmCons&>(form);
        open_dispatch(f, pick);
        ui::Grid& b = f.lstFhdBody();
        // Only this inventory's lines are issued now.
        const long inv = generation::ModuleCtl::CaptionColumn(b, "存货编码");
        for (long r = b.Rows() - 1; r >= 1; --r)
            if (inv > 0 && b.TextMatrix(r, inv) != pick.inventory) {
                b.select(r, 1);
                f.mnuDeleteLine().click();
            }
        // One line issued as three: the copies take their share of the amount.
        if (b.Rows() == 2) {
            const long q = b.Cols() - 2;
            const double all = generation::ModuleCtl::CellAmount(b, 1, q);
            b.select(1, 1);
            f.mnuCopyLine().click();
            f.mnuCopyLine().click();
            const double part = std::floor(all / 3);
            b.edit_cell(1, q, vb::CStr(Variant(all - 2 * part)));
            b.edit_cell(2, q, vb::CStr(Variant(part)));
            b.edit_cell(3, q, vb::CStr(Variant(part)));
        }
        if (print)
            std::printf("  过滤 [%s], 表体 %ld 行 (%s, 仓库 %s)\n", f.sWhere().c_str(), b.Rows() - 1,
                        pick.inventory.c_str(), pick.warehouse.c_str());
        f.key_down(69, 2);  // Ctrl+E: one pass over every line, sharing the scratch table
        const long batch = generation::ModuleCtl::CaptionColumn(b, "批号");
        if (print)
            for (long r = 1; r < b.Rows(); ++r)
                std::printf("    %s行 %ld 批号 %s 本次出库 %s\n", b.RowHidden(r) ? "(拆分, 隐藏) " : "", r,
                            std::string(b.TextMatrix(r, batch)).c_str(), std::string(b.TextMatrix(r, b.Cols() - 2)).c_str());
        if (before_ok) before_ok(f);
        ui.answer("确认要生单吗？", ui::vb::vbYes);
        f.cmdOk().click();
    });
    component::set_ui_host(&ui);
    voucher->generate();
    component::set_ui_host(nullptr);
    return voucher;
}

void sales_generation(const std::string& db) {
    std::printf("\n销售生单: 销售出库单从发货单生成, 批量指定批次, 保存回写\n");
    auto con = ado::Connection::create();
    con->Open("Provider=SQLite;Data Source=" + db);
    const Pick pick = busy_dispatch(con);
    if (!pick.code.empty()) {
        std::printf("  之前:\n");
        print_state(con, pick);
    }
    ui::HeadlessUi ui;
    auto voucher = scripted_sales_voucher(db, ui, true);
    ui::Grid& body = voucher->body();
    if (body.Rows() <= 1) return;
    std::printf("  出库单 %ld 行, 回写发货单: %s\n", body.Rows() - 1, voucher->update_dispatch() ? "是" : "否");
    // 分配说明 of the last line: it shows what earlier lines of the pass took.
    if (auto trace = voucher->line_trace(body.Rows() - 1))
        std::printf("  分配说明 (第 %ld 行):\n%s", body.Rows() - 1, trace->table().c_str());
    component::set_ui_host(&ui);
    const long written = voucher->save();
    component::set_ui_host(nullptr);
    std::printf("  保存 %ld 行 (TrackSet 结存扣减, 发货单累计出库回写)\n  之后:\n", written);
    print_state(con, pick);
}

}  // namespace korvane::app
