#include <gtest/gtest.h>

#include "platform/ui/bars.h"
#include "platform/ui/controls.h"
#include "platform/ui/form.h"
#include "platform/ui/head_items.h"
#include "platform/ui/lists.h"
#include "tests/support/errors.h"

namespace korvane::ui {
namespace {

using testing::error_number;

TEST(ListViewModel, KeyedItemsWithSubItemsAndChecks) {
    ListView lv("lstParent");
    lv.put_Checkboxes(true);
    lv.add_column("cCode", "cCode");
    lv.add_column("cInvCode", "cInvCode");
    for (int i = 0; i < 2000; ++i) lv.add_item("k" + std::to_string(i), "MO" + std::to_string(i)).put_SubItems(2, "x");
    EXPECT_EQ(lv.item("K1999").text, "MO1999");  // keys compare without case
    EXPECT_EQ(lv.item(1).SubItems(1), "");
    EXPECT_EQ(lv.item(1).SubItems(2), "x");
    EXPECT_EQ(error_number([&] { lv.add_item("k5", "dup"); }), 35602);
    EXPECT_EQ(error_number([&] { lv.add_item("5", "digit"); }), 35603);
    EXPECT_EQ(error_number([&] { lv.item("k-1"); }), 35601);
    EXPECT_EQ(error_number([&] { lv.item(0L); }), 35600);
    lv.remove_item(1);
    EXPECT_EQ(lv.index_of("k1"), 1);
    EXPECT_EQ(lv.index_of("k0"), 0);

    std::vector<std::string> checked;
    lv.on_item_check = [&](ListView::ListItem& it) {
        checked.push_back(it.key);
        // one checked at a time, as the order list wants
        for (long i = 1; i <= lv.item_count(); ++i)
            if (lv.item(i).checked && lv.item(i).key != it.key) lv.item(i).checked = false;
    };
    lv.check_item(3, true);
    lv.check_item(5, true);
    lv.check_item(5, true);  // no change, no event
    EXPECT_EQ(checked, (std::vector<std::string>{"k3", "k5"}));
    EXPECT_FALSE(lv.item(3).checked);
    EXPECT_TRUE(lv.item(5).checked);
}

TEST(TreeViewModel, LazyChildrenOnExpandAndNodeChecks) {
    TreeView tv("treeMenu");
    tv.put_Checkboxes(true);
    int loads = 0;
    tv.on_expand = [&](TreeView::Node& n) {
        if (!n.children.empty()) return;
        ++loads;
        tv.add_node(n.key, n.key + "01", "子类", "folder");
        tv.add_node(n.key, n.key + "02", "末级", "li");
    };
    tv.add_node("", "mRoot", "存货", "folder");
    tv.expand("mRoot");
    tv.expand("mroot");  // already expanded
    tv.collapse("mRoot");
    tv.expand("mRoot");  // children are there: no second load
    EXPECT_EQ(loads, 1);
    EXPECT_EQ(tv.node("mRoot").children, (std::vector<std::string>{"mRoot01", "mRoot02"}));
    EXPECT_EQ(tv.node("mRoot02").parent, "mRoot");
    EXPECT_EQ(error_number([&] { tv.add_node("mNone", "mX", "x"); }), 35601);
    EXPECT_EQ(error_number([&] { tv.add_node("", "MROOT", "x"); }), 35602);

    tv.on_node_check = [&](TreeView::Node& n) {
        if (n.key == "mRoot") tv.put_checked("mRoot", false);  // the user cancelled
    };
    tv.check_node("mRoot", true);
    tv.check_node("mRoot01", true);
    EXPECT_FALSE(tv.node("mRoot").checked);
    EXPECT_TRUE(tv.node("mRoot01").checked);
    tv.remove_node("mRoot");
    EXPECT_EQ(tv.node_count(), 0);
    EXPECT_FALSE(tv.has_node("mRoot01"));
}

TEST(HeadItemModel, ARefusedCommitKeepsTheTextForCorrection) {
    HeadItem q("hdiQuantity");
    q.put_Caption("数量");
    q.put_Value("10.00");
    int changes = 0;
    q.on_changed_value = [&] { ++changes; };
    q.on_commit = [](std::string& text, bool& cancel) {
        if (!text.empty() && text[0] == '-') cancel = true;
        else text += ".00";
    };
    EXPECT_FALSE(q.commit("-1"));
    EXPECT_EQ(q.Value(), "10.00");
    EXPECT_EQ(q.EditText(), "-1");
    EXPECT_TRUE(q.commit("12"));
    EXPECT_EQ(q.Value(), "12.00");
    EXPECT_EQ(q.EditText(), "12.00");
    q.put_Editable(false);
    EXPECT_FALSE(q.commit("13"));
    EXPECT_EQ(changes, 1);
}

TEST(TabsAndMenus, TabsOwnTheirControlsAndPopupsRunTheChosenItem) {
    HeadlessUi ui;
    std::vector<std::string> failures;
    ui.on_failure = [&](const std::string& w) { failures.push_back(w); };
    Form f("frmStockOrder", ui);
    auto& tabs = f.add<TabStrip>("SSTab1");
    tabs.add_tab("采购订单");
    tabs.add_tab("采购到货单");
    auto& heads = f.add<Grid>("lstDhdHead");
    tabs.place(heads, 1);
    long previous = -1;
    tabs.on_click = [&](long p) { previous = p; };
    tabs.put_TabEnabled(1, false);
    tabs.click_tab(1);
    EXPECT_EQ(tabs.Tab(), 0);
    tabs.put_TabEnabled(1, true);
    tabs.click_tab(1);
    EXPECT_EQ(tabs.Tab(), 1);
    EXPECT_EQ(previous, 0);
    EXPECT_EQ(tabs.tab_of(heads), 1);

    auto& popup = f.add<Menu>("mnuYJCD");
    auto& copy = f.add<Menu>("mnuCopyLine");
    auto& clear = f.add<Menu>("mnuClearAll");
    popup.add_item(copy);
    popup.add_item(clear);
    int cleared = 0;
    clear.on_click = [&] { ++cleared; };
    ui.answer_menu("mnuClearAll");
    ui.answer_menu("");
    f.PopupMenu(popup);
    f.PopupMenu(popup);
    EXPECT_EQ(cleared, 1);
    EXPECT_TRUE(failures.empty());
    f.PopupMenu(popup);  // nothing scripted
    EXPECT_EQ(failures.size(), 1u);
    EXPECT_EQ(ui.popups().size(), 3u);
}

TEST(ToolbarModel, KeyedButtonsClickAndToggle) {
    Toolbar tlb("tlbInvClass");
    std::vector<std::string> clicked;
    tlb.on_button_click = [&](Toolbar::Button& b) { clicked.push_back(b.key + (b.pressed ? "+" : "")); };
    tlb.add_button("Ok", "确定");
    tlb.add_button("tlbSelAll", "全选", true);
    tlb.add_button("Quit", "退出");
    EXPECT_EQ(error_number([&] { tlb.add_button("Ok", "again"); }), 35602);
    EXPECT_EQ(tlb.buttons().size(), 3u);
    tlb.click("tlbSelAll");
    tlb.click("tlbSelAll");
    tlb.set_enabled("Ok", false);
    tlb.click("Ok");
    tlb.click("Quit");
    EXPECT_EQ(clicked, (std::vector<std::string>{"tlbSelAll+", "tlbSelAll", "Quit"}));
    EXPECT_EQ(error_number([&] { tlb.click("Nope"); }), 35601);
}

TEST(StatusBarModel, PanelsAreOneBased) {
    StatusBar bar("StatusBar1");
    bar.add_panel();
    bar.add_panel();
    bar.set_panel_text(1, "第3条");
    bar.set_panel_text(2, "共120条");
    EXPECT_EQ(bar.panel_text(2), "共120条");
    EXPECT_EQ(error_number([&] { bar.set_panel_text(3, "x"); }), 35600);
    EXPECT_EQ(error_number([&] { (void)bar.panel_text(0); }), 35600);
}

TEST(TextBoxModel, KeyFilterHoldsForTypingAndPastingAlike) {
    TextBox box("txtCode");
    int changes = 0;
    box.on_change = [&] { ++changes; };
    box.on_key_press = [](int key) { return key == '\'' || key == '%' ? 0 : key; };
    box.type_text("A'0%1");
    EXPECT_EQ(box.Text(), "A01");
    box.replace_text("螺'栓");
    EXPECT_EQ(box.Text(), "螺栓");
    EXPECT_EQ(changes, 2);
    box.replace_text("螺栓");  // same text: no Change
    EXPECT_EQ(changes, 2);
    box.put_MaxLength(3);
    box.type_text("ABCD");
    EXPECT_EQ(box.Text(), "螺栓A");  // three characters, not bytes
    box.put_Locked(true);
    box.type_text("X");
    EXPECT_EQ(box.Text(), "螺栓A");
    EXPECT_EQ(changes, 3);
}

TEST(ButtonAndCheckModels, ClicksRespectEnabledAndValues) {
    CommandButton ok("cmdOK");
    int clicks = 0;
    ok.on_click = [&] { ++clicks; };
    ok.click();
    ok.put_Enabled(false);
    ok.click();
    EXPECT_EQ(clicks, 1);
    CheckBox chk("chkEdit");
    int toggles = 0;
    chk.on_click = [&] { ++toggles; };
    chk.click();
    EXPECT_EQ(chk.Value(), 1);
    chk.put_Value(2);
    chk.click();
    EXPECT_EQ(chk.Value(), 1);
    EXPECT_EQ(error_number([&] { chk.put_Value(3); }), 380);
    EXPECT_EQ(chk.Value(), 1);
    EXPECT_EQ(toggles, 3);
}

TEST(ComboAndGeometry, ListIndexAndChangeNotifications) {
    ComboBox cmb("cmbType");
    std::vector<std::string> seen;
    cmb.on_changed = [&](Control&, std::string_view p) { seen.emplace_back(p); };
    cmb.AddItem("采购订单");
    cmb.AddItem("到货单");
    cmb.put_ListIndex(1);
    EXPECT_EQ(cmb.Text(), "到货单");
    EXPECT_EQ(error_number([&] { cmb.put_ListIndex(2); }), 380);
    EXPECT_EQ(error_number([&] { (void)cmb.List(5); }), 381);
    EXPECT_EQ(cmb.ListIndex(), 1);
    cmb.Move(120, 240, 2400, 300);
    cmb.Move(120, 240, 2400, 300);  // no change, no notice
    EXPECT_EQ(seen, (std::vector<std::string>{"List", "List", "ListIndex", "Geometry"}));
}

TEST(ComboAndGeometry, DropDownFillsTheListBeforeItShows) {
    ComboBox cmb("cmbWh");
    cmb.AddItem("旧");
    int drops = 0, clicks = 0;
    cmb.on_click = [&] { ++clicks; };
    cmb.on_drop_down = [&] {
        ++drops;
        cmb.Clear();
        cmb.AddItem("成品库");
        cmb.AddItem("原料库");
    };
    cmb.drop_down();
    EXPECT_EQ(drops, 1);
    ASSERT_EQ(cmb.ListCount(), 2);
    EXPECT_EQ(cmb.List(1), "原料库");
    EXPECT_EQ(cmb.ListIndex(), -1) << "opening the list chooses nothing";
    cmb.put_ListIndex(0);
    cmb.put_Enabled(false);
    cmb.drop_down();
    cmb.put_Enabled(true);
    cmb.put_Visible(false);
    cmb.drop_down();
    EXPECT_EQ(drops, 1);
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(cmb.Text(), "成品库");
}

}  // namespace
}  // namespace korvane::ui
