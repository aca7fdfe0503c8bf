#include "platform/ui/tabs_menus.h"

#include <algorithm>

#include "platform/vb/convert.h"
#include "platform/vb/error.h"

namespace korvane::ui {

void TabStrip::add_tab(std::string caption) {
    tabs_.push_back({std::move(caption), true, true, {}});
    changed("Tabs");
}

TabStrip::TabInfo& TabStrip::info(long tab) {
    if (tab < 0 || tab >= Tabs()) err::raise(err::kBadPropertyValue, "Invalid property value");
    return tabs_[static_cast<std::size_t>(tab)];
}

const TabStrip::TabInfo& TabStrip::tab_info(long tab) const { return const_cast<TabStrip*>(this)->info(tab); }

void TabStrip::put_Tab(long tab) {
    info(tab);
    if (tab == tab_) return;
    long previous = tab_;
    tab_ = tab;
    changed("Tab");
    if (on_click) on_click(previous);
}

const std::string& TabStrip::TabCaption(long tab) const { return tab_info(tab).caption; }
void TabStrip::put_TabCaption(long tab, std::string caption) {
    info(tab).caption = std::move(caption);
    changed("Tabs");
}
bool TabStrip::TabEnabled(long tab) const { return tab_info(tab).enabled; }
void TabStrip::put_TabEnabled(long tab, bool on) {
    info(tab).enabled = on;
    changed("Tabs");
}
bool TabStrip::TabVisible(long tab) const { return tab_info(tab).visible; }
void TabStrip::put_TabVisible(long tab, bool on) {
    info(tab).visible = on;
    changed("Tabs");
}

void TabStrip::place(Control& c, long tab) {
    for (auto& t : tabs_) t.controls.erase(std::remove(t.controls.begin(), t.controls.end(), &c), t.controls.end());
    info(tab).controls.push_back(&c);
    changed("Tabs");
}

long TabStrip::tab_of(const Control& c) const {
    for (std::size_t i = 0; i < tabs_.size(); ++i)
        if (std::find(tabs_[i].controls.begin(), tabs_[i].controls.end(), &c) != tabs_[i].controls.end())
            return static_cast<long>(i);
    return -1;
}

void TabStrip::click_tab(long tab) {
    if (!Enabled() || !Visible()) return;
    const TabInfo& t = info(tab);
    if (!t.enabled || !t.visible) return;
    put_Tab(tab);
}

void Menu::click() {
    if (!Enabled() || !Visible()) return;
    if (on_click) on_click();
}

void ImageList::add(std::string key, std::string picture) {
    if (has(key)) err::raise(err::kKeyNotUnique, "Key is not unique in collection");
    images_.emplace_back(std::move(key), std::move(picture));
}

bool ImageList::has(const std::string& key) const {
    std::string k = vb::LCase(key);
    return std::any_of(images_.begin(), images_.end(), [&](const auto& i) { return vb::LCase(i.first) == k; });
}

const std::string& ImageList::picture(const std::string& key) const {
    std::string k = vb::LCase(key);
    for (const auto& i : images_)
        if (vb::LCase(i.first) == k) return i.second;
    err::raise(err::kElementNotFound, "Element not found");
}

}  // namespace korvane::ui
