#include "platform/ui/form.h"

#include <gtest/gtest.h>

#include "tests/support/errors.h"

namespace korvane::ui {
namespace {

struct Host {
    std::vector<std::string> failures;
    HeadlessUi ui;
    Host() {
        ui.on_failure = [this](const std::string& what) { failures.push_back(what); };
    }
};

TEST(FormModel, ModalShowReturnsWhenTheScriptClosesTheForm) {
    Host h;
    Form f("frmRefSelect", h.ui);
    auto& ok = f.add<CommandButton>("cmdOK");
    std::vector<std::string> events;
    f.on_load = [&] { events.push_back("load"); };
    f.on_unload = [&] { events.push_back("unload"); };
    ok.on_click = [&] { f.Unload(); };
    h.ui.on_show("frmRefSelect", [](Form& form) { form.control_as<CommandButton>("cmdOK").click(); });
    f.Show(vbModal);
    EXPECT_FALSE(f.loaded());
    EXPECT_EQ(events, (std::vector<std::string>{"load", "unload"}));
    EXPECT_TRUE(h.failures.empty());
    EXPECT_EQ(testing::error_number([&] { f.add<Label>("cmdOK"); }), 5);
}

TEST(FormModel, AFormLeftOpenOrWithoutAScriptIsAFailure) {
    Host h;
    Form f("frmStockOrder", h.ui);
    f.Show(vbModal);
    EXPECT_EQ(h.failures.size(), 1u);
    h.ui.on_show("frmStockOrder", [](Form&) {});
    f.Show(vbModal);
    EXPECT_EQ(h.failures.size(), 2u);
    EXPECT_FALSE(f.visible());
}

TEST(FormModel, QueryUnloadCanKeepTheFormOpen) {
    Host h;
    Form f("frmCons", h.ui);
    f.on_query_unload = [](bool& cancel) { cancel = true; };
    f.Show();
    f.Show();  // already up: shown once
    EXPECT_TRUE(f.visible());
    EXPECT_EQ(h.ui.shown_modeless(), (std::vector<std::string>{"frmCons"}));
    EXPECT_FALSE(f.Unload());
    EXPECT_TRUE(f.loaded());
    f.on_query_unload = nullptr;
    EXPECT_TRUE(f.Unload());
}

TEST(FormModel, ValidateKeepsTheFocusAndKeyPreviewSeesKeysFirst) {
    Host h;
    Form f("frmStockOrder", h.ui);
    auto& date = f.add<TextBox>("txtDate");
    auto& code = f.add<TextBox>("txtCode");
    f.on_validate = [&](Control& c, Control* next, bool& cancel) {
        cancel = &c == &date && date.Text() == "2024-13-01" && next == &code;
    };
    std::vector<std::string> focus;
    f.on_got_focus = [&](Control& c) { focus.push_back("got " + c.Name()); };
    f.on_lost_focus = [&](Control& c) { focus.push_back("lost " + c.Name()); };
    EXPECT_TRUE(f.set_focus(&date));
    date.type_text("2024-13-01");
    EXPECT_FALSE(f.set_focus(&code));
    EXPECT_EQ(f.active_control(), &date);
    date.replace_text("2024-12-01");
    EXPECT_TRUE(f.set_focus(&code));
    EXPECT_EQ(focus, (std::vector<std::string>{"got txtDate", "lost txtDate", "got txtCode"}));

    std::vector<int> control_keys;
    f.on_control_key_down = [&](Control&, int& key, int) { control_keys.push_back(key); };
    f.on_key_down = [](int& key, int) {
        if (key == 27) key = 0;  // the form takes Esc for itself
    };
    f.key_down(27);
    f.key_down(13);
    EXPECT_EQ(control_keys, (std::vector<int>{27, 13}));  // without KeyPreview the control sees both
    control_keys.clear();
    f.put_KeyPreview(true);
    f.key_down(27);
    f.key_down(13);
    EXPECT_EQ(control_keys, (std::vector<int>{13}));
}

TEST(HeadlessUi, AnswersFromTheScriptAndRecordsEveryMessage) {
    Host r;
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
    Host r;
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
    Host r;
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
