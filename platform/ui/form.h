// Form: a window's model. It owns its controls, runs Load/Unload, shows
// itself modally or not through its UiHost, and routes keys and focus as VB
// does (KeyPreview lets the form see keys first; Validate can keep the focus).
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/ui/controls.h"
#include "platform/ui/tabs_menus.h"
#include "platform/ui/ui_host.h"

namespace korvane::ui {

inline constexpr int vbModeless = 0;
inline constexpr int vbModal = 1;

class Form {
public:
    Form(std::string name, UiHost& host) : name_(std::move(name)), host_(host) {}
    virtual ~Form();
    Form(const Form&) = delete;
    Form& operator=(const Form&) = delete;

    const std::string& Name() const { return name_; }
    UiHost& host() { return host_; }
    const std::string& Caption() const { return caption_; }
    void put_Caption(std::string c) { caption_ = std::move(c); }
    bool KeyPreview() const { return key_preview_; }
    void put_KeyPreview(bool v) { key_preview_ = v; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    void resize(int width, int height) { width_ = width; height_ = height; }
    // Screen position in twips; -1 lets the host centre the window.
    int Left() const { return left_; }
    int Top() const { return top_; }
    void put_position(int left, int top) { left_ = left; top_ = top; }

    // Creates a control of the form; names are unique (error 5 otherwise).
    template <class T>
    T& add(std::string name) {
        auto owned = std::make_unique<T>(name);
        T& ref = *owned;
        adopt(std::move(owned));
        return ref;
    }
    // 5 when the form has no control of that name.
    Control& control(const std::string& name) const;
    template <class T>
    T& control_as(const std::string& name) const { return dynamic_cast<T&>(control(name)); }
    const std::vector<std::unique_ptr<Control>>& controls() const { return controls_; }

    bool loaded() const { return loaded_; }
    bool visible() const { return visible_; }
    bool modal() const { return modal_; }
    void Load();
    // Shows the form; a modal show returns when the form is hidden or
    // unloaded, a modeless one at once (showing a shown form again changes nothing).
    void Show(int mode = vbModeless);
    void Hide();
    // QueryUnload may cancel; true when the form is gone.
    bool Unload();

    // The focus moves to `next`: the current control's Validate may keep it.
    // True when the focus moved.
    bool set_focus(Control* next);
    Control* active_control() const { return focus_; }
    // VB's PopupMenu: the host shows it and runs the chosen item.
    void PopupMenu(Menu& menu) { host_.popup_menu(*this, menu); }
    // A key pressed in the control that has the focus (VB KeyCode, Shift).
    void key_down(int key_code, int shift = 0);

    // Events, set by the concrete form.
    std::function<void()> on_load;
    std::function<void(bool& cancel)> on_query_unload;
    std::function<void()> on_unload;
    std::function<void(int& key_code, int shift)> on_key_down;                        // KeyPreview
    std::function<void(int& key_ascii)> on_key_press;                                 // KeyPreview, 0 swallows
    std::function<void(Control& c, int& key_code, int shift)> on_control_key_down;   // after the form
    std::function<void(Control& c, Control* next, bool& cancel)> on_validate;
    std::function<void(Control& c)> on_got_focus;
    std::function<void(Control& c)> on_lost_focus;
    // The view's hooks: the form was hidden or unloaded; the focus moved;
    // the form is going, and a window still showing it must let go of it.
    std::function<void()> view_closed;
    std::function<void(Control*)> view_focus;
    std::function<void()> view_detach;

private:
    void adopt(std::unique_ptr<Control> c);
    void tell_view_closed();

    std::string name_;
    UiHost& host_;
    std::string caption_;
    bool key_preview_ = false;
    int width_ = 9000, height_ = 6000, left_ = -1, top_ = -1;
    bool loaded_ = false, visible_ = false, modal_ = false;
    std::vector<std::unique_ptr<Control>> controls_;
    std::map<std::string, Control*> by_name_;
    Control* focus_ = nullptr;
    bool moving_ = false, refocus_asked_ = false;
    Control* refocus_ = nullptr;
};

}  // namespace korvane::ui
