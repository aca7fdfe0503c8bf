#include "platform/ui/bars.h"

#include "platform/vb/error.h"

namespace korvane::ui {

Toolbar::Button& Toolbar::add_button(std::string key, std::string caption, bool check) {
    for (const auto& b : buttons_)
        if (!key.empty() && b.key == key) err::raise(err::kKeyNotUnique, "Key is not unique in collection");
    buttons_.push_back({std::move(key), std::move(caption), {}, true, true, check, false, {}});
    changed("Buttons");
    return buttons_.back();
}

Toolbar::Button& Toolbar::button(const std::string& key) {
    for (auto& b : buttons_)
        if (b.key == key) return b;
    err::raise(err::kElementNotFound, "Element not found");
}

void Toolbar::set_enabled(const std::string& key, bool enabled) {
    Button& b = button(key);
    if (b.enabled == enabled) return;
    b.enabled = enabled;
    changed("Buttons");
}

Toolbar::Button& Toolbar::button_at(long index) {
    if (index < 1 || index > static_cast<long>(buttons_.size())) err::raise(err::kIndexOutOfBounds, "Index out of bounds");
    return buttons_[static_cast<std::size_t>(index - 1)];
}

void Toolbar::set_image(const std::string& key, std::string image) {
    button(key).image = std::move(image);
    changed("Buttons");
}

void Toolbar::click(const std::string& key) {
    Button& b = button(key);
    if (!Enabled() || !Visible() || !b.enabled || !b.visible) return;
    if (b.check) {
        b.pressed = !b.pressed;
        changed("Buttons");
    }
    if (on_button_click) on_button_click(b);
}

void StatusBar::add_panel(std::string key, int width) {
    panels_.push_back({std::move(key), {}, width});
    changed("Panels");
}

const std::string& StatusBar::panel_text(long index) const {
    if (index < 1 || index > panel_count()) err::raise(err::kIndexOutOfBounds, "Index out of bounds");
    return panels_[static_cast<std::size_t>(index - 1)].text;
}

void StatusBar::set_panel_text(long index, std::string text) {
    if (index < 1 || index > panel_count()) err::raise(err::kIndexOutOfBounds, "Index out of bounds");
    auto& p = panels_[static_cast<std::size_t>(index - 1)];
    if (p.text == text) return;
    p.text = std::move(text);
    changed("Panels");
}

}  // namespace korvane::ui
