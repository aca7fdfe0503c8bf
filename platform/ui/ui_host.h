// UiHost: everything a form asks of the person in front of it goes through
// here, so that a test answers from a script and the Qt host with widgets.
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace korvane::ui {

class Form;
class Menu;

// VB's MsgBox flags and results.
namespace vb {
inline constexpr int vbOKOnly = 0, vbOKCancel = 1, vbAbortRetryIgnore = 2, vbYesNoCancel = 3, vbYesNo = 4,
                     vbRetryCancel = 5;
inline constexpr int vbCritical = 16, vbQuestion = 32, vbExclamation = 48, vbInformation = 64;
inline constexpr int vbDefaultButton1 = 0, vbDefaultButton2 = 256, vbDefaultButton3 = 512;
inline constexpr int vbOK = 1, vbCancel = 2, vbAbort = 3, vbRetry = 4, vbIgnore = 5, vbYes = 6, vbNo = 7;
}  // namespace vb

// One MsgBox as the form asked it.
struct Message {
    std::string text;
    int buttons = vb::vbOKOnly;  // flags & 7
    int icon = 0;                // flags & 0x70
    int default_button = 1;      // 1 to 3
    std::string title;

    static Message from_flags(std::string_view text, int flags, std::string_view title);
    // The results this message's buttons can give, in button order.
    std::vector<int> results() const;
};

class UiHost {
public:
    virtual ~UiHost() = default;
    // VB's MsgBox: the result code of the button pressed.
    virtual int MsgBox(std::string_view prompt, int flags = vb::vbOKOnly, std::string_view title = {}) = 0;
    // VB's InputBox: the text entered, "" when cancelled.
    virtual std::string InputBox(std::string_view prompt, std::string_view title = {},
                                 std::string_view default_text = {}) = 0;
    virtual void Beep() = 0;
    // "{ESC}", "{HOME}+{END}" and the like, to the control that has the focus.
    virtual void SendKeys(std::string_view keys) = 0;
    // VB's MousePointer: 0 default, 11 hourglass.
    virtual void set_mouse_pointer(int pointer) = 0;
    virtual int mouse_pointer() const = 0;
    // Runs the form modally: returns when it is hidden or unloaded.
    virtual void show_modal(Form& form) = 0;
    // Shows the form and returns at once; it stays up until it hides or
    // unloads itself, or the person closes it.
    virtual void show_modeless(Form& form) = 0;
    // Shows a pop-up menu at the mouse; the chosen item's click runs before
    // it returns (nothing runs when the user dismisses the menu).
    virtual void popup_menu(Form& form, Menu& menu) = 0;

    // VB's App.Title: the host window's caption prefix.
    const std::string& app_title() const { return app_title_; }
    virtual void set_app_title(std::string title) { app_title_ = std::move(title); }

private:
    std::string app_title_;
};

// Answers from a script and records what was asked. An unexpected message,
// a message that differs from the one scripted, or an empty queue is a
// failure, reported through on_failure (tests make it a test failure; by
// default the process stops, so nothing slips through unnoticed).
class HeadlessUi : public UiHost {
public:
    struct Answer {
        std::optional<std::string> expected_text;  // checked when given
        int result;
    };

    HeadlessUi();

    void answer(int result) { answers_.push_back({std::nullopt, result}); }
    void answer(std::string expected_text, int result) { answers_.push_back({std::move(expected_text), result}); }
    void answer_input(std::string text) { inputs_.push_back(std::move(text)); }
    // Plain information boxes (OK only) are answered OK without a script entry when set.
    void auto_ok(bool on) { auto_ok_ = on; }

    int MsgBox(std::string_view prompt, int flags = vb::vbOKOnly, std::string_view title = {}) override;
    std::string InputBox(std::string_view prompt, std::string_view title = {},
                         std::string_view default_text = {}) override;
    void Beep() override { ++beeps_; }
    void SendKeys(std::string_view keys) override { keys_.emplace_back(keys); }
    void set_mouse_pointer(int pointer) override { pointer_ = pointer; }
    int mouse_pointer() const override { return pointer_; }
    // Runs the form's on-show script (by form name); a form the script
    // leaves open is a failure, since a person would still be looking at it.
    void show_modal(Form& form) override;
    void on_show(std::string form_name, std::function<void(Form&)> script);
    // Notes the form and returns: the test drives a modeless form itself,
    // after the call that showed it.
    void show_modeless(Form& form) override;
    // The names of the forms shown modelessly, in order.
    const std::vector<std::string>& shown_modeless() const { return modeless_; }
    // The next pop-up menu picks the item of this name ("" dismisses it).
    void answer_menu(std::string item_name) { menus_.push_back(std::move(item_name)); }
    void popup_menu(Form& form, Menu& menu) override;
    const std::vector<std::string>& popups() const { return popups_; }

    const std::vector<Message>& messages() const { return messages_; }
    const std::vector<std::string>& prompts() const { return prompts_; }
    const std::vector<std::string>& sent_keys() const { return keys_; }
    int beeps() const { return beeps_; }
    bool script_done() const;
    void clear();

    std::function<void(const std::string&)> on_failure;

private:
    void fail(const std::string& what);

    std::map<std::string, std::deque<std::function<void(Form&)>>> scripts_;
    std::deque<Answer> answers_;
    std::deque<std::string> inputs_;
    std::deque<std::string> menus_;
    std::vector<std::string> popups_;
    std::vector<std::string> modeless_;
    std::vector<Message> messages_;
    std::vector<std::string> prompts_;
    std::vector<std::string> keys_;
    int beeps_ = 0;
    int pointer_ = 0;
    bool auto_ok_ = false;
};

}  // namespace korvane::ui
