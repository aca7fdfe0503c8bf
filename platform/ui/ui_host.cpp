#include "platform/ui/ui_host.h"

#include <cstdio>
#include <cstdlib>

#include "platform/ui/form.h"
#include "platform/ui/tabs_menus.h"

namespace korvane::ui {

Message Message::from_flags(std::string_view text, int flags, std::string_view title) {
    Message m;
    m.text = std::string(text);
    m.buttons = flags & 7;
    m.icon = flags & 0x70;
    m.default_button = ((flags & 0x300) >> 8) + 1;
    m.title = std::string(title);
    return m;
}

std::vector<int> Message::results() const {
    switch (buttons) {
    case vb::vbOKCancel: return {vb::vbOK, vb::vbCancel};
    case vb::vbAbortRetryIgnore: return {vb::vbAbort, vb::vbRetry, vb::vbIgnore};
    case vb::vbYesNoCancel: return {vb::vbYes, vb::vbNo, vb::vbCancel};
    case vb::vbYesNo: return {vb::vbYes, vb::vbNo};
    case vb::vbRetryCancel: return {vb::vbRetry, vb::vbCancel};
    default: return {vb::vbOK};
    }
}

HeadlessUi::HeadlessUi() {
    on_failure = [](const std::string& what) {
        std::fprintf(stderr, "HeadlessUi: %s\n", what.c_str());
        std::abort();
    };
}

void HeadlessUi::fail(const std::string& what) {
    if (on_failure) on_failure(what);
}

int HeadlessUi::MsgBox(std::string_view prompt, int flags, std::string_view title) {
    Message m = Message::from_flags(prompt, flags, title);
    messages_.push_back(m);
    auto results = m.results();
    if (answers_.empty()) {
        if (auto_ok_ && m.buttons == vb::vbOKOnly) return vb::vbOK;
        fail("unexpected message \"" + m.text + "\" (title \"" + m.title + "\"): no answer scripted");
        return results[static_cast<std::size_t>(m.default_button - 1) % results.size()];
    }
    Answer a = answers_.front();
    answers_.pop_front();
    if (a.expected_text && *a.expected_text != m.text)
        fail("message \"" + m.text + "\" where \"" + *a.expected_text + "\" was scripted");
    bool offered = false;
    for (int r : results) offered = offered || r == a.result;
    if (!offered) fail("scripted answer " + std::to_string(a.result) + " is not a button of \"" + m.text + "\"");
    return a.result;
}

std::string HeadlessUi::InputBox(std::string_view prompt, std::string_view title, std::string_view) {
    prompts_.push_back(std::string(title) + "|" + std::string(prompt));
    if (inputs_.empty()) {
        fail("unexpected input box \"" + std::string(prompt) + "\": no answer scripted");
        return {};
    }
    std::string text = inputs_.front();
    inputs_.pop_front();
    return text;
}

void HeadlessUi::on_show(std::string form_name, std::function<void(Form&)> script) {
    scripts_[std::move(form_name)].push_back(std::move(script));
}

void HeadlessUi::show_modal(Form& form) {
    auto it = scripts_.find(form.Name());
    if (it == scripts_.end() || it->second.empty()) {
        fail("form " + form.Name() + " shown modally with no script to run it");
        form.Hide();
        return;
    }
    auto script = std::move(it->second.front());
    it->second.pop_front();
    script(form);
    if (form.loaded() && form.visible()) {
        fail("form " + form.Name() + " is still open after its script");
        form.Hide();
    }
}

void HeadlessUi::show_modeless(Form& form) { modeless_.push_back(form.Name()); }

void HeadlessUi::popup_menu(Form& form, Menu& menu) {
    popups_.push_back(menu.Name());
    if (menus_.empty()) {
        fail("pop-up menu " + menu.Name() + " on " + form.Name() + " with no choice scripted");
        return;
    }
    std::string pick = menus_.front();
    menus_.pop_front();
    if (pick.empty()) return;
    for (Menu* item : menu.items())
        if (item->Name() == pick) {
            if (!item->Enabled() || !item->Visible()) fail("menu item " + pick + " cannot be chosen");
            item->click();
            return;
        }
    fail("pop-up menu " + menu.Name() + " has no item " + pick);
}

bool HeadlessUi::script_done() const {
    for (const auto& [name, scripts] : scripts_)
        if (!scripts.empty()) return false;
    return answers_.empty() && inputs_.empty() && menus_.empty();
}

void HeadlessUi::clear() {
    scripts_.clear();
    answers_.clear();
    inputs_.clear();
    menus_.clear();
    popups_.clear();
    modeless_.clear();
    messages_.clear();
    prompts_.clear();
    keys_.clear();
    beeps_ = 0;
}

}  // namespace korvane::ui
