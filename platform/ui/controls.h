// Plain control models: the state a VB control carries and the user actions
// on it as methods, so tests and the Qt view drive the same code. A view
// keeps in step through on_changed, which names the property that changed.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace korvane::ui {

class Form;

class Control {
public:
    explicit Control(std::string name) : name_(std::move(name)) {}
    virtual ~Control() = default;
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;

    const std::string& Name() const { return name_; }
    // The form that owns the control; null for a free-standing one.
    Form* Parent() const { return parent_; }
    void set_parent(Form* f) { parent_ = f; }
    // Geometry in twips, as the forms lay themselves out.
    int Left() const { return left_; }
    int Top() const { return top_; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    void Move(int left, int top, int width, int height);
    void put_Left(int v) { Move(v, top_, width_, height_); }
    void put_Top(int v) { Move(left_, v, width_, height_); }
    void put_Width(int v) { Move(left_, top_, v, height_); }
    void put_Height(int v) { Move(left_, top_, width_, v); }

    bool Visible() const { return visible_; }
    void put_Visible(bool v) { set(visible_, v, "Visible"); }
    bool Enabled() const { return enabled_; }
    void put_Enabled(bool v) { set(enabled_, v, "Enabled"); }
    const std::string& Tag() const { return tag_; }
    void put_Tag(std::string v) { tag_ = std::move(v); }
    const std::string& ToolTipText() const { return tooltip_; }
    void put_ToolTipText(std::string v) { set(tooltip_, std::move(v), "ToolTipText"); }

    // The view's hook: called after a property changed, with its name.
    std::function<void(Control&, std::string_view)> on_changed;
    // Set by the owning form: its KeyPress handler sees every typed
    // character first (KeyPreview) and may swallow it by returning 0.
    std::function<int(int key_ascii)> form_key_press;

    // The characters of `text` that survive the form's and the control's
    // key handlers, appended to `base` up to max_chars characters (0: no limit).
    std::string filter_typed(std::string base, std::string_view text,
                             const std::function<int(int)>& own = {}, long max_chars = 0) const;

protected:
    template <class T>
    void set(T& field, T value, std::string_view property) {
        if (field == value) return;
        field = std::move(value);
        changed(property);
    }
    void changed(std::string_view property) {
        if (on_changed) on_changed(*this, property);
    }

private:
    std::string name_;
    Form* parent_ = nullptr;
    int left_ = 0, top_ = 0, width_ = 1200, height_ = 315;
    bool visible_ = true, enabled_ = true;
    std::string tag_, tooltip_;
};

class Label : public Control {
public:
    using Control::Control;
    const std::string& Caption() const { return caption_; }
    void put_Caption(std::string v) { set(caption_, std::move(v), "Caption"); }

private:
    std::string caption_;
};

class CommandButton : public Control {
public:
    using Control::Control;
    const std::string& Caption() const { return caption_; }
    void put_Caption(std::string v) { set(caption_, std::move(v), "Caption"); }
    // The picture, as a resource number of the host's picture library (0 none).
    int Picture() const { return picture_; }
    void put_Picture(int resource) { set(picture_, resource, "Picture"); }
    // The user's click; a disabled or hidden button does nothing.
    void click();
    std::function<void()> on_click;

private:
    std::string caption_;
    int picture_ = 0;
};

class CheckBox : public Control {
public:
    using Control::Control;
    const std::string& Caption() const { return caption_; }
    void put_Caption(std::string v) { set(caption_, std::move(v), "Caption"); }
    // 0 unchecked, 1 checked, 2 greyed; other values are refused (error 380).
    int Value() const { return value_; }
    void put_Value(int v);
    // The user's click: toggles between 0 and 1, then raises Click.
    void click();
    std::function<void()> on_click;

private:
    std::string caption_;
    int value_ = 0;
};

class TextBox : public Control {
public:
    using Control::Control;
    const std::string& Text() const { return text_; }
    // Setting the text from code raises Change, as VB does.
    void put_Text(std::string v);
    bool Locked() const { return locked_; }
    void put_Locked(bool v) { set(locked_, v, "Locked"); }
    int MaxLength() const { return max_length_; }
    void put_MaxLength(int v) { set(max_length_, v, "MaxLength"); }
    // The selection, in characters.
    int SelStart() const { return sel_start_; }
    int SelLength() const { return sel_length_; }
    void select(int start, int length) { sel_start_ = start; sel_length_ = length; changed("Selection"); }
    // The text's length in UTF-16 units, as VB's Len counts.
    int length() const;

    // What a reference field is linked to (its code, name or id).
    const std::string& LinkItem() const { return link_item_; }
    void put_LinkItem(std::string v) { link_item_ = std::move(v); }

    // The user's typing or pasting: every character passes on_key_press
    // (which may swallow it by returning 0), locked or disabled boxes take
    // nothing, MaxLength counts characters.
    void type_text(std::string_view text);
    // Replaces the whole text as the user would by selecting all and typing.
    void replace_text(std::string_view text);

    // KeyAscii in, KeyAscii out (0 swallows); for non-ASCII characters the
    // code is the character's code point.
    std::function<int(int key_ascii)> on_key_press;
    std::function<void()> on_change;

private:
    std::string text_;
    bool locked_ = false;
    int max_length_ = 0;
    int sel_start_ = 0, sel_length_ = 0;
    std::string link_item_;
};

class ComboBox : public Control {
public:
    using Control::Control;
    void AddItem(std::string item);
    void Clear();
    long ListCount() const { return static_cast<long>(items_.size()); }
    const std::string& List(long index) const;  // error 381 outside the list
    long ListIndex() const { return list_index_; }
    // -1 clears the choice; raises Click when it changes.
    void put_ListIndex(long index);
    const std::string& Text() const { return text_; }
    void put_Text(std::string v) { set(text_, std::move(v), "Text"); }
    // The user opens the list: DropDown comes first, so its handler can fill
    // the list the user is about to see. A disabled or hidden box does nothing.
    void drop_down();
    std::function<void()> on_click;
    std::function<void()> on_drop_down;

private:
    std::vector<std::string> items_;
    long list_index_ = -1;
    std::string text_;
};

class Frame : public Control {
public:
    using Control::Control;
    const std::string& Caption() const { return caption_; }
    void put_Caption(std::string v) { set(caption_, std::move(v), "Caption"); }

private:
    std::string caption_;
};

}  // namespace korvane::ui
