// `korvane demo`, purchase part: a clerk generates a purchase receipt from
// two orders of one vendor, is refused one receipt above what is left,
// enters another and confirms; the voucher shows what it received.
#include <cmath>
#include <cstdio>

#include "apps/korvane/demo_purchase.h"
#include "apps/korvane/voucher_purchase.h"
#include "component/module_state.h"
#include "generation/core/body_rows.h"
#include "generation/purchase/stock_order_form.h"
#include "platform/ado/recordset.h"
#include "platform/vb/convert.h"

namespace korvane::app {

namespace {

constexpr const char* kOverRemaining = "本次入库数量不能大于未入库数量";

std::string field(ado::Recordset& rs, const char* name) {
    if (rs.Fields().find(name) < 0) return "-";
    const Variant& v = rs(Variant(name));
    if (v.is_null() || v.is_empty()) return "-";
    if (v.type() == VarType::Date) return vb::format_date(vb::CDate(v));
    if (std::string(name) == "iquantity" || std::string(name) == "inum") return vb::Format(v, "##0.00");
    return vb::CStr(v);
}

// The vendor with the most open orders (at least two).
std::string busy_vendor(const ado::ConnectionPtr& con) {
    auto rs = ado::Recordset::create();
    rs->Open("select zpurpoheader.cVenAbbName as v, count(*) as n from zpurpoheader "
             "where ISNULL(zpurpoheader.cCloser, '') = '' and exists (select 1 from PO_Podetails PoLine "
             "where PoLine.POID = zpurpoheader.POID and PoLine.iQuantity - PoLine.iArrQTY - PoLine.iReceivedQTY > 0) "
             "group by zpurpoheader.cVenAbbName order by count(*) desc, zpurpoheader.cVenAbbName",
             con, ado::adOpenStatic, ado::adLockReadOnly);
    if (rs->Eof() || vb::CLng((*rs)(Variant("n"))) < 2) return {};
    return vb::CStr((*rs)(Variant("v")));
}

void script(generation::frmStockOrder& f, ui::HeadlessUi& ui, const std::string& vendor, bool print) {
    f.cmbVen().put_Text(vendor);
    f.Check1().click();
    f.cmdFilter().click();
    if (print) std::printf("  过滤: 供应商 %s, 列出订单 %ld 张, 条件 [%s]\n", vendor.c_str(), f.lstDdHead().Rows() - 1,
                f.sWhere().c_str());
    const long code = generation::ModuleCtl::CaptionColumn(f.lstDdHead(), "单据号");
    for (long r = 1; r <= 2 && r < f.lstDdHead().Rows(); ++r) {
        f.lstDdHead().click(r, 0);
        if (print) std::printf("  选中订单 %s\n", std::string(f.lstDdHead().TextMatrix(r, code)).c_str());
    }
    ui::Grid& body = f.lstDdBody();
    const long q = body.Cols() - 2, left = body.Cols() - 4;
    const long inv = generation::ModuleCtl::CaptionColumn(body, "存货编码");
    if (print) std::printf("  表体 %ld 行\n", body.Rows() - 1);
    long row = 1;
    while (row < body.Rows() && generation::ModuleCtl::CellAmount(body, row, left) <= 1) ++row;
    if (row >= body.Rows()) return;
    const double rest = generation::ModuleCtl::CellAmount(body, row, left);
    const std::string over = vb::Format(Variant(rest + 1), "##0.00");
    ui.answer(kOverRemaining, ui::vb::vbOK);
    body.edit_cell(row, q, over);
    if (print) std::printf("  第 %ld 行 %s 本次入库 %s: 提示“%s”, 保留 %s\n", row, std::string(body.TextMatrix(row, inv)).c_str(),
                over.c_str(), ui.messages().back().text.c_str(), std::string(body.TextMatrix(row, q)).c_str());
    const std::string half = vb::Format(Variant(std::floor(rest / 2)), "##0.00");
    body.edit_cell(row, q, half);
    if (print) std::printf("  第 %ld 行 本次入库 %s: 接受\n", row, std::string(body.TextMatrix(row, q)).c_str());
    // Lines with nothing left to receive are left out.
    long left_out = 0;
    for (long r = 1; r < body.Rows(); ++r)
        if (generation::ModuleCtl::CellAmount(body, r, left) <= 0) {
            body.click(r, 0);
            ++left_out;
        }
    if (print) std::printf("  取消选择已入库完的 %ld 行\n", left_out);
    ui.answer("确认要生单吗？", ui::vb::vbYes);
    f.cmdOk().click();
}

}  // namespace

std::unique_ptr<PurchaseReceiptVoucher> scripted_purchase_voucher(const std::string& db, ui::HeadlessUi& ui,
                                                                  const session::LoginPtr& login, bool print) {
    auto con = ado::Connection::create();
    con->Open("Provider=SQLite;Data Source=" + db);
    auto voucher = std::make_unique<PurchaseReceiptVoucher>(ui, login);
    const std::string vendor = busy_vendor(con);
    if (vendor.empty()) {
        if (print) std::printf("  账套中没有同一供应商的两张未执行完的订单\n");
        return voucher;
    }
    ui.on_failure = [](const std::string& what) { std::printf("  意外的对话: %s\n", what.c_str()); };
    ui.on_show(generation::frmStockOrder::kFormName, [&ui, vendor, print](ui::Form& form) {
        script(dynamic_cast<generation::frmStockOrder&>(form), ui, vendor, print);
    });
    component::set_ui_host(&ui);
    if (print) voucher->on_handed = print_hand_over;
    voucher->generate();
    component::set_ui_host(nullptr);
    return voucher;
}

void purchase_generation(const std::string& db) {
    std::printf("\n采购生单: 采购入库单从采购订单生成\n");
    ui::HeadlessUi ui;
    auto login = session::AccountLogin::create("Provider=SQLite;Data Source=" + db, "demo");
    auto voucher = scripted_purchase_voucher(db, ui, login, true);
    std::printf("  入库单表头: 日期 %s, 来源 %s, 供应商 %s, 部门 %s, 业务类型 %s\n",
                voucher->head_field("txtDate").Text().c_str(), voucher->head_field("txtSource").Text().c_str(),
                voucher->head_field("txtVendor").Text().c_str(), voucher->head_field("txtDept").Text().c_str(),
                voucher->head_field("txtBusType").Text().c_str());
    ui::Grid& body = voucher->body();
    for (long r = 1; r < body.Rows(); ++r) {
        std::printf("  ");
        for (long c = 1; c < body.Cols(); ++c)
            if (!body.TextMatrix(r, c).empty())
                std::printf("%s %s  ", std::string(body.TextMatrix(0, c)).c_str(), std::string(body.TextMatrix(r, c)).c_str());
        std::printf("\n");
    }
}

void print_hand_over(const std::shared_ptr<Collection>& handed) {
    auto head = handed->Item(Variant("Head")).as<ado::Recordset>();
    auto body = handed->Item(Variant("Body")).as<ado::Recordset>();
    std::printf("  Head %ld 行:\n", head->RecordCount());
    for (head->MoveFirst(); !head->Eof(); head->MoveNext())
        std::printf("    poid %s 单据号 %s 供应商 %s 业务类型 %s\n", field(*head, "poid").c_str(),
                    field(*head, "cpoid").c_str(), field(*head, "cvenabbname").c_str(),
                    field(*head, "cbustype").c_str());
    std::printf("  Body %ld 行:\n", body->RecordCount());
    for (body->MoveFirst(); !body->Eof(); body->MoveNext())
        std::printf("    行 %s 订单 %s 存货 %s %s iQuantity %s iNum %s bQuanSign %s\n", field(*body, "id").c_str(),
                    field(*body, "poid").c_str(), field(*body, "cinvcode").c_str(), field(*body, "cinvname").c_str(),
                    field(*body, "iquantity").c_str(), field(*body, "inum").c_str(), field(*body, "bquansign").c_str());
}

}  // namespace korvane::app
