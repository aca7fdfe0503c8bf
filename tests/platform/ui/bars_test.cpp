#include "platform/ui/bars.h"

#include <gtest/gtest.h>

#include "tests/support/errors.h"

namespace korvane::ui {
namespace {

using testing::error_number;

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

}  // namespace
}  // namespace korvane::ui
