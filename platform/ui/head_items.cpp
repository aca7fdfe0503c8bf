#include "platform/ui/head_items.h"

#include "platform/vb/error.h"

namespace korvane::ui {

void HeadItem::put_Value(std::string v) {
    edit_text_ = v;
    set(value_, std::move(v), "Value");
}

bool HeadItem::commit(std::string text) {
    if (!Enabled() || !Visible() || !editable_) return false;
    text = filter_typed(std::string(), text);
    edit_text_ = text;
    bool cancel = false;
    if (on_commit) on_commit(text, cancel);
    if (cancel) {
        changed("EditText");
        return false;
    }
    edit_text_ = text;
    bool differs = text != value_;
    set(value_, std::move(text), "Value");
    if (differs && on_changed_value) on_changed_value();
    return true;
}

void HeadItemList::add_entry(std::string caption, std::string value) {
    entries_.push_back({std::move(caption), std::move(value)});
    changed("Entries");
}

void HeadItemList::clear() {
    entries_.clear();
    changed("Entries");
}

const HeadItemList::Entry& HeadItemList::entry(long index) const {
    if (index < 1 || index > entry_count()) err::raise(err::kIndexOutOfBounds, "Index out of bounds");
    return entries_[static_cast<std::size_t>(index - 1)];
}

}  // namespace korvane::ui
