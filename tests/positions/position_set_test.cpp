// PositionSet as the host uses it: position records kept through the
// position service, refusals included, and the batch-position function with
// its filter dialog and list.
#include <gtest/gtest.h>

#include "component/module_state.h"
#include "component/position_set.h"
#include "host/position_filter.h"
#include "positions/batch_position_form.h"
#include "session/login.h"
#include "tests/support/account.h"
#include "tests/support/module_ui.h"

namespace korvane::positions {
namespace {

using component::PositionSet;
using host::InvPosition;

struct Positions : ::testing::Test {
    testing::TestAccount account;
    testing::ModuleUi module;
    ui::HeadlessUi& ui = module.ui;
    session::LoginPtr login;

    void SetUp() override {
        account.add_warehouse("01", "原料仓");
        account.add_warehouse("04", "五金仓");
        account.exec("insert into Position values ('01A01', 'A区1号货架', '01', null), ('01A02', 'A区2号货架', '01', null), "
                     "('01B01', 'B区1号货架', '01', '靠门'), ('04A01', 'A区1号货架', '04', null)");
        account.exec("insert into InvPositionSum (cWhCode, cPosCode, cInvCode, iQuantity) values "
                     "('01', '01A01', 'M001', 5), ('01', '01A01', 'M002', 2.5), ('01', '01B01', 'M001', 0)");
        login = session::AccountLogin::create(session::LoginSettings{
            .connection_string = account.connection_string(), .operator_code = "demo", .position_key = "001"});
        component::renew_permission(login);  // the position service works on the current session's account
    }
    std::string name_of(const std::string& code) {
        return account.scalar("select cPosName from Position where cPosCode = '" + code + "'");
    }
};

TEST_F(Positions, RecordsAreKeptAndRefusedWithTheReason) {
    PositionSet set;
    auto service = host::account_position_service(account.connection_string());
    component::module().make_position_service = [service] { return service; };
    PositionSet own;  // a host's own service is the one used
    EXPECT_TRUE(own.Insert(InvPosition::create("01C01", "C区1号货架", "01")));
    EXPECT_EQ(name_of("01C01"), "C区1号货架");
    EXPECT_FALSE(own.Insert(InvPosition::create("01c01", "重复", "01")));
    EXPECT_EQ(service->reason(), "货位编码[01c01]已存在");
    EXPECT_FALSE(own.Insert(InvPosition::create("09A01", "无仓库", "09")));
    EXPECT_EQ(service->reason(), "仓库[09]不存在");
    EXPECT_FALSE(own.Insert(InvPosition::create("01C02", " ", "01")));
    EXPECT_EQ(service->reason(), "货位名称不能为空");
    EXPECT_EQ(account.scalar("select count(*) from Position"), "5");

    EXPECT_TRUE(set.Update(InvPosition::create("01A02", "A区2号货架(高)", "04", "改到五金仓")));
    EXPECT_EQ(account.scalar("select cWhCode || cPosMemo from Position where cPosCode = '01A02'"), "04改到五金仓");
    EXPECT_FALSE(set.Update(InvPosition::create("01A01", "A区1号", "04")));  // holds stock
    EXPECT_EQ(name_of("01A01"), "A区1号货架");
    EXPECT_FALSE(set.Update(InvPosition::create("01Z99", "不存在", "01")));

    EXPECT_FALSE(set.Delete(InvPosition::create("01A01", "", "01")));
    EXPECT_EQ(name_of("01A01"), "A区1号货架");
    EXPECT_TRUE(set.Delete(InvPosition::create("01B01", "", "01")));  // only an empty stock line there
    EXPECT_EQ(account.scalar("select count(*) from InvPositionSum where cPosCode = '01B01'"), "0");
    EXPECT_FALSE(set.Delete(InvPosition::create("01B01", "", "01")));
    EXPECT_THROW(set.Insert(std::make_shared<Collection>()), Error);
}

// A host's service that answers from a script and records what it was given.
struct ScriptedService : host::PositionService {
    bool answer = false;
    std::vector<std::string> calls;
    bool empty_arguments = true;
    std::string none;
    void record(const char* op, const ObjectPtr& o, const ado::RecordsetPtr& a, const ado::RecordsetPtr& b,
                const ado::ConnectionPtr& c, bool& result) {
        calls.push_back(op);
        empty_arguments = empty_arguments && o && !a && !b && !c;
        result = answer;
    }
    void Insert(const ObjectPtr& o, const ado::RecordsetPtr& a, const ado::RecordsetPtr& b,
                const ado::ConnectionPtr& c, bool& r) override { record("Insert", o, a, b, c, r); }
    void Update(const ObjectPtr& o, const ado::RecordsetPtr& a, const ado::RecordsetPtr& b,
                const ado::ConnectionPtr& c, bool& r) override { record("Update", o, a, b, c, r); }
    void Delete(const ObjectPtr& o, const ado::RecordsetPtr& a, const ado::RecordsetPtr& b,
                const ado::ConnectionPtr& c, bool& r) override { record("Delete", o, a, b, c, r); }
    const std::string& reason() const override { return none; }
};

TEST_F(Positions, EachOperationReturnsExactlyWhatTheServiceReturns) {
    auto scripted = std::make_shared<ScriptedService>();
    component::module().make_position_service = [scripted] { return scripted; };
    PositionSet set;
    auto pos = InvPosition::create("X", "X", "01");
    for (bool answer : {true, false}) {
        scripted->answer = answer;
        EXPECT_EQ(set.Insert(pos), answer);
        EXPECT_EQ(set.Update(pos), answer);
        EXPECT_EQ(set.Delete(pos), answer);
    }
    EXPECT_EQ(scripted->calls, (std::vector<std::string>{"Insert", "Update", "Delete", "Insert", "Update", "Delete"}));
    EXPECT_TRUE(scripted->empty_arguments);
    EXPECT_EQ(account.scalar("select count(*) from Position"), "4");
}

TEST_F(Positions, ACancelledFilterKeepsTheConditionAndStillShowsEveryPosition) {
    ui.set_app_title("库存管理");
    ui.on_show(host::frmPositionFilter::kFormName, [](ui::Form& f) {
        auto& filter = dynamic_cast<host::frmPositionFilter&>(f);
        filter.txtWhCode().type_text("04");
        filter.cmdCancel().click();
    });
    ui.on_show(frmBatchPosition::kFormName, [this](ui::Form& f) {
        auto& form = dynamic_cast<frmBatchPosition&>(f);
        EXPECT_EQ(ui.app_title(), "");
        auto& list = form.VoucherList1();
        ASSERT_EQ(list.Rows(), 6);  // four positions and the totals
        EXPECT_EQ(list.TextMatrix(0, 2), "货位编码");
        EXPECT_EQ(list.TextMatrix(1, 2), "01A01");
        EXPECT_EQ(list.TextMatrix(1, 4), "2");
        EXPECT_EQ(list.TextMatrix(1, 5), "7.50");
        EXPECT_EQ(list.TextMatrix(5, 0), "合计");
        form.Toolbar1().click("Quit");
    });
    PositionSet set;
    std::string where = "cWhCode = '01'";
    set.BatchInvPos(login, "批量货位", where);
    EXPECT_EQ(where, "cWhCode = '01'");
    EXPECT_EQ(set.filter_result(), 0);
    EXPECT_EQ(ui.app_title(), "库存管理");
}

TEST_F(Positions, AConfirmedFilterWritesItsConditionAndTheListShowsWhatItSelects) {
    ui.on_show(host::frmPositionFilter::kFormName, [](ui::Form& f) {
        auto& filter = dynamic_cast<host::frmPositionFilter&>(f);
        EXPECT_EQ(filter.Caption(), "批量货位 - 过滤条件");
        filter.txtWhCode().type_text("01");
        filter.txtPosName().type_text("区");
        filter.txtInvCode().type_text("M001");
        filter.cmdOk().click();
    });
    ui.on_show(frmBatchPosition::kFormName, [](ui::Form& f) {
        auto& list = dynamic_cast<frmBatchPosition&>(f).VoucherList1();
        ASSERT_EQ(list.Rows(), 3);  // 01B01 holds M001 with nothing left
        EXPECT_EQ(list.TextMatrix(1, 2), "01A01");
        f.Unload();
    });
    PositionSet set;
    std::string where;
    set.BatchInvPos(login, "批量货位", where);
    EXPECT_EQ(set.filter_result(), 1);
    EXPECT_EQ(where, "Position.cWhCode = '01' and Position.cPosName like '%区%' and Position.cPosCode in "
                     "(select cPosCode from InvPositionSum where iQuantity <> 0 and cInvCode = 'M001')");
    EXPECT_EQ(account.scalar("select count(*) from Position where " + where), "1");
    ASSERT_TRUE(set.bound_form());
    EXPECT_EQ(set.bound_form()->Caption(), "批量货位");
}

}  // namespace
}  // namespace korvane::positions
