// The production form as a clerk works it: filter orders, check one order,
// its products and on the materials tab their materials, confirm. Driven
// through the form model on a small account.
#include "generation/production/produce_order_form.h"

#include <gtest/gtest.h>

#include "host/reference_list.h"
#include "platform/vb/convert.h"
#include "tests/support/account.h"
#include "tests/support/records.h"
#include "tests/support/services.h"

namespace korvane::generation {
namespace {

using Texts = std::vector<std::string>;
using testing::column;


constexpr const char* kAllLeaves =
    "( (cDepCode IN ( Select cDepCode From Department DD where DD.cDepCode = cDepCode and DD.bDepEnd = 1) ) "
    "OR ISNULL(cDepCode, '') = '' ) ";
constexpr const char* kChanged = "当前单据可能已经被他人修改请重新过滤后再进行生单！";

struct ProductionForm : ::testing::Test {
    testing::TestAccount account;
    std::vector<std::string> failures;
    std::unique_ptr<testing::Services> svc;
    ado::ConnectionPtr con;
    testing::RecordingOwner owner;
    std::unique_ptr<frmProduceOrder> form;

    void SetUp() override {
        for (const char* code : {"P001", "P002", "M001", "M002"}) account.add_inventory(code);
        account.exec(
            "insert into Department (cDepCode, cDepName, bDepEnd) values ('01', '一车间', 1), ('02', '总部', 0), "
            "('03', '二车间', 1);"
            "insert into Person (cPersonCode, cPersonName) values ('P01', '张三');"
            "insert into Vendor (cVenCode, cVenName) values ('V01', '华东钢铁');"
            "insert into pp_pohead (id, bPlan, iVouchType, cCode, dDate, cDepCode, cPersonCode, cVenCode, bClosed) "
            "values (1, 0, 0, 'SC0001', '2024-03-01', '01', 'P01', null, 0),"
            " (2, 0, 0, 'SC0002', '2024-03-02', '02', null, null, 0),"
            " (3, 0, 0, 'SC0003', '2024-03-05', null, null, 'V01', 0),"
            " (4, 1, 0, 'JH0001', '2024-03-01', '01', null, null, 0),"
            " (5, 0, 39, 'WW0001', '2024-03-03', '03', null, 'V01', 0),"
            " (6, 0, 0, 'SC0006', '2024-03-06', '01', null, null, 0),"
            " (7, 0, 0, 'SC0007', '2024-03-07', '01', null, null, 1);"
            "insert into pp_pomain (mainid, id, cInvCode, fQuantity, fInQuantity, cItemCode, cItem_class) values "
            "(11, 1, 'P001', 100, 20, 'XM0001', '01'), (12, 1, 'P002', 50, 0, null, null), (21, 2, 'P001', 5, 0, null, null), "
            "(31, 3, 'P001', 10, 0, null, null), (41, 4, 'P002', 30, 0, null, null), (51, 5, 'P001', 5, 0, null, null), "
            "(61, 6, 'P001', 10, 10, null, null), (71, 7, 'P001', 10, 0, null, null);"
            "insert into pp_pochild (subid, mainid, cInvCode, fQuantity, fOutQuantity) values "
            "(111, 11, 'M001', 200, 0), (112, 11, 'M002', 100, 0), (121, 12, 'M001', 50, 0);");
        login("demo");
    }
    void TearDown() override {
        EXPECT_TRUE(failures.empty()) << failures.front();
        EXPECT_TRUE(svc->headless.script_done());
    }
    void login(const std::string& op) {
        svc = std::make_unique<testing::Services>(testing::logged_in(account.connection_string(), op));
        svc->headless.on_failure = [this](const std::string& w) { failures.push_back(w); };
        con = ado::Connection::create();
        con->Open(account.connection_string());
    }
    frmProduceOrder& open(bool bOI = false, std::string clause = "") {
        form = std::make_unique<frmProduceOrder>(svc->services);
        FormContext c;
        c.connection = con;
        c.filter_clause = std::move(clause);
        c.bOI = bOI;
        c.owner = &owner;
        form->set_context(std::move(c));
        form->Load();
        return *form;
    }
    void expect(const std::string& message) { svc->headless.answer(message, ui::vb::vbOK); }
    static Texts keys(const ui::ListView& l, bool only_checked = false) {
        Texts k;
        for (const auto& i : l.items())
            if (!only_checked || i.checked) k.push_back(i.key);
        return k;
    }
    ado::RecordsetPtr handed(const char* key) {
        return std::dynamic_pointer_cast<ado::Recordset>(owner.got->Item(Variant(key)).object());
    }
    void check(ui::ListView& l, const std::string& key, bool on = true) { l.check_item(l.index_of(key), on); }
};

TEST_F(ProductionForm, DepartmentAndInventoryScopesAreExactAndPassOnlyLeavesAndRowsWithoutDepartment) {
    auto& f = open(false, "cCode = 'SC0001'");
    EXPECT_EQ(f.filter_clause(), std::string("cCode = 'SC0001' AND ") + kAllLeaves);
    EXPECT_EQ(f.inventory_scope(), "");
    EXPECT_FALSE(f.cmdRefers().Visible());
    EXPECT_TRUE(f.chkAll().Enabled());
    EXPECT_EQ(f.chkAll().Value(), 1);
    EXPECT_FALSE(f.leave_out_executed());
    EXPECT_FALSE(f.cmbInv().Enabled());

    auto& all = open();
    EXPECT_EQ(all.filter_clause(), kAllLeaves);
    all.cmdFilter().click();
    EXPECT_EQ(keys(all.lstParent()), (Texts{"k1", "k3", "k6"})) << "not the non-leaf 02, the plan, type 39, closed";
    EXPECT_EQ(keys(all.lstParent(), true), Texts{}) << "orders come unchecked";
    all.chkAll().click();
    EXPECT_TRUE(all.leave_out_executed());
    all.cmdFilter().click();
    EXPECT_EQ(keys(all.lstParent()), (Texts{"k1", "k3"})) << "the fully executed order is left out";

    account.restrict_rows("clerk", "department", "03");
    account.restrict_rows("clerk", "department", "02");
    account.restrict_rows("clerk", "inventory", account.scalar("select iId from Inventory where cInvCode = 'M002'"));
    login("clerk");
    auto& clerk = open();
    EXPECT_EQ(clerk.filter_clause(),
              "( (cDepCode IN('02','03')  AND cDepCode IN ( Select cDepCode From Department DD where DD.cDepCode = "
              "cDepCode and DD.bDepEnd = 1)) OR ISNULL(cDepCode, '') = '' ) ");
    EXPECT_EQ(clerk.inventory_scope(),
              "cInvCode in ( select II.cInvCode From Inventory II where II.cInvCode = cInvCode and II.iid IN(" +
                  account.scalar("select iId from Inventory where cInvCode = 'M002'") + "))");
    clerk.cmdFilter().click();
    EXPECT_EQ(keys(clerk.lstParent()), (Texts{"k3"})) << "02 is no leaf, 01 not the clerk's";
}

TEST_F(ProductionForm, FilterJoinsItsConditionsInOrderAndAProductOnlyNarrowsTheProducts) {
    auto& f = open();
    f.txtLDate().put_Text("2024-03-01");
    f.txtUDate().put_Text("2024-03-31");
    f.cmbDept().put_Text("一车间");
    f.cmbDept().put_LinkItem("01");
    f.cmbPerson().put_Text("张三");
    f.cmbPerson().put_LinkItem("P01");
    f.cmbPOID().put_Text("SC0001");
    f.cmdFilter().click();
    EXPECT_EQ(f.last_filter(), "dDate >= '2024-03-01' AND    dDate <= '2024-03-31' and cDepCode = '01' and "
                               "cPersonCode = 'P01' and cCode = 'SC0001'");
    EXPECT_EQ(keys(f.lstParent()), (Texts{"k1"}));

    for (ui::TextBox* t : {&f.txtLDate(), &f.txtUDate(), &f.cmbDept(), &f.cmbPerson(), &f.cmbPOID()}) t->put_Text("");
    f.cmbVen().put_Text("华东钢铁");
    f.cmbVen().put_LinkItem("V01");
    f.cmdFilter().click();
    EXPECT_EQ(f.last_filter(), " cVenCode = 'V01'");
    EXPECT_EQ(keys(f.lstParent()), (Texts{"k3"}));

    f.cmbVen().put_Text("");
    f.cmdFilter().click();
    check(f.lstParent(), "k1");
    f.cmbPOID().put_Text("SC0003");  // discarded by the product condition
    f.cmbInv().put_Text("P002");
    f.cmbInv().put_LinkItem("P002");
    f.cmdFilter().click();
    EXPECT_EQ(f.last_filter(), " cInvCode = 'P002'");
    EXPECT_EQ(keys(f.lstParent()), (Texts{"k1", "k3", "k6"})) << "the orders stay";
    EXPECT_EQ(keys(f.lstParent(), true), (Texts{"k1"}));
    EXPECT_EQ(keys(f.lstSub(), true), (Texts{"k12"})) << "refilled products come checked";
}

TEST_F(ProductionForm, OneOrderAtATimeItsProductsCheckedAndUncheckingEmptiesThem) {
    auto& f = open();
    f.cmdFilter().click();
    check(f.lstParent(), "k1");
    EXPECT_EQ(keys(f.lstSub(), true), (Texts{"k11", "k12"}));
    EXPECT_TRUE(f.cmbInv().Enabled());
    EXPECT_TRUE(f.lblInv().Enabled());
    EXPECT_EQ(f.lstSub().column(7).text, "投产数量") << "laid out";
    EXPECT_EQ(f.lstSub().item(1).SubItems(6), "100.00");

    check(f.lstParent(), "k3");
    EXPECT_EQ(keys(f.lstParent(), true), (Texts{"k3"})) << "the first order is unchecked";
    EXPECT_EQ(keys(f.lstSub()), (Texts{"k31"}));

    f.cmbInv().put_Text("P001");
    check(f.lstParent(), "k3", false);
    EXPECT_EQ(f.lstSub().item_count(), 0);
    EXPECT_FALSE(f.cmbInv().Enabled());
    EXPECT_FALSE(f.lblInv().Enabled());
    EXPECT_EQ(f.cmbInv().Text(), "");
    EXPECT_EQ(f.products(), nullptr);
    EXPECT_TRUE(svc->headless.messages().empty());
}

TEST_F(ProductionForm, MaterialsTabKeepsOneProductAndListsItsMaterialsChecked) {
    auto& f = open();
    f.cmdFilter().click();
    check(f.lstParent(), "k1");
    f.SSTab1().click_tab(1);
    EXPECT_EQ(f.Caption(), "选择生产计划和投产的存货");
    EXPECT_TRUE(f.materials_in_use());
    EXPECT_EQ(keys(f.lstSub(), true), (Texts{"k11"})) << "only the first product stays checked";
    EXPECT_EQ(keys(f.lstChild(), true), (Texts{"k111", "k112"}));

    check(f.lstSub(), "k12");
    EXPECT_EQ(keys(f.lstSub(), true), (Texts{"k12"}));
    EXPECT_EQ(keys(f.lstChild(), true), (Texts{"k121"}));
    check(f.lstSub(), "k12", false);
    EXPECT_EQ(f.lstChild().item_count(), 0);

    // right click, clear all: nothing checked, nothing else happens
    check(f.lstSub(), "k11");
    svc->headless.answer_menu("MnuClearCAll");
    f.lstChild().mouse_up(2, 0);
    EXPECT_EQ(keys(f.lstChild(), true), Texts{});
    EXPECT_EQ(keys(f.lstChild()), (Texts{"k111", "k112"}));
    f.lstChild().mouse_up(1, 0);  // a left click opens nothing
    EXPECT_EQ(svc->headless.popups(), (Texts{"MnuZYJCD"}));
    expect("请选择选择生产计划和投产的存货！");
    f.cmdOk().click();
    EXPECT_EQ(owner.handed, 0);
    EXPECT_TRUE(f.loaded());

    f.SSTab1().click_tab(0);
    EXPECT_EQ(f.Caption(), "选择生产订单和生产的存货");
    EXPECT_EQ(f.lstChild().item_count(), 0);
    EXPECT_EQ(f.materials(), nullptr);
}

TEST_F(ProductionForm, OkRefusesWhatIsNotCheckedOrWasChangedByAnother) {
    auto& f = open();
    expect("请选择选择生产订单和生产的存货！");
    f.cmdOk().click();  // nothing listed

    f.cmdFilter().click();
    check(f.lstParent(), "k1");
    svc->headless.answer_menu("MnuClearFAll");
    f.lstSub().mouse_up(2, 0);
    expect("请选择选择生产订单和生产的存货！");
    f.cmdOk().click();

    check(f.lstSub(), "k12");
    account.exec("update pp_pomain set bThrow = 1 where mainid = 12");  // another user closed the line
    expect(kChanged);
    f.cmdOk().click();
    EXPECT_EQ(owner.handed, 0);
    EXPECT_TRUE(f.loaded());
    EXPECT_EQ(keys(f.lstSub(), true), (Texts{"k12"})) << "the checks stay";
    for (const auto& m : svc->headless.messages()) {
        EXPECT_EQ(m.title, "系统提示");
        EXPECT_EQ(m.icon, ui::vb::vbInformation);
    }
}

TEST_F(ProductionForm, KeyConditionIsAppendedOrInsertedBeforeTheOrderBy) {
    EXPECT_EQ(frmProduceOrder::with_key_condition("select * from t where a = 1", "id IN (1,2)"),
              "select * from t where a = 1 AND id IN (1,2)");
    EXPECT_EQ(frmProduceOrder::with_key_condition("select * from t where a = 1 order by b", "id IN (3)"),
              "select * from t where a = 1 AND  id IN (3) order by b");
}

TEST_F(ProductionForm, OkHandsOverTheCheckedRowsReReadInTheirOrder) {
    auto& f = open();
    f.cmdFilter().click();
    check(f.lstParent(), "k1");
    f.cmdOk().click();
    ASSERT_EQ(owner.handed, 1);
    EXPECT_FALSE(f.loaded());
    EXPECT_EQ(owner.got->Count(), 2) << "no Child on the first tab";
    EXPECT_EQ(column(handed("Parent"), "id"), (Texts{"1"}));
    EXPECT_NE(handed("Parent")->Source().find(" AND  id IN (1) order by cCode"), std::string::npos);
    EXPECT_EQ(column(handed("Sub"), "mainid"), (Texts{"11", "12"}));

    // the materials tab hands over the materials too, re-read with the
    // product's project (or its absence)
    auto& m = open();
    m.cmdFilter().click();
    m.SSTab1().click_tab(1);
    check(m.lstParent(), "k1");
    check(m.lstChild(), "k112", false);
    m.cmdOk().click();
    ASSERT_EQ(owner.handed, 2);
    EXPECT_EQ(owner.got->KeyAt(3), "Child");
    EXPECT_EQ(column(handed("Child"), "subid"), (Texts{"111"}));
    EXPECT_EQ(column(handed("Child"), "fQuantity"), (Texts{"200"}));
    EXPECT_NE(handed("Sub")->Source().find(
                  " AND  pp_pomain.mainid IN (11) and ISNULL(citemcode,'')='XM0001' and citem_class ='01' order by"),
              std::string::npos);
    EXPECT_EQ(column(handed("Sub"), "mainid"), (Texts{"11"}));

    auto& n = open();
    n.cmdFilter().click();
    n.SSTab1().click_tab(1);
    check(n.lstParent(), "k1");
    check(n.lstSub(), "k12");
    n.cmdOk().click();
    ASSERT_EQ(owner.handed, 3);
    EXPECT_EQ(column(handed("Sub"), "mainid"), (Texts{"12"})) << "a product without a project";
}

TEST_F(ProductionForm, PlansAndType39OrdersComeFromTheirOwnOperations) {
    auto& plans = open(true);
    EXPECT_FALSE(plans.SSTab1().TabEnabled(0));
    EXPECT_TRUE(plans.materials_in_use());
    plans.cmdFilter().click();
    EXPECT_EQ(keys(plans.lstParent()), (Texts{"k4"}));
    expect("该产品没有材料");  // the component's message, shown as it comes
    check(plans.lstParent(), "k4");
    EXPECT_EQ(keys(plans.lstSub(), true), (Texts{"k41"}));
    EXPECT_EQ(plans.lstChild().item_count(), 0);
    EXPECT_EQ(svc->headless.messages().back().title, "系统提示");

    owner.type = 39;
    auto& ww = open();
    EXPECT_FALSE(ww.chkAll().Enabled());
    EXPECT_EQ(ww.chkAll().Value(), 0);
    EXPECT_TRUE(ww.leave_out_executed());
    ww.cmdFilter().click();
    EXPECT_EQ(keys(ww.lstParent()), (Texts{"k5"}));
}

TEST_F(ProductionForm, FilterFieldsDropBadKeysAndCheckWhatWasTyped) {
    auto& f = open();
    f.Show(ui::vbModeless);
    f.set_focus(&f.cmbPOID());
    f.cmbPOID().type_text("SC'01");
    EXPECT_EQ(f.cmbPOID().Text(), "SC01");
    EXPECT_EQ(svc->headless.beeps(), 1);
    EXPECT_EQ(f.cmbPOID().ToolTipText(), "SC01");

    f.set_focus(&f.cmbDept());
    EXPECT_TRUE(f.cmdRefers().Visible());
    EXPECT_EQ(f.cmdRefers().Tag(), "cmbDept");
    f.cmbDept().type_text("01");
    f.set_focus(&f.cmbPerson());
    EXPECT_EQ(f.cmbDept().Text(), "一车间");
    EXPECT_EQ(f.cmbDept().LinkItem(), "01");

    f.cmbPerson().type_text("无此人");
    svc->headless.auto_ok(true);
    f.set_focus(&f.cmbVen());
    EXPECT_EQ(f.active_control(), &f.cmbPerson()) << "a person that is not there keeps the focus";
    ASSERT_FALSE(svc->headless.messages().empty());
    EXPECT_EQ(svc->headless.messages().back().title, "系统提示");

    // F2 opens the vendor list; the chosen vendor's code is what the filter uses
    f.cmbPerson().put_Text("");
    f.set_focus(&f.cmbVen());
    svc->headless.on_show(host::ReferenceListForm::kFormName, [](ui::Form& list) {
        auto& rl = dynamic_cast<host::ReferenceListForm&>(list);
        for (long r = 1; r < rl.grid().Rows(); ++r)
            if (rl.grid().TextMatrix(r, 1) == "V01") rl.grid().click(r, 0);
        list.control_as<ui::CommandButton>("cmdOK").click();
    });
    f.key_down(113);
    EXPECT_EQ(f.cmbVen().Text(), "华东钢铁");
    EXPECT_EQ(f.cmbVen().LinkItem(), "V01");
    f.cmbDept().put_Text("");
    f.cmbPOID().put_Text("");
    f.cmdFilter().click();
    EXPECT_EQ(f.last_filter(), " cVenCode = 'V01'");
    EXPECT_EQ(keys(f.lstParent()), (Texts{"k3"}));
    f.Unload();
}

}  // namespace
}  // namespace korvane::generation
