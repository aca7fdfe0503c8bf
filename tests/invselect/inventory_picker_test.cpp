// The inventory picker driven as a clerk drives it: the class tree, the
// list with its marks, locate and sort, and the hand-over through the
// session's scratch table.
#include <gtest/gtest.h>

#include "component/module_state.h"
#include "component/return_inv_set.h"
#include "invselect/return_inv_set_form.h"
#include "platform/vb/convert.h"
#include "session/login.h"
#include "tests/support/account.h"
#include "tests/support/module_ui.h"
#include "tests/support/records.h"
#include "tests/support/services.h"

namespace korvane::invselect {
namespace {

TEST(ScratchText, TheOneCommandForASessionTagRunsOnTheAccount) {
    const std::string table = scratch_table_name("a.b");
    EXPECT_EQ(table, "tempdb..tmpa_btmp");
    const std::string sql = scratch_command(table, {"A01", "B02"});
    EXPECT_EQ(sql,
              "if exists (select * from tempdb..sysobjects where id=object_id(N'tempdb..tmpa_btmp')) drop table "
              "tempdb..tmpa_btmp create table tempdb..tmpa_btmp(id nvarchar(255)) insert into tempdb..tmpa_btmp(id) "
              "values('A01')  insert into tempdb..tmpa_btmp(id) values('B02') ");
    EXPECT_EQ(checked_condition("cInvCCode like '01%'", table, "降序排列"),
              "cInvCCode like '01%' and cInvCode in (select id from tempdb..tmpa_btmp) order by cInvCode  ");
    EXPECT_EQ(checked_condition("", table, "升序排列"),
              " cInvCode in (select id from tempdb..tmpa_btmp) order by cInvCode  desc ");

    testing::TestAccount account;
    ado::Connection con;
    con.Open(account.connection_string());
    con.Execute(sql);
    auto count = [&] {
        auto rs = ado::Recordset::create();
        rs->Open("select count(*) from tempdb..tmpa_btmp", std::shared_ptr<ado::Connection>(&con, [](auto*) {}),
                 ado::adOpenStatic, ado::adLockReadOnly);
        return vb::CLng((*rs)(Variant(0L)));
    };
    EXPECT_EQ(count(), 2);
    con.Execute(scratch_command(table, {}));  // dropped and made again, empty
    EXPECT_EQ(count(), 0);
}

struct Picker : ::testing::Test {
    testing::TestAccount account;
    testing::ModuleUi module;
    ui::HeadlessUi& ui = module.ui;
    session::LoginPtr login;

    void SetUp() override {
        account.exec("insert into CodeRule values ('InventoryClass', '2,2,3')");
        account.exec("insert into InventoryClass (cInvCCode, cInvCName, iInvCGrade, bInvCEnd) values "
                     "('01', '原材料', 1, 0), ('0101', '金属件', 2, 0), ('0101001', '螺纹件', 3, 1), "
                     "('0102', '塑胶件', 2, 1), ('02', '产成品', 1, 1)");
        const std::pair<const char*, const char*> items[] = {
            {"M003", "0101001"}, {"M001", "0101001"}, {"m002", "0101001"}, {"P001", "0102"}, {"F001", "02"}};
        for (auto [code, cls] : items)
            account.add_inventory(testing::InventoryRow{.code = code, .name = "存货" + std::string(code), .class_code = cls});
        login = session::AccountLogin::create(
            session::LoginSettings{.connection_string = account.connection_string(), .operator_code = "demo",
                                   .session_tag = "a.b"});
    }
    // Runs the picker through the public class with `script` while it is open.
    ado::RecordsetPtr pick(std::function<void(frmReturnInvSet&)> script, std::string where = "") {
        ui.on_show(frmReturnInvSet::kFormName, [script](ui::Form& f) { script(dynamic_cast<frmReturnInvSet&>(f)); });
        component::ReturnInvSet picker;
        picker.frmShow(login, 1, where);
        return picker.RecordsetValue();
    }
    // The clerk clicks the toolbar the stored style shows.
    static void click(frmReturnInvSet& f, const std::string& key) {
        (f.ToolbarControl().Visible() ? f.ToolbarControl() : f.tlbInvClass()).click(key);
    }
    static void click_ok(frmReturnInvSet& f) { click(f, "Ok"); }
};

TEST_F(Picker, TheTreeFollowsTheCodingRuleLevelByLevel) {
    pick([](frmReturnInvSet& f) {
        auto& tree = f.treeMenu();
        const auto& root = tree.node("mRoot");
        EXPECT_EQ(root.text, "存货");
        EXPECT_EQ(root.image, "folder");
        EXPECT_TRUE(root.expanded);
        EXPECT_EQ(root.children, (std::vector<std::string>{"m01", "m02"}));
        EXPECT_EQ(tree.node("m02").image, "li");
        tree.expand("m01");
        EXPECT_EQ(tree.node("m01").children, (std::vector<std::string>{"m0101", "m0102"}));
        tree.expand("m0101");
        EXPECT_EQ(tree.node("m0101001").parent, "m0101");
        EXPECT_EQ(tree.node("m0101001").image, "li");
        EXPECT_EQ(tree.node("m0101").expanded_image, "open");
        tree.expand("m0101001");  // a last-level class has no children
        EXPECT_TRUE(tree.node("m0101001").children.empty());
        EXPECT_EQ(tree.node_count(), 6);
        EXPECT_EQ(f.parent_key("0101001", 3), "m0101");
        click(f, "Quit");
    });
}

TEST_F(Picker, CancellingSelectAllLeavesTheRootUncheckedAndTheListEmpty) {
    ui.answer("确认要选择全部存货吗?", ui::vb::vbCancel);
    ui.answer("确认要选择全部存货吗?", ui::vb::vbOK);
    pick([this](frmReturnInvSet& f) {
        f.treeMenu().check_node("mRoot", true);
        const auto& m = ui.messages().back();
        EXPECT_EQ(m.title, "系统提示");
        EXPECT_EQ(m.buttons, ui::vb::vbOKCancel);
        EXPECT_EQ(m.icon, ui::vb::vbQuestion);
        EXPECT_FALSE(f.treeMenu().node("mRoot").checked);
        EXPECT_EQ(f.ListView1().Rows(), 1);
        f.treeMenu().check_node("mRoot", true);
        EXPECT_TRUE(f.treeMenu().node("mRoot").checked);
        EXPECT_EQ(f.ListView1().Rows(), 6);
        EXPECT_EQ(f.StatusBar1().panel_text(2), "共5条");
        EXPECT_EQ(f.list_condition(), "");
        click(f, "Quit");
    });
}

TEST_F(Picker, MarkSortAndConfirmHandOverTheCheckedInventoriesInTheCaptionsOrder) {
    auto rs = pick([](frmReturnInvSet& f) {
        f.treeMenu().expand("m01");
        f.treeMenu().check_node("m01", true);
        EXPECT_EQ(f.list_condition(), "cInvCCode like '01%'");
        auto& list = f.ListView1();
        ASSERT_EQ(list.Rows(), 5);
        EXPECT_EQ(list.TextMatrix(0, 1), "存货编码");
        EXPECT_EQ(f.StatusBar1().panel_text(2), "共4条");
        list.click(2, 3);  // not the check column: no mark
        EXPECT_EQ(f.StatusBar1().panel_text(1), "第2条");
        for (long r : {1L, 2L, 4L}) list.click(r, 0);
        list.click(4, 0);
        list.click(3, 0);
        EXPECT_EQ(list.TextMatrix(3, 0), "√");
        EXPECT_EQ(list.TextMatrix(4, 0), "");
        EXPECT_EQ(f.mnuOrder().Caption(), "降序排列(&O)");
        list.select(1, 1);
        click(f, "Order");  // descending, case-insensitive
        EXPECT_EQ(f.mnuOrder().Caption(), "升序排列(&O)");
        std::vector<std::string> shown;
        for (long r = 1; r < list.Rows(); ++r) shown.push_back(std::string(list.TextMatrix(r, 1)) + std::string(list.TextMatrix(r, 0)));
        EXPECT_EQ(shown, (std::vector<std::string>{"P001", "M003√", "m002√", "M001√"}));
        click_ok(f);
    });
    ASSERT_TRUE(rs);
    EXPECT_EQ(testing::column(rs, "cInvCode"), (std::vector<std::string>{"M003", "m002", "M001"}));  // "升" in the caption: descending
    EXPECT_EQ(account.scalar("select count(*) from Inventory"), "5");  // nothing else written
}

TEST_F(Picker, NothingCheckedGivesAnEmptyResultAndQuitGivesNone) {
    auto rs = pick([](frmReturnInvSet& f) {
        f.treeMenu().check_node("m02", true);
        EXPECT_EQ(f.ListView1().Rows(), 2);
        click_ok(f);
    });
    ASSERT_TRUE(rs);
    EXPECT_EQ(rs->RecordCount(), 0);
    rs = pick([](frmReturnInvSet& f) {
        f.treeMenu().check_node("m02", true);
        f.ListView1().click(1, 0);
        click(f, "Quit");
    });
    EXPECT_FALSE(rs);
}

TEST_F(Picker, AConfirmWhoseCommandFailsStillClosesAndHandsNothingOver) {
    login = session::AccountLogin::create(session::LoginSettings{
        .connection_string = account.connection_string(), .operator_code = "demo", .session_tag = "x'y"});
    component::ReturnInvSet picker;
    picker.put_RecordsetValue(ado::Recordset::create());
    ui.on_show(frmReturnInvSet::kFormName, [](ui::Form& f) {
        auto& form = dynamic_cast<frmReturnInvSet&>(f);
        form.treeMenu().check_node("m02", true);
        form.ListView1().click(1, 0);
        click_ok(form);
        EXPECT_FALSE(form.loaded());
    });
    picker.frmShow(login, 1, std::string());
    auto kept = picker.RecordsetValue();
    ASSERT_TRUE(kept);  // neither replaced nor cleared
    EXPECT_EQ(kept->State(), ado::adStateClosed);
}

TEST_F(Picker, TheBaseConditionNarrowsEveryListAndSelectAllMarksThemAll) {
    ui.answer(ui::vb::vbOK);
    auto rs = pick(
        [](frmReturnInvSet& f) {
            f.treeMenu().check_node("m01", true);
            EXPECT_EQ(f.list_condition(), "cInvCode <> 'M001' AND cInvCCode like '01%'");
            EXPECT_EQ(f.ListView1().Rows(), 4);
            f.treeMenu().check_node("mRoot", true);
            EXPECT_EQ(f.list_condition(), "cInvCode <> 'M001'");
            click(f, "tlbSelAll");
            EXPECT_EQ(f.checked_codes().size(), 4u);
            click(f, "tlbSelAll");  // released: every mark cleared
            EXPECT_TRUE(f.checked_codes().empty());
            click(f, "tlbSelAll");
            click_ok(f);
        },
        "cInvCode <> 'M001'");
    EXPECT_EQ(testing::column(rs, "cInvCode"), (std::vector<std::string>{"F001", "m002", "M003", "P001"}));
}

TEST_F(Picker, AModelessPickerReturnsAtOnceAndConfirmsLater) {
    component::ReturnInvSet picker;
    picker.frmShow(login, ui::vbModeless, std::string("cInvCode <> 'M003'"));
    EXPECT_EQ(ui.shown_modeless(), (std::vector<std::string>{frmReturnInvSet::kFormName}));
    auto* f = dynamic_cast<frmReturnInvSet*>(component::module().selection_dialog.get());
    ASSERT_TRUE(f);
    EXPECT_TRUE(f->loaded());
    EXPECT_TRUE(f->visible());
    EXPECT_FALSE(picker.RecordsetValue());  // nothing handed over while it is open
    f->treeMenu().check_node("m01", true);
    EXPECT_EQ(f->list_condition(), "cInvCode <> 'M003' AND cInvCCode like '01%'");
    for (long r = 1; r < f->ListView1().Rows(); ++r)
        if (f->ListView1().TextMatrix(r, 1) != "P001") f->ListView1().click(r, 0);
    click_ok(*f);
    EXPECT_FALSE(f->loaded());
    ASSERT_TRUE(picker.RecordsetValue());
    EXPECT_EQ(testing::column(picker.RecordsetValue(), "cInvCode"), (std::vector<std::string>{"M001", "m002"}));
    EXPECT_TRUE(ui.messages().empty());
    EXPECT_EQ(ui.shown_modeless().size(), 1u);  // shown once, never modally
}

TEST_F(Picker, LocateRefusesARowBeyondTheListAndANonNumberAndKeepsTheRow) {
    pick([this](frmReturnInvSet& f) {
        f.treeMenu().check_node("m01", true);
        f.ListView1().select(2, 1);
        for (const char* answer : {"9", "abc", "0", "1.5"}) {
            ui.answer_input(answer);
            ui.answer(std::string("不正确的行数值 ") + answer + "\r\n请重新输入", ui::vb::vbOK);
            click(f, "Local");
            EXPECT_EQ(ui.messages().back().title, "系统提示");
            EXPECT_EQ(ui.messages().back().icon, ui::vb::vbInformation);
            EXPECT_EQ(f.ListView1().Row(), 2);
        }
        EXPECT_EQ(ui.prompts().back(), "定位行数|\r\n行数：");
        const auto shown = ui.messages().size();
        ui.answer_input("");  // nothing entered: nothing happens
        f.mnuLocal().click();
        EXPECT_EQ(ui.messages().size(), shown);
        ui.answer_input("4");
        f.mnuLocal().click();
        EXPECT_EQ(f.ListView1().Row(), 4);
        EXPECT_EQ(f.ListView1().TopRow(), 4);
        EXPECT_EQ(f.StatusBar1().panel_text(1), "第4条");
        click(f, "Quit");
    });
}

TEST(PickerToolbar, TheStoredStyleShowsOneToolbarAndBothRunTheSameActions) {
    testing::TestAccount account;
    auto permission = testing::logged_in(account.connection_string());
    for (const char* style : {"Text", "Flat"}) {
        testing::Services s(permission);
        registry::Registry hklm("HKEY_LOCAL_MACHINE", testing::temp_path("registry"));
        hklm.set_string("SOFTWARE\\Tarnell\\WF\\V8.520\\Appearance", "Toolbar Style", style);
        s.services.registry = &hklm;
        ado::RecordsetPtr result = ado::Recordset::create();
        std::string where;
        ado::ConnectionPtr con;
        frmReturnInvSet f(s.services, SelectionState{&result, &where, &con});
        f.Load();
        const bool text_style = std::string(style) == "Text";
        EXPECT_EQ(f.ToolbarControl().Visible(), text_style);
        EXPECT_EQ(f.tlbInvClass().Visible(), !text_style);
        if (text_style) {
            EXPECT_EQ(f.ToolbarControl().buttons().size(), 5u);
            f.ToolbarControl().click("Quit");
        } else {
            f.tlbInvClass().click("Quit");
        }
        EXPECT_FALSE(f.loaded());
        EXPECT_FALSE(result);
        EXPECT_EQ(con, permission->GetConnection());
    }
}

}  // namespace
}  // namespace korvane::invselect
