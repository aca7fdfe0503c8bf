// Header items: the captioned value fields above a dialog's grid. A commit
// can be refused, and the refused text stays in the item for correction.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/ui/controls.h"

namespace korvane::ui {

class HeadItem : public Control {
public:
    using Control::Control;

    const std::string& Caption() const { return caption_; }
    void put_Caption(std::string v) { set(caption_, std::move(v), "Caption"); }
    // The committed value; setting it from code also resets the edit text.
    const std::string& Value() const { return value_; }
    void put_Value(std::string v);
    bool Editable() const { return editable_; }
    void put_Editable(bool v) { set(editable_, v, "Editable"); }
    // What the field shows: the value, or a refused text under correction.
    const std::string& EditText() const { return edit_text_; }

    // The user typed `text` and left the field (or pressed Enter): the
    // commit handler may refuse it (cancel) or change it. True when taken.
    bool commit(std::string text);
    std::function<void(std::string& text, bool& cancel)> on_commit;
    // After a value was taken.
    std::function<void()> on_changed_value;

private:
    std::string caption_, value_, edit_text_;
    bool editable_ = true;
};

// A row of read-only captioned values (the free items of an inventory).
class HeadItemList : public Control {
public:
    struct Entry {
        std::string caption, value;
    };
    using Control::Control;

    void add_entry(std::string caption, std::string value);
    void clear();
    long entry_count() const { return static_cast<long>(entries_.size()); }
    // 1-based; 35600 outside.
    const Entry& entry(long index) const;
    const std::vector<Entry>& entries() const { return entries_; }

private:
    std::vector<Entry> entries_;
};

}  // namespace korvane::ui
