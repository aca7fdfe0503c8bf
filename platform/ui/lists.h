// List views (report style, with check boxes and keyed items) and tree views
// (keyed nodes with images, check boxes and expand events).
#pragma once

#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/ui/controls.h"
#include "platform/ui/grid.h"

namespace korvane::ui {

inline constexpr int lvwReport = 3;

class ListView : public Control {
public:
    struct ColumnHeader {
        std::string key, text;
        int width = 1440;  // twips
        Alignment align = Alignment::Left;
    };
    struct ListItem {
        std::string key, text;
        bool checked = false;
        std::vector<std::string> sub_items;  // SubItems(1) is sub_items[0]
        const std::string& SubItems(long i) const;
        void put_SubItems(long i, std::string v);
    };
    using Control::Control;

    bool Checkboxes() const { return checkboxes_; }
    void put_Checkboxes(bool on) { set(checkboxes_, on, "Checkboxes"); }
    int View() const { return view_; }
    void put_View(int v) { set(view_, v, "View"); }
    bool FullRowSelect() const { return full_row_select_; }
    void put_FullRowSelect(bool on) { set(full_row_select_, on, "FullRowSelect"); }

    // Column headers: keys unique when given (35602).
    ColumnHeader& add_column(std::string key, std::string text, int width = 1440);
    long column_count() const { return static_cast<long>(columns_.size()); }
    // 1-based as ColumnHeaders(i); 35600 outside.
    ColumnHeader& column(long index);
    const std::vector<ColumnHeader>& columns() const { return columns_; }
    void clear_columns();

    // Items: keys unique when given (35602; a key may not start with a digit,
    // which is why the forms key items "k" + code).
    ListItem& add_item(std::string key, std::string text);
    long item_count() const { return static_cast<long>(items_.size()); }
    // 1-based as ListItems(i); 35600 outside.
    ListItem& item(long index);
    const ListItem& item(long index) const;
    // By key; 35601 when missing.
    ListItem& item(const std::string& key);
    long index_of(const std::string& key) const;  // 0 when missing
    void remove_item(long index);
    void clear_items();
    const std::deque<ListItem>& items() const { return items_; }
    // Tells the view an item's texts or check changed (after editing one in place).
    void item_changed(long index);

    long selected_index() const { return selected_; }  // 0 when none

    // User actions.
    void check_item(long index, bool checked);  // raises ItemCheck
    void click_item(long index);                // selects, raises ItemClick and Click
    void dbl_click();
    void mouse_up(int button, int shift);

    std::function<void(ListItem&)> on_item_check;
    std::function<void(ListItem&)> on_item_click;
    std::function<void()> on_click;
    std::function<void()> on_dbl_click;
    std::function<void(int button, int shift)> on_mouse_up;

    // The view's hook for one item; structural changes come as on_changed("Items").
    std::function<void(long index)> on_item_changed;

private:
    bool checkboxes_ = false, full_row_select_ = false;
    int view_ = lvwReport;
    std::vector<ColumnHeader> columns_;
    std::deque<ListItem> items_;  // references stay valid while handlers add items
    mutable std::unordered_map<std::string, long> key_index_;
    mutable bool index_stale_ = false;
    long selected_ = 0;
};

inline constexpr int tvwChild = 4;

class TreeView : public Control {
public:
    struct Node {
        std::string key, text, image, expanded_image;
        std::string parent;  // "" for a root
        bool checked = false;
        bool expanded = false;
        std::vector<std::string> children;  // keys, in insertion order
    };
    using Control::Control;

    bool Checkboxes() const { return checkboxes_; }
    void put_Checkboxes(bool on) { set(checkboxes_, on, "Checkboxes"); }

    // Adds a node under `parent` ("" for a root); keys unique (35602),
    // a missing parent is 35601.
    Node& add_node(const std::string& parent, std::string key, std::string text, std::string image = {});
    Node& node(const std::string& key);  // 35601 when missing
    const Node& node(const std::string& key) const;
    bool has_node(const std::string& key) const;
    long node_count() const { return static_cast<long>(order_.size()); }
    // Keys of the roots, in insertion order.
    std::vector<std::string> roots() const;
    // Removes the node and everything under it.
    void remove_node(const std::string& key);
    void clear();
    // Changes a node's text, image or check from code and tells the view.
    void node_changed(const std::string& key);

    // Expanding raises Expand (from code or by the user) so the form can add
    // the children it loads lazily.
    void put_expanded(const std::string& key, bool expanded);
    void put_checked(const std::string& key, bool checked);  // from code: no event
    const std::string& selected() const { return selected_; }

    // User actions.
    void expand(const std::string& key) { put_expanded(key, true); }
    void collapse(const std::string& key) { put_expanded(key, false); }
    void click_node(const std::string& key);              // selects, raises NodeClick
    void check_node(const std::string& key, bool checked);  // raises NodeCheck

    std::function<void(Node&)> on_expand;
    std::function<void(Node&)> on_collapse;
    std::function<void(Node&)> on_node_click;
    std::function<void(Node&)> on_node_check;
    std::function<void(const std::string& key)> on_node_changed;

private:
    Node* find(const std::string& key);
    const Node* find(const std::string& key) const;

    bool checkboxes_ = false;
    std::vector<std::unique_ptr<Node>> order_;  // every node, in insertion order
    std::unordered_map<std::string, Node*> by_key_;  // keys compared without case
    std::string selected_;
};

}  // namespace korvane::ui
