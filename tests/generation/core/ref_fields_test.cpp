#include "generation/core/ref_fields.h"

#include <gtest/gtest.h>

#include <tuple>

#include "platform/ui/form.h"
#include "tests/support/services.h"
#include "tests/support/account.h"

namespace korvane::generation {
namespace {

using ModuleCtl::CheckRefField;
using ModuleCtl::LookupReference;
using ModuleCtl::ReferenceQuery;

// An account with a few rows of every reference kind and a session on it.
struct RefFixture : ::testing::Test {
    testing::TestAccount account;
    std::vector<std::string> failures;
    ui::HeadlessUi ui;
    session::PermissionServicePtr permission;
    ModuleCtl::LayoutState layout;
    registry::Registry hklm{"HKEY_LOCAL_MACHINE"};
    FormServices services;

    void SetUp() override {
        ui.on_failure = [this](const std::string& w) { failures.push_back(w); };
        account.add_warehouse("01", "原料库");
        account.add_warehouse("02", "成品库");
        account.add_inventory(testing::InventoryRow{.code = "A001", .name = "螺栓"});
        account.exec(
            "insert into Vendor (cVenCode, cVenName) values ('V01', '华东钢铁'), ('V02', '华南五金'), ('V03', '北方塑料');"
            "insert into Customer (cCusCode, cCusName) values ('C01', '东方机械');"
            "insert into Department (cDepCode, cDepName, bDepEnd) values ('1', '采购部', 1), ('2', '总部', 0);"
            "insert into Person (cPersonCode, cPersonName) values ('P01', '张三');");
        login("demo");
    }
    void login(const std::string& op) {
        permission = testing::logged_in(account.connection_string(), op);
        services = standard_services(ui, permission, layout, hklm);
    }
};

TEST_F(RefFixture, QueriesOfEveryKindWithAndWithoutAnAuthorityList) {
    const std::tuple<const char*, const char*, const char*> queries[] = {
        {"rfInventory", "螺",
         "SELECT * FROM Inventory WHERE (cInvCode LIKE '%螺%' OR cInvAddCode LIKE '%螺%' OR cInvName LIKE '%螺%')"},
        {"rfwarehouse", "1", "SELECT * FROM Warehouse WHERE (cWhCode LIKE '%1%' OR cWhName LIKE '%1%')"},
        {"rfcustomer", "", "SELECT * FROM Customer WHERE (cCusCode LIKE '%%' OR cCusName LIKE '%%')"},
        {"rfdepartment", "采",
         "SELECT * FROM department WHERE bdepend = 1 AND (cDepcode LIKE '%采%' OR cDepName LIKE '%采%')"},
        {"rfperson", "张", "SELECT * FROM Person WHERE (cPersoncode LIKE '%张%' OR cPersonName LIKE '%张%')"},
        {"rfvendor", "华", "SELECT * FROM Vendor WHERE (cVencode LIKE '%华%' OR cVenName LIKE '%华%')"},
        {"rfdate", "x", ""},
    };
    for (const auto& [tag, text, sql] : queries) EXPECT_EQ(ReferenceQuery(services, tag, text), sql) << tag;

    long bolt_id = std::stol(account.scalar("select iId from Inventory where cInvCode = 'A001'"));
    account.restrict_rows("clerk", "inventory", std::to_string(bolt_id), "R");
    account.restrict_rows("clerk", "warehouse", "01");
    account.restrict_rows("clerk", "vendor", "V01");
    account.restrict_rows("clerk", "vendor", "V02");
    login("clerk");
    EXPECT_EQ(ReferenceQuery(services, "rfinventory", ""),
              "SELECT * FROM Inventory WHERE (cInvCode LIKE '%%' OR cInvAddCode LIKE '%%' OR cInvName LIKE '%%')"
              " AND iID IN(" + std::to_string(bolt_id) + ")");
    EXPECT_EQ(ReferenceQuery(services, "rfvendor", "华"),
              "SELECT * FROM Vendor WHERE (cVencode LIKE '%华%' OR cVenName LIKE '%华%') AND cVencode IN('V01','V02')");
    // every query runs on the account and honours the list
    auto con = permission->GetConnection();
    auto count = [&](const std::string& tag, const std::string& text) {
        auto rs = ado::Recordset::create();
        rs->Open(ReferenceQuery(services, tag, text), con, ado::adOpenStatic, ado::adLockReadOnly);
        return rs->RecordCount();
    };
    using Counts = std::vector<std::tuple<const char*, const char*, long>>;
    // a restricted operator without rows of a kind may use none of it
    for (const auto& [tag, text, n] : Counts{{"rfinventory", "", 1}, {"rfwarehouse", "", 1}, {"rfvendor", "华", 2},
                                              {"rfcustomer", "", 0}})
        EXPECT_EQ(count(tag, text), n) << "clerk " << tag;
    login("demo");
    con = permission->GetConnection();
    // only last-level departments
    for (const auto& [tag, text, n] : Counts{{"rfdepartment", "", 1}, {"rfcustomer", "东方", 1}, {"rfperson", "张", 1},
                                              {"rfvendor", "华", 2}, {"rfwarehouse", "", 2}})
        EXPECT_EQ(count(tag, text), n) << "demo " << tag;
}

// The reference list as the user works it: mark rows, confirm.
void pick_rows(ui::HeadlessUi& ui, std::vector<std::string> codes) {
    ui.on_show(host::ReferenceListForm::kFormName, [codes](ui::Form& f) {
        auto& list = dynamic_cast<host::ReferenceListForm&>(f);
        for (long r = 1; r < list.grid().Rows(); ++r)
            for (const auto& c : codes)
                if (list.grid().TextMatrix(r, 1) == c) list.grid().click(r, 0);
        f.control_as<ui::CommandButton>("cmdOK").click();
    });
}

TEST_F(RefFixture, TwoChosenVendorsAreJoinedAndOnlyTheProductionFormKeepsTheirCodes) {
    ui::Form purchase("frmStockOrder", ui);
    auto& ven = purchase.add<ui::TextBox>("cmbVen");
    auto& button = purchase.add<ui::CommandButton>("cmdRefers");
    ven.put_Tag("RfVendor");
    ven.put_Text("华");
    std::string err;
    pick_rows(ui, {"V01", "V02"});
    ASSERT_TRUE(LookupReference(services, ven, button, err, 0)) << err;
    EXPECT_EQ(ven.Text(), "华东钢铁,华南五金");
    EXPECT_EQ(ven.LinkItem(), "");
    EXPECT_EQ(purchase.active_control(), &ven);

    ui::Form production("frmProduceOrder", ui);
    auto& inv = production.add<ui::TextBox>("cmbInv");
    auto& refers = production.add<ui::CommandButton>("cmdRefers");
    inv.put_Tag("rfinventory");
    pick_rows(ui, {"A001"});
    ASSERT_TRUE(LookupReference(services, inv, refers, err, 0));
    EXPECT_EQ(inv.Text(), "螺栓");
    EXPECT_EQ(inv.LinkItem(), "A001");

    // cancelling leaves the field as it was; a hidden button does nothing
    ui.on_show(host::ReferenceListForm::kFormName, [](ui::Form& f) { f.control_as<ui::CommandButton>("cmdCancel").click(); });
    ASSERT_TRUE(LookupReference(services, inv, refers, err, 0));
    EXPECT_EQ(inv.Text(), "螺栓");
    refers.put_Visible(false);
    EXPECT_TRUE(LookupReference(services, inv, refers, err, 0));
    EXPECT_TRUE(ui.script_done());
    EXPECT_TRUE(failures.empty()) << failures.front();
}

TEST_F(RefFixture, TheCalendarWritesTheChosenDayBack) {
    ui::Form f("frmStockOrder", ui);
    auto& date = f.add<ui::TextBox>("txtLPlanArriveDate");
    auto& button = f.add<ui::CommandButton>("cmdRefers");
    date.put_Tag("rfdate");
    date.put_Text("2024-02-10");
    ui.on_show(host::CalendarForm::kFormName, [](ui::Form& form) {
        auto& cal = dynamic_cast<host::CalendarForm&>(form);
        EXPECT_EQ(cal.month(), 2);
        cal.control_as<ui::CommandButton>("cmdNext").click();
        // March 2024 starts on a Friday: the 1st sits in column 5 of week 1
        EXPECT_EQ(cal.days().TextMatrix(1, 5), "1");
        EXPECT_EQ(cal.days().TextMatrix(1, 4), "");
        cal.days().dbl_click(3, 1);  // Monday the 11th
    });
    std::string err;
    ASSERT_TRUE(LookupReference(services, date, button, err));
    EXPECT_EQ(date.Text(), "2024-03-11");
    ui.on_show(host::CalendarForm::kFormName, [](ui::Form& form) { dynamic_cast<host::CalendarForm&>(form).cancel(); });
    ASSERT_TRUE(LookupReference(services, date, button, err));
    EXPECT_EQ(date.Text(), "2024-03-11");
    EXPECT_TRUE(failures.empty());
}

TEST_F(RefFixture, TypedReferencesAreResolvedOrRefusedWithTheFocusKept) {
    ui::Form f("frmStockOrder", ui);
    auto& wh = f.add<ui::TextBox>("cmbWhName");
    auto& other = f.add<ui::TextBox>("cmbPOID");
    wh.put_Tag("rfwarehouse");
    std::string err;
    f.on_lost_focus = [&](ui::Control& c) {
        if (&c == &wh && !CheckRefField(services, wh, err, true)) err = "refused: " + err;
    };
    f.set_focus(&wh);
    wh.replace_text("99");
    EXPECT_FALSE(f.set_focus(&other));
    EXPECT_EQ(err, "refused: 仓库[99]不存在");
    EXPECT_EQ(f.active_control(), &wh);
    EXPECT_EQ(wh.SelStart(), 0);
    EXPECT_EQ(wh.SelLength(), 2);
    EXPECT_EQ(ui.sent_keys(), (std::vector<std::string>{"{HOME}+{END}"}));

    // by code, shown by name or by id; by name too
    wh.replace_text("02");
    err.clear();
    EXPECT_TRUE(f.set_focus(&other));
    EXPECT_EQ(wh.Text(), "成品库");
    EXPECT_EQ(wh.LinkItem(), "02");
    wh.replace_text("原料库");
    EXPECT_TRUE(CheckRefField(services, wh, err, false));
    EXPECT_EQ(wh.Text(), "01");
    EXPECT_EQ(wh.LinkItem(), "01");

    // kinds taken as typed, empty text, and dates
    auto& batch = f.add<ui::TextBox>("txtBatch");
    batch.put_Tag("RfBatch");
    batch.put_Text("no such batch");
    EXPECT_TRUE(CheckRefField(services, batch, err));
    auto& date = f.add<ui::TextBox>("txtDate");
    date.put_Tag("rfdate");
    EXPECT_TRUE(CheckRefField(services, date, err));
    date.put_Text("2024-02-30");
    EXPECT_FALSE(CheckRefField(services, date, err));
    EXPECT_EQ(err, "日期格式不正确，必须按格式YYYY-MM-DD输入");
    EXPECT_TRUE(failures.empty());
}

// Several items share a name: the one chosen from the list, or the one the
// field is linked to, stays; a bare name that could be any of them is refused.
TEST_F(RefFixture, ANameSharedByItemsKeepsTheChosenOrLinkedOne) {
    for (const char* code : {"G3", "G1", "G2"}) {
        account.add_inventory(testing::InventoryRow{.code = code, .name = "铝合金垫片"});
    }
    ui::Form f("frmStockOrder", ui);
    auto& inv = f.add<ui::TextBox>("cmbInv");
    auto& button = f.add<ui::CommandButton>("cmdRefers");
    inv.put_Tag("rfinventory");
    std::string err;

    inv.put_Text("铝合金垫片");
    EXPECT_FALSE(CheckRefField(services, inv, err));
    EXPECT_EQ(err, "有3个存货名为[铝合金垫片]，请从参照中选择");
    EXPECT_EQ(inv.Text(), "铝合金垫片");
    EXPECT_EQ(inv.LinkItem(), "");

    inv.put_Text("垫片");
    pick_rows(ui, {"G2"});
    ASSERT_TRUE(LookupReference(services, inv, button, err, 0)) << err;
    EXPECT_EQ(inv.Text(), "铝合金垫片");
    ASSERT_TRUE(CheckRefField(services, inv, err)) << err;
    EXPECT_EQ(inv.LinkItem(), "G2") << "the chosen item, not the first of its name";
    EXPECT_EQ(inv.Text(), "铝合金垫片");

    inv.put_LinkItem("G3");  // linked earlier: the link wins over the older choice
    ASSERT_TRUE(CheckRefField(services, inv, err)) << err;
    EXPECT_EQ(inv.LinkItem(), "G3");
    inv.replace_text("G1");  // a code is always that item
    ASSERT_TRUE(CheckRefField(services, inv, err)) << err;
    EXPECT_EQ(inv.LinkItem(), "G1");
    EXPECT_TRUE(ui.script_done());
    EXPECT_TRUE(failures.empty()) << failures.front();
}

}  // namespace
}  // namespace korvane::generation
