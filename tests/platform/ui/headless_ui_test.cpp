#include "platform/ui/ui_host.h"

#include <gtest/gtest.h>

namespace korvane::ui {
namespace {

struct Recorder {
    std::vector<std::string> failures;
    HeadlessUi ui;
    Recorder() {
        ui.on_failure = [this](const std::string& what) { failures.push_back(what); };
    }
};

TEST(HeadlessUi, AnswersFromTheScriptAndRecordsEveryMessage) {
    Recorder r;
    r.ui.answer("确认要选择全部存货吗?", vb::vbCancel);
    r.ui.answer(vb::vbYes);
    EXPECT_EQ(r.ui.MsgBox("确认要选择全部存货吗?", vb::vbOKCancel | vb::vbQuestion, "系统提示"), vb::vbCancel);
    EXPECT_EQ(r.ui.MsgBox("继续吗?", vb::vbYesNo | vb::vbExclamation | vb::vbDefaultButton2, "提示"), vb::vbYes);
    ASSERT_EQ(r.ui.messages().size(), 2u);
    const Message& m = r.ui.messages()[0];
    EXPECT_EQ(m.title, "系统提示");
    EXPECT_EQ(m.buttons, vb::vbOKCancel);
    EXPECT_EQ(m.icon, vb::vbQuestion);
    EXPECT_EQ(r.ui.messages()[1].default_button, 2);
    EXPECT_TRUE(r.ui.script_done());
    EXPECT_TRUE(r.failures.empty());
}

TEST(HeadlessUi, UnscriptedOrMismatchedMessagesFailLoudly) {
    Recorder r;
    EXPECT_EQ(r.ui.MsgBox("不正确的行数值 9", vb::vbInformation, "系统提示"), vb::vbOK);
    ASSERT_EQ(r.failures.size(), 1u);
    EXPECT_NE(r.failures[0].find("不正确的行数值 9"), std::string::npos);
    r.ui.answer("甲", vb::vbOK);
    r.ui.MsgBox("乙");
    EXPECT_EQ(r.failures.size(), 2u);
    r.ui.answer(vb::vbYes);  // not a button of an OK box
    r.ui.MsgBox("丙");
    EXPECT_EQ(r.failures.size(), 3u);
    EXPECT_EQ(r.ui.InputBox("\n行数：", "定位行数"), "");
    EXPECT_EQ(r.failures.size(), 4u);
    r.ui.auto_ok(true);
    r.ui.MsgBox("已保存");
    EXPECT_EQ(r.failures.size(), 4u);
    EXPECT_EQ(r.ui.messages().size(), 4u);
}

TEST(HeadlessUi, InputKeysAndPointerAreRecorded) {
    Recorder r;
    r.ui.answer_input("12");
    EXPECT_EQ(r.ui.InputBox("\n行数：", "定位行数"), "12");
    EXPECT_EQ(r.ui.prompts().at(0), "定位行数|\n行数：");
    r.ui.SendKeys("{HOME}+{END}");
    r.ui.Beep();
    r.ui.set_mouse_pointer(11);
    EXPECT_EQ(r.ui.sent_keys().at(0), "{HOME}+{END}");
    EXPECT_EQ(r.ui.beeps(), 1);
    EXPECT_EQ(r.ui.mouse_pointer(), 11);
    EXPECT_TRUE(r.failures.empty());
}

}  // namespace
}  // namespace korvane::ui
