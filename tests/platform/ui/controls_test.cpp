#include "platform/ui/controls.h"

#include <gtest/gtest.h>

#include "tests/support/errors.h"

namespace korvane::ui {
namespace {

using testing::error_number;

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
