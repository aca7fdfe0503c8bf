// The production road of the main job, scripted on the host's production
// vouchers: 生单 opens the production form on one order and the clerk's
// steps are played on it (filter, check the order, keep its products); 保存
// passes each line's quantity back with WritefQuantity; then a material
// issue from the materials tab. Prints the executed quantities before and
// after.
#include "apps/korvane/demo_production.h"

#include "apps/korvane/voucher_production.h"

#include <cstdio>

#include "component/module_state.h"
#include "component/produce_order.h"
#include "generation/production/produce_order_form.h"
#include "platform/ado/recordset.h"
#include "platform/vb/convert.h"
#include "session/login.h"

namespace korvane::app {

namespace {

constexpr auto text = field_text;
constexpr auto number = field_number;
constexpr auto amount = amount_text;

}  // namespace

std::string demo_production_order(const ado::ConnectionPtr& con) {
    // An open order of a leaf department with a product still to receive.
    auto rs = ado::Recordset::create();
    rs->Open("select h.cCode from pp_pohead h join pp_pomain m on m.id = h.id join Department d on d.cDepCode = "
             "h.cDepCode where h.bPlan = 0 and h.iVouchType <> 39 and h.bClosed = 0 and d.bDepEnd = 1 and "
             "m.bThrow = 0 and m.fQuantity - m.fInQuantity >= 10 order by h.cCode limit 1",
             con);
    return rs->Eof() ? std::string() : text(rs, "cCode");
}

std::string production_receipt_lines(const ado::ConnectionPtr& con, const std::string& order_code) {
    auto rs = ado::Recordset::create();
    rs->Open("select m.mainid, m.cInvCode, m.fQuantity, m.fInQuantity from pp_pomain m join pp_pohead h on h.id = m.id "
             "where h.cCode = '" + order_code + "' order by m.mainid",
             con);
    std::string out;
    for (; !rs->Eof(); rs->MoveNext())
        out += "    产品行 " + text(rs, "mainid") + "  " + text(rs, "cInvCode") + "  投产数量 " +
               amount(number(rs, "fQuantity")) + "  累计入库数量 " + amount(number(rs, "fInQuantity")) + "\n";
    return out;
}

void production_generation(const std::string& db) {
    auto login = session::AccountLogin::create("Provider=SQLite;Data Source=" + db, "demo");
    auto con = ado::Connection::create();
    con->Open(login->ConnectionString());
    const std::string order = demo_production_order(con);
    if (order.empty()) {
        std::printf("\n生产生单: 账套中没有可入库的生产订单\n");
        return;
    }
    ui::HeadlessUi ui;
    ui.auto_ok(true);
    component::set_ui_host(&ui);
    using generation::frmProduceOrder;
    // The clerk: filter (the order's code given to load restricts the list
    // to it), check the order; its open products come checked, on the
    // materials tab the first product's materials.
    auto clerk = [](bool materials) {
        return [materials](ui::Form& form) {
            auto& f = dynamic_cast<frmProduceOrder&>(form);
            if (materials) f.SSTab1().click_tab(1);
            f.cmdFilter().click();
            if (f.lstParent().item_count() > 0) f.lstParent().check_item(1, true);
            f.cmdOk().click();
            if (f.loaded()) f.cmdExit().click();
        };
    };

    std::printf("\n生产生单: 产成品入库单 从生产订单 %s 生单, 每行入库 1.00, 保存时回写累计入库数量\n", order.c_str());
    std::printf("  回写前:\n%s", production_receipt_lines(con, order).c_str());
    ui.on_show(frmProduceOrder::kFormName, clerk(false));
    ProductionVoucher receipt(ui, login, ProductionVoucher::Kind::Receipt);
    if (!receipt.generate(order)) {
        std::printf("  生单未完成\n");
        component::set_ui_host(nullptr);
        return;
    }
    ui::Grid& body = receipt.body();
    std::printf("  生单: 订单 %s, %ld 个产品行\n", receipt.order().Text().c_str(), body.Rows() - 1);
    for (long r = 1; r < body.Rows(); ++r) body.edit_cell(r, ProductionVoucher::kQuantity, "1");
    receipt.save();
    std::printf("  %s\n", ui.messages().back().text.c_str());
    std::printf("  回写后:\n%s", production_receipt_lines(con, order).c_str());

    ui.on_show(frmProduceOrder::kFormName, clerk(true));
    ProductionVoucher issue(ui, login, ProductionVoucher::Kind::Issue);
    if (issue.generate(order)) {
        ui::Grid& lines = issue.body();
        std::printf("  材料出库单 从生产订单 %s 生单: %ld 个材料行\n", order.c_str(), lines.Rows() - 1);
        for (long r = 1; r < lines.Rows(); ++r)
            std::printf("    材料行 %s  %s %s  应出库数量 %s  材料出库数量 %s  本次出库数量 %s\n",
                        std::string(lines.TextMatrix(r, ProductionVoucher::kLine)).c_str(),
                        std::string(lines.TextMatrix(r, ProductionVoucher::kInv)).c_str(),
                        std::string(lines.TextMatrix(r, ProductionVoucher::kName)).c_str(),
                        std::string(lines.TextMatrix(r, ProductionVoucher::kPlanned)).c_str(),
                        std::string(lines.TextMatrix(r, ProductionVoucher::kDone)).c_str(),
                        std::string(lines.TextMatrix(r, ProductionVoucher::kQuantity)).c_str());
    }
    component::set_ui_host(nullptr);
}

}  // namespace korvane::app
