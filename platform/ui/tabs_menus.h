// Tab strips whose tabs own controls, menus and pop-up menus, and image
// lists (keyed pictures that toolbars and trees refer to).
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/ui/controls.h"

namespace korvane::ui {

class TabStrip : public Control {
public:
    struct TabInfo {
        std::string caption;
        bool enabled = true;
        bool visible = true;
        std::vector<Control*> controls;  // shown only while the tab is current
    };
    using Control::Control;

    void add_tab(std::string caption);
    long Tabs() const { return static_cast<long>(tabs_.size()); }
    // The current tab, 0-based; changing it raises Click with the previous tab.
    long Tab() const { return tab_; }
    void put_Tab(long tab);
    const std::string& TabCaption(long tab) const;
    void put_TabCaption(long tab, std::string caption);
    bool TabEnabled(long tab) const;
    void put_TabEnabled(long tab, bool on);
    bool TabVisible(long tab) const;
    void put_TabVisible(long tab, bool on);
    const TabInfo& tab_info(long tab) const;

    // Puts a control on a tab: it shows only while that tab is current.
    void place(Control& c, long tab);
    // The tab a control sits on, -1 when on none.
    long tab_of(const Control& c) const;

    // The user's click on a tab; a disabled or hidden tab does nothing.
    void click_tab(long tab);
    std::function<void(long previous_tab)> on_click;

private:
    TabInfo& info(long tab);

    std::vector<TabInfo> tabs_;
    long tab_ = 0;
};

// A menu item; a pop-up menu is an item with children.
class Menu : public Control {
public:
    using Control::Control;

    const std::string& Caption() const { return caption_; }
    void put_Caption(std::string v) { set(caption_, std::move(v), "Caption"); }
    bool Checked() const { return checked_; }
    void put_Checked(bool v) { set(checked_, v, "Checked"); }
    void add_item(Menu& item) { items_.push_back(&item); }
    const std::vector<Menu*>& items() const { return items_; }
    // The user chose the item; a disabled or hidden item does nothing.
    void click();
    std::function<void()> on_click;

private:
    std::string caption_;
    bool checked_ = false;
    std::vector<Menu*> items_;
};

class ImageList : public Control {
public:
    using Control::Control;
    // Keyed pictures; the picture is a name the view resolves to an icon.
    void add(std::string key, std::string picture);
    void clear() { images_.clear(); }
    long count() const { return static_cast<long>(images_.size()); }
    // The picture of a key; 35601 when the key is missing.
    const std::string& picture(const std::string& key) const;
    bool has(const std::string& key) const;

private:
    std::vector<std::pair<std::string, std::string>> images_;
};

}  // namespace korvane::ui
