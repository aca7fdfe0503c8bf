// Toolbars with keyed buttons and status bars with panels.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/ui/controls.h"

namespace korvane::ui {

class Toolbar : public Control {
public:
    struct Button {
        std::string key;
        std::string caption;
        std::string tooltip;
        bool enabled = true;
        bool visible = true;
        bool check = false;  // a check-style button stays pressed
        bool pressed = false;
        std::string image;  // key into the toolbar's image list
    };
    using Control::Control;

    // Keys are unique (error 35602 "Key is not unique in collection").
    Button& add_button(std::string key, std::string caption, bool check = false);
    // 35601 "Element not found" for an unknown key.
    Button& button(const std::string& key);
    // 1-based as Buttons(i); 35600 outside.
    Button& button_at(long index);
    const std::vector<Button>& buttons() const { return buttons_; }
    void set_enabled(const std::string& key, bool enabled);
    // The user's click: a check button toggles first; a disabled or hidden
    // button does nothing.
    void click(const std::string& key);
    std::function<void(Button&)> on_button_click;
    // Display mode of the visible toolbar (1 text under pictures, 2 pictures only).
    int Style() const { return style_; }
    void put_Style(int v) { set(style_, v, "Style"); }
    void set_image(const std::string& key, std::string image);

private:
    std::vector<Button> buttons_;
    int style_ = 1;
};

class StatusBar : public Control {
public:
    using Control::Control;
    void add_panel(std::string key = {}, int width = 1440);
    long panel_count() const { return static_cast<long>(panels_.size()); }
    // 1-based as VB's Panels(i); 35600 "Index out of bounds" outside.
    const std::string& panel_text(long index) const;
    void set_panel_text(long index, std::string text);

private:
    struct Panel {
        std::string key, text;
        int width;
    };
    std::vector<Panel> panels_;
};

}  // namespace korvane::ui
