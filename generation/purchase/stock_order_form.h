// frmStockOrder: purchase receipts generated from purchase orders (list
// lstDdHead) or arrival vouchers (lstDhdHead), handed over as "Head",
// "Body" and "Date". Confirming hides the form so the host can show it
// again; unloading it takes the collection back.
#pragma once

#include "generation/core/source_form.h"
#include "platform/ado/recordset.h"
#include "platform/ui/controls.h"
#include "platform/ui/grid.h"
#include "platform/ui/tabs_menus.h"

namespace korvane::generation {

class frmStockOrder : public SourceForm {
public:
    static constexpr const char* kFormName = "frmStockOrder";
    explicit frmStockOrder(FormServices services);

    ui::TabStrip& SSTab1() { return *tabs_; }
    ui::Grid& lstDdHead() { return *order_head_; }
    ui::Grid& lstDhdHead() { return *arrival_head_; }
    ui::TextBox& txtOutDate() { return *date_; }
    ui::CommandButton& cmdOk() { return *ok_; }
    ui::CommandButton& cmdExit() { return *exit_; }

    // True when the lines come from purchase orders (the first tab).
    bool from_orders() const { return tabs_->Tab() == 0; }
    void confirm(ado::RecordsetPtr head, ado::RecordsetPtr body);

private:
    ui::TabStrip* tabs_;
    ui::Grid *order_head_, *arrival_head_;
};

}  // namespace korvane::generation
