// frmReturnInvSet: the inventory picker. The class tree (from the class
// coding rule) on the left, the inventories of the checked class on the
// right with a check column; OK writes the checked codes into the session's
// scratch table and hands the inventories over as a record set.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "generation/core/form_services.h"
#include "platform/ado/recordset.h"
#include "platform/ui/bars.h"
#include "platform/ui/form.h"
#include "platform/ui/grid.h"
#include "platform/ui/lists.h"
#include "platform/ui/tabs_menus.h"
#include "platform/vb/collection.h"

namespace korvane::invselect {

// The module-wide state the dialog shares with ReturnInvSet; the owner keeps it.
struct SelectionState {
    ado::RecordsetPtr* RecordsetValue = nullptr;
    const std::string* base_where = nullptr;
    ado::ConnectionPtr* connection = nullptr;  // taken from the session when first needed
};

// "tempdb..tmp" + the tag with "." as "_" + "tmp".
std::string scratch_table_name(const std::string& session_tag);
// Drops and creates the scratch table and inserts each code, as one text.
std::string scratch_command(const std::string& table, const std::vector<std::string>& codes);
// The condition the checked inventories load by, ordered as `order_caption` says.
std::string checked_condition(const std::string& list_condition, const std::string& table,
                              const std::string& order_caption);

class frmReturnInvSet : public ui::Form {
public:
    static constexpr const char* kFormName = "frmReturnInvSet";
    frmReturnInvSet(generation::FormServices services, SelectionState state);

    // Adds the children of a node (the root: the top-level classes); a
    // last-level class gets none.
    void AddClassNodes(const std::string& key);
    // The toolbar's actions by key ("Quit", "Ok", "Local", "Order",
    // "tlbSelAll"); errors are passed over, each step runs.
    void TaskRun(ui::Toolbar::Button& button);
    void Locate();
    void Order();

    // What the list shows: "" for every inventory.
    const std::string& list_condition() const { return list_condition_; }
    // The codes of the marked rows, top to bottom.
    std::vector<std::string> checked_codes() const;
    // The class node key that holds a class code (its parent by the rule).
    std::string parent_key(const std::string& class_code, long grade) const;
    const std::vector<long>& code_rule() const { return rule_; }

    ui::TreeView& treeMenu() { return *tree_; }
    ui::Grid& ListView1() { return *list_; }
    ui::StatusBar& StatusBar1() { return *status_; }
    ui::Toolbar& tlbInvClass() { return *tlb_; }
    ui::Toolbar& ToolbarControl() { return *toolbar_control_; }
    ui::Menu& mnuLocal() { return *mnu_local_; }
    ui::Menu& mnuOrder() { return *mnu_order_; }

private:
    void form_load();
    void place_controls();
    void node_check(ui::TreeView::Node& node);
    void load_list();
    void mark_all(bool on);
    void confirm();
    void quit();
    void show_row();

    generation::FormServices services_;
    SelectionState state_;
    std::string host_title_;
    ado::RecordsetPtr classes_;
    std::vector<long> rule_;  // the code length of each level, top first
    std::map<std::string, long> grades_;  // class node key -> level
    std::string list_condition_;

    ui::TreeView* tree_;
    ui::Grid* list_;
    ui::StatusBar* status_;
    ui::Toolbar *tlb_, *toolbar_control_;
    ui::ImageList* images_;
    ui::Menu *mnu_list_, *mnu_local_, *mnu_order_;
};

}  // namespace korvane::invselect
