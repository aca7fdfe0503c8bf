#include "platform/ui/controls.h"

#include "platform/vb/error.h"

namespace korvane::ui {

namespace {


// The next UTF-8 character of s from i: its bytes and its code point.
std::pair<std::size_t, int> next_char(std::string_view s, std::size_t i) {
    unsigned char c = static_cast<unsigned char>(s[i]);
    std::size_t len = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 1;
    if (i + len > s.size()) len = 1;
    int cp = len == 1 ? c : (c & (0x7F >> len));
    for (std::size_t k = 1; k < len; ++k) cp = (cp << 6) | (static_cast<unsigned char>(s[i + k]) & 0x3F);
    return {len, cp};
}

long char_count(std::string_view s) {
    long n = 0;
    for (std::size_t i = 0; i < s.size(); i += next_char(s, i).first) ++n;
    return n;
}

}  // namespace

void Control::Move(int left, int top, int width, int height) {
    if (left == left_ && top == top_ && width == width_ && height == height_) return;
    left_ = left;
    top_ = top;
    width_ = width;
    height_ = height;
    changed("Geometry");
}

void CommandButton::click() {
    if (!Enabled() || !Visible()) return;
    if (on_click) on_click();
}

void CheckBox::put_Value(int v) {
    if (v < 0 || v > 2) err::raise(err::kBadPropertyValue, "Invalid property value");
    if (v == value_) return;
    value_ = v;
    changed("Value");
    if (on_click) on_click();  // VB raises Click when code changes Value
}

void CheckBox::click() {
    if (!Enabled() || !Visible()) return;
    put_Value(value_ == 1 ? 0 : 1);
}

int TextBox::length() const {
    int n = 0;
    for (std::size_t i = 0; i < text_.size();) {
        auto [len, cp] = next_char(text_, i);
        n += cp > 0xFFFF ? 2 : 1;
        i += len;
    }
    return n;
}

void TextBox::put_Text(std::string v) {
    if (v == text_) return;
    text_ = std::move(v);
    changed("Text");
    if (on_change) on_change();
}

std::string Control::filter_typed(std::string base, std::string_view text, const std::function<int(int)>& own,
                                  long max_chars) const {
    long count = char_count(base);
    for (std::size_t i = 0; i < text.size();) {
        auto [len, cp] = next_char(text, i);
        int key = form_key_press ? form_key_press(cp) : cp;
        if (key != 0 && own) key = own(key);
        if (key != 0 && (max_chars == 0 || count < max_chars)) {
            base.append(text.substr(i, len));  // the filter may only swallow, never rewrite
            ++count;
        }
        i += len;
    }
    return base;
}

void TextBox::type_text(std::string_view text) {
    if (locked_ || !Enabled() || !Visible()) return;
    put_Text(filter_typed(text_, text, on_key_press, max_length_));
}

void TextBox::replace_text(std::string_view text) {
    if (locked_ || !Enabled() || !Visible()) return;
    put_Text(filter_typed(std::string(), text, on_key_press, max_length_));
}

void ComboBox::AddItem(std::string item) {
    items_.push_back(std::move(item));
    changed("List");
}

void ComboBox::Clear() {
    items_.clear();
    list_index_ = -1;
    text_.clear();
    changed("List");
}

const std::string& ComboBox::List(long index) const {
    if (index < 0 || index >= ListCount()) err::raise(err::kBadPropertyIndex, "Invalid property array index");
    return items_[static_cast<std::size_t>(index)];
}

void ComboBox::drop_down() {
    if (!Enabled() || !Visible()) return;
    if (on_drop_down) on_drop_down();
}

void ComboBox::put_ListIndex(long index) {
    if (index < -1 || index >= ListCount()) err::raise(err::kBadPropertyValue, "Invalid property value");
    if (index == list_index_) return;
    list_index_ = index;
    text_ = index < 0 ? std::string() : items_[static_cast<std::size_t>(index)];
    changed("ListIndex");
    if (on_click) on_click();
}

}  // namespace korvane::ui
