#include "apps/korvane/demo_positions.h"

#include <unistd.h>

#include <cstdio>

#include "component/module_state.h"
#include "component/position_set.h"
#include "component/return_inv_set.h"
#include "host/position_filter.h"
#include "invselect/return_inv_set_form.h"
#include "platform/vb/convert.h"
#include "positions/batch_position_form.h"
#include "session/login.h"

namespace korvane::app {

namespace {

const char* yes_no(bool b) { return b ? "成功" : "拒绝"; }

void pick(const session::LoginPtr& login, ui::HeadlessUi& ui) {
    std::printf("\n存货选择: 展开 01 -> 0101, 勾选 0101001, 打勾前三种存货, 排序后确定\n");
    ui.on_show(invselect::frmReturnInvSet::kFormName, [](ui::Form& form) {
        auto& f = dynamic_cast<invselect::frmReturnInvSet&>(form);
        f.treeMenu().expand("m01");
        f.treeMenu().expand("m0101");
        std::printf("  类别树: %ld 个节点, 0101 下 %zu 个末级类\n", f.treeMenu().node_count(),
                    f.treeMenu().node("m0101").children.size());
        f.treeMenu().check_node("m0101001", true);
        std::printf("  列表条件: %s, 状态栏: %s\n", f.list_condition().c_str(), f.StatusBar1().panel_text(2).c_str());
        for (long r = 1; r <= 3 && r < f.ListView1().Rows(); ++r) f.ListView1().click(r, 0);
        auto& bar = f.ToolbarControl().Visible() ? f.ToolbarControl() : f.tlbInvClass();
        f.ListView1().select(1, 1);
        bar.click("Order");
        std::printf("  排序后菜单: %s\n", f.mnuOrder().Caption().c_str());
        bar.click("Ok");
    });
    component::ReturnInvSet picker;
    picker.frmShow(login, 1, std::string());
    auto rs = picker.RecordsetValue();
    if (!rs) {
        std::printf("  RecordsetValue: 无\n");
        return;
    }
    std::printf("  RecordsetValue: %ld 行\n", rs->RecordCount());
    for (rs->MoveFirst(); !rs->Eof(); rs->MoveNext())
        std::printf("    %s  %s  %s\n", vb::text_or_empty((*rs)(Variant("cInvCode"))).c_str(),
                    vb::text_or_empty((*rs)(Variant("cInvName"))).c_str(),
                    vb::text_or_empty((*rs)(Variant("cInvStd"))).c_str());
}

void positions(const session::LoginPtr& login, ui::HeadlessUi& ui) {
    // The demo is a host with its own position service, so it can tell why one was refused.
    auto service = host::account_position_service(login->ConnectionString());
    auto ours = component::module().make_position_service;
    component::module().make_position_service = [service] { return service; };
    component::PositionSet set;
    component::module().make_position_service = ours;
    // unique per run: demo runs at once on one account do not meet
    const std::string code = "01D" + std::to_string(::getpid() % 100000);
    std::printf("\n货位: 新增、修改、删除货位 %s\n", code.c_str());
    auto pos = host::InvPosition::create(code, "D区临时货架", "01", "演示");
    auto report = [&](const char* what, bool done) {
        std::printf("  %s: %s%s%s\n", what, yes_no(done), done ? "" : " ", service->reason().c_str());
    };
    report("Insert", set.Insert(pos));
    report("再次 Insert", set.Insert(pos));
    pos->cPosName = "D区临时货架(已改)";
    report("Update", set.Update(pos));
    report("Delete 01A01", set.Delete(host::InvPosition::create("01A01", "", "01")));
    report("Delete", set.Delete(pos));

    std::printf("\n批量货位: 过滤 五金仓(04) 有结存的货位\n");
    ui.on_show(host::frmPositionFilter::kFormName, [](ui::Form& form) {
        auto& f = dynamic_cast<host::frmPositionFilter&>(form);
        f.txtWhCode().type_text("04");
        f.chkStocked().click();
        f.cmdOk().click();
    });
    ui.on_show(positions::frmBatchPosition::kFormName, [](ui::Form& form) {
        auto& list = dynamic_cast<positions::frmBatchPosition&>(form).VoucherList1();
        std::printf("  列表 %ld 行:\n", list.Rows() - 1);
        for (long r = 1; r < list.Rows() && r <= 4; ++r)
            std::printf("    %s %s %s 存货 %s 种 结存 %s\n", std::string(list.TextMatrix(r, 1)).c_str(), std::string(list.TextMatrix(r, 2)).c_str(),
                        std::string(list.TextMatrix(r, 3)).c_str(), std::string(list.TextMatrix(r, 4)).c_str(), std::string(list.TextMatrix(r, 5)).c_str());
        const long last = list.Rows() - 1;
        std::printf("    ...\n    %s %s %s\n", std::string(list.TextMatrix(last, 0)).c_str(),
                    std::string(list.TextMatrix(last, 4)).c_str(), std::string(list.TextMatrix(last, 5)).c_str());
        form.Unload();
    });
    std::string where;
    set.BatchInvPos(login, "批量货位", where);
    std::printf("  sReturnWhere: %s\n", where.c_str());
}

}  // namespace

void positions_and_picker(const std::string& db) {
    ui::HeadlessUi ui;
    ui.auto_ok(true);
    bool failed = false;
    ui.on_failure = [&failed](const std::string& what) {
        std::fprintf(stderr, "demo: %s\n", what.c_str());
        failed = true;
    };
    component::set_ui_host(&ui);
    session::LoginSettings settings;
    settings.connection_string = "Provider=SQLite;Data Source=" + db;
    settings.operator_code = "demo";
    auto login = session::AccountLogin::create(settings);
    try {
        pick(login, ui);
        positions(login, ui);
    } catch (...) {
        component::set_ui_host(nullptr);
        throw;
    }
    component::set_ui_host(nullptr);
    if (failed) throw std::runtime_error("the scripted dialogs did not run as written");
}

}  // namespace korvane::app
