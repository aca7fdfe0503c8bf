#include "platform/ui/lists.h"

#include <algorithm>
#include <cctype>

#include "platform/vb/convert.h"
#include "platform/vb/error.h"

namespace korvane::ui {

namespace {
std::string folded(const std::string& key) { return vb::LCase(key); }

bool same_key(const std::string& a, const std::string& b) { return folded(a) == folded(b); }

void check_key(const std::string& key) {
    // VB refuses numeric keys so that an index and a key cannot be confused.
    if (!key.empty() && std::isdigit(static_cast<unsigned char>(key[0])))
        err::raise(err::kInvalidKey, "Invalid key");
}
}  // namespace

const std::string& ListView::ListItem::SubItems(long i) const {
    static const std::string empty;
    if (i < 1) err::raise(err::kIndexOutOfBounds, "Index out of bounds");
    return static_cast<std::size_t>(i) <= sub_items.size() ? sub_items[static_cast<std::size_t>(i - 1)] : empty;
}

void ListView::ListItem::put_SubItems(long i, std::string v) {
    if (i < 1) err::raise(err::kIndexOutOfBounds, "Index out of bounds");
    if (sub_items.size() < static_cast<std::size_t>(i)) sub_items.resize(static_cast<std::size_t>(i));
    sub_items[static_cast<std::size_t>(i - 1)] = std::move(v);
}

ListView::ColumnHeader& ListView::add_column(std::string key, std::string text, int width) {
    if (!key.empty())
        for (const auto& c : columns_)
            if (same_key(c.key, key)) err::raise(err::kKeyNotUnique, "Key is not unique in collection");
    columns_.push_back({std::move(key), std::move(text), width, Alignment::Left});
    changed("Columns");
    return columns_.back();
}

ListView::ColumnHeader& ListView::column(long index) {
    if (index < 1 || index > column_count()) err::raise(err::kIndexOutOfBounds, "Index out of bounds");
    return columns_[static_cast<std::size_t>(index - 1)];
}

void ListView::clear_columns() {
    columns_.clear();
    changed("Columns");
}

ListView::ListItem& ListView::add_item(std::string key, std::string text) {
    check_key(key);
    if (!key.empty() && index_of(key) != 0) err::raise(err::kKeyNotUnique, "Key is not unique in collection");
    if (!key.empty() && !index_stale_) key_index_[folded(key)] = item_count() + 1;
    items_.push_back({std::move(key), std::move(text), false, {}});
    changed("Items");
    return items_.back();
}

ListView::ListItem& ListView::item(long index) {
    if (index < 1 || index > item_count()) err::raise(err::kIndexOutOfBounds, "Index out of bounds");
    return items_[static_cast<std::size_t>(index - 1)];
}

const ListView::ListItem& ListView::item(long index) const {
    if (index < 1 || index > item_count()) err::raise(err::kIndexOutOfBounds, "Index out of bounds");
    return items_[static_cast<std::size_t>(index - 1)];
}

ListView::ListItem& ListView::item(const std::string& key) {
    long i = index_of(key);
    if (i == 0) err::raise(err::kElementNotFound, "Element not found");
    return items_[static_cast<std::size_t>(i - 1)];
}

long ListView::index_of(const std::string& key) const {
    if (index_stale_) {
        key_index_.clear();
        for (std::size_t i = 0; i < items_.size(); ++i)
            if (!items_[i].key.empty()) key_index_[folded(items_[i].key)] = static_cast<long>(i + 1);
        index_stale_ = false;
    }
    auto it = key_index_.find(folded(key));
    return it == key_index_.end() ? 0 : it->second;
}

void ListView::remove_item(long index) {
    item(index);
    items_.erase(items_.begin() + (index - 1));
    index_stale_ = true;
    if (selected_ == index) selected_ = 0;
    else if (selected_ > index) --selected_;
    changed("Items");
}

void ListView::clear_items() {
    items_.clear();
    key_index_.clear();
    index_stale_ = false;
    selected_ = 0;
    changed("Items");
}

void ListView::item_changed(long index) {
    item(index);
    if (on_item_changed) on_item_changed(index);
}

void ListView::check_item(long index, bool checked) {
    if (!Enabled() || !Visible() || !checkboxes_) return;
    ListItem& it = item(index);
    if (it.checked == checked) return;
    it.checked = checked;
    item_changed(index);
    if (on_item_check) on_item_check(it);  // deque: the reference outlives added items
}

void ListView::click_item(long index) {
    if (!Enabled() || !Visible()) return;
    ListItem& it = item(index);
    if (selected_ != index) {
        selected_ = index;
        changed("Selection");
    }
    if (on_item_click) on_item_click(it);
    if (on_click) on_click();
}

void ListView::dbl_click() {
    if (Enabled() && Visible() && on_dbl_click) on_dbl_click();
}

void ListView::mouse_up(int button, int shift) {
    if (Enabled() && Visible() && on_mouse_up) on_mouse_up(button, shift);
}

TreeView::Node* TreeView::find(const std::string& key) {
    auto it = by_key_.find(folded(key));
    return it == by_key_.end() ? nullptr : it->second;
}

const TreeView::Node* TreeView::find(const std::string& key) const {
    auto it = by_key_.find(folded(key));
    return it == by_key_.end() ? nullptr : it->second;
}

TreeView::Node& TreeView::add_node(const std::string& parent, std::string key, std::string text, std::string image) {
    check_key(key);
    if (key.empty() || find(key)) err::raise(err::kKeyNotUnique, "Key is not unique in collection");
    Node* up = nullptr;
    if (!parent.empty() && !(up = find(parent))) err::raise(err::kElementNotFound, "Element not found");
    auto n = std::make_unique<Node>();
    n->key = std::move(key);
    n->text = std::move(text);
    n->image = std::move(image);
    n->parent = up ? up->key : std::string();
    if (up) up->children.push_back(n->key);
    Node& ref = *n;
    by_key_[folded(ref.key)] = &ref;
    order_.push_back(std::move(n));
    changed("Nodes");
    return ref;
}

TreeView::Node& TreeView::node(const std::string& key) {
    Node* n = find(key);
    if (!n) err::raise(err::kElementNotFound, "Element not found");
    return *n;
}

const TreeView::Node& TreeView::node(const std::string& key) const {
    const Node* n = find(key);
    if (!n) err::raise(err::kElementNotFound, "Element not found");
    return *n;
}

bool TreeView::has_node(const std::string& key) const { return find(key) != nullptr; }

std::vector<std::string> TreeView::roots() const {
    std::vector<std::string> keys;
    for (const auto& n : order_)
        if (n->parent.empty()) keys.push_back(n->key);
    return keys;
}

void TreeView::remove_node(const std::string& key) {
    Node& n = node(key);
    std::vector<std::string> doomed{n.key};
    for (std::size_t i = 0; i < doomed.size(); ++i)
        for (const auto& c : node(doomed[i]).children) doomed.push_back(c);
    if (!n.parent.empty()) {
        auto& siblings = node(n.parent).children;
        siblings.erase(std::remove_if(siblings.begin(), siblings.end(), [&](const std::string& k) { return same_key(k, key); }),
                       siblings.end());
    }
    for (const auto& k : doomed) {
        if (same_key(selected_, k)) selected_.clear();
        by_key_.erase(folded(k));
    }
    order_.erase(std::remove_if(order_.begin(), order_.end(), [&](const auto& p) { return !by_key_.count(folded(p->key)); }),
                 order_.end());
    changed("Nodes");
}

void TreeView::clear() {
    order_.clear();
    by_key_.clear();
    selected_.clear();
    changed("Nodes");
}

void TreeView::node_changed(const std::string& key) {
    node(key);
    if (on_node_changed) on_node_changed(key);
}

void TreeView::put_expanded(const std::string& key, bool expanded) {
    Node& n = node(key);
    if (n.expanded == expanded) return;
    n.expanded = expanded;
    if (expanded && on_expand) on_expand(n);
    if (!expanded && on_collapse) on_collapse(n);
    node_changed(key);
}

void TreeView::put_checked(const std::string& key, bool checked) {
    Node& n = node(key);
    if (n.checked == checked) return;
    n.checked = checked;
    node_changed(key);
}

void TreeView::click_node(const std::string& key) {
    if (!Enabled() || !Visible()) return;
    Node& n = node(key);
    if (!same_key(selected_, n.key)) {
        selected_ = n.key;
        changed("Selection");
    }
    if (on_node_click) on_node_click(n);
}

void TreeView::check_node(const std::string& key, bool checked) {
    if (!Enabled() || !Visible() || !checkboxes_) return;
    Node& n = node(key);
    if (n.checked == checked) return;
    n.checked = checked;
    node_changed(key);
    if (on_node_check) on_node_check(n);
}

}  // namespace korvane::ui
