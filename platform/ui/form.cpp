#include "platform/ui/form.h"

#include <utility>

#include "platform/vb/error.h"

namespace korvane::ui {

Form::~Form() {
    if (auto detach = std::exchange(view_detach, nullptr)) detach();
}

// The view may let go of the form while it hears of the close, which
// clears the hook it is running from: it runs from a copy.
void Form::tell_view_closed() {
    if (auto closed = view_closed) closed();
}

void Form::adopt(std::unique_ptr<Control> c) {
    if (by_name_.count(c->Name())) err::raise(err::kInvalidCall, "a form control named " + c->Name() + " exists");
    by_name_[c->Name()] = c.get();
    c->set_parent(this);
    c->form_key_press = [this](int key_ascii) {
        if (key_preview_ && on_key_press) on_key_press(key_ascii);
        return key_ascii;
    };
    controls_.push_back(std::move(c));
}

Control& Form::control(const std::string& name) const {
    auto it = by_name_.find(name);
    if (it == by_name_.end()) err::raise(err::kInvalidCall, "no control named " + name + " on " + name_);
    return *it->second;
}

void Form::Load() {
    if (loaded_) return;
    loaded_ = true;
    if (on_load) on_load();
}

void Form::Show(int mode) {
    Load();
    if (!loaded_) return;  // Load may unload the form again
    const bool shown = visible_;
    visible_ = true;
    if (mode == vbModal) {
        modal_ = true;
        host_.show_modal(*this);
        modal_ = false;
    } else if (!shown) {
        host_.show_modeless(*this);
    }
}

void Form::Hide() {
    visible_ = false;
    tell_view_closed();
}

bool Form::Unload() {
    if (!loaded_) return true;
    bool cancel = false;
    if (on_query_unload) on_query_unload(cancel);
    if (cancel) return false;
    if (on_unload) on_unload();
    loaded_ = false;
    visible_ = false;
    focus_ = nullptr;
    tell_view_closed();
    return true;
}

bool Form::set_focus(Control* next) {
    if (moving_) {
        // A handler of the move puts the focus somewhere (usually back):
        // that wins once the move is over, as SetFocus in LostFocus does.
        refocus_ = next;
        refocus_asked_ = true;
        return true;
    }
    if (next == focus_) return true;
    if (next && (!next->Enabled() || !next->Visible())) err::raise(err::kInvalidCall, "the control cannot take the focus");
    moving_ = true;
    refocus_asked_ = false;
    if (focus_) {
        bool cancel = false;
        if (on_validate) on_validate(*focus_, next, cancel);
        if (cancel) {
            moving_ = false;
            return false;
        }
        if (on_lost_focus) on_lost_focus(*focus_);
    }
    focus_ = next;
    if (focus_ && on_got_focus) on_got_focus(*focus_);
    moving_ = false;
    if (view_focus && !refocus_asked_) view_focus(focus_);
    if (refocus_asked_ && refocus_ != focus_) {
        refocus_asked_ = false;
        Control* back = refocus_;
        if (focus_ && on_lost_focus) on_lost_focus(*focus_);
        focus_ = back;
        if (focus_ && on_got_focus) on_got_focus(*focus_);
        if (view_focus) view_focus(focus_);
        return false;
    }
    return true;
}

void Form::key_down(int key_code, int shift) {
    if (key_preview_ && on_key_down) {
        on_key_down(key_code, shift);
        if (key_code == 0) return;  // the form swallowed it
    }
    if (focus_ && on_control_key_down) on_control_key_down(*focus_, key_code, shift);
}

}  // namespace korvane::ui
