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

}  // namespace
}  // namespace korvane::ui
