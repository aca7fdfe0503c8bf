// frmBatchPosition: the batch-position window. Its list is a voucher list
// bound by the host's list service; loading the form loads the list.
#pragma once

#include "host/positions.h"
#include "platform/ui/bars.h"
#include "platform/ui/controls.h"
#include "platform/ui/form.h"

namespace korvane::positions {

class frmBatchPosition : public ui::Form {
public:
    static constexpr const char* kFormName = "frmBatchPosition";
    // `lists` binds the voucher list (none: the list stays empty).
    frmBatchPosition(ui::UiHost& host, const host::VoucherListServicePtr& lists);

    ui::Toolbar& Toolbar1() { return *toolbar_; }
    ui::ComboBox& Combo1() { return *combo_; }
    ui::TextBox& Text1() { return *text_; }
    host::VoucherListControl& VoucherList1() { return *list_; }

private:
    ui::Toolbar* toolbar_;
    ui::ComboBox* combo_;
    ui::TextBox* text_;
    host::VoucherListControl* list_;
    std::string host_title_;
};

}  // namespace korvane::positions
