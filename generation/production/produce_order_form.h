// frmProduceOrder: production orders (or plans), their products and the
// products' materials, handed over as "Parent", "Sub" and "Child".
#pragma once

#include "generation/core/source_form.h"
#include "platform/ado/recordset.h"
#include "platform/ui/lists.h"
#include "platform/ui/tabs_menus.h"

namespace korvane::generation {

class frmProduceOrder : public SourceForm {
public:
    static constexpr const char* kFormName = "frmProduceOrder";
    explicit frmProduceOrder(FormServices services);

    ui::TabStrip& SSTab1() { return *tabs_; }
    ui::ListView& lstParent() { return *parent_; }
    ui::ListView& lstSub() { return *sub_; }
    ui::ListView& lstChild() { return *child_; }
    ui::CommandButton& cmdOk() { return *ok_; }
    ui::CommandButton& cmdExit() { return *exit_; }

    // The materials list takes part on the second tab.
    bool materials_in_use() const;
    // What OK hands over: the chosen orders, products and (on the materials
    // tab) materials; then the form unloads.
    void confirm(ado::RecordsetPtr parent, ado::RecordsetPtr sub, ado::RecordsetPtr child);

private:
    ui::TabStrip* tabs_;
    ui::ListView *parent_, *sub_, *child_;
    ui::CommandButton *ok_, *exit_;
};

}  // namespace korvane::generation
