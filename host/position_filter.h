// frmPositionFilter: the filter dialog of the batch-position function. The
// user narrows the positions by warehouse, code range, name and what lies
// there; OK gives a WHERE condition over Position, cancel gives none.
#pragma once

#include <string>

#include "platform/ui/controls.h"
#include "platform/ui/form.h"

namespace korvane::host {

class frmPositionFilter : public ui::Form {
public:
    static constexpr const char* kFormName = "frmPositionFilter";
    // `filter_name` is the caption the host gave the filter.
    frmPositionFilter(ui::UiHost& host, const std::string& filter_name);

    ui::TextBox& txtWhCode() { return *wh_; }
    ui::TextBox& txtPosFrom() { return *from_; }
    ui::TextBox& txtPosTo() { return *to_; }
    ui::TextBox& txtPosName() { return *name_; }
    ui::TextBox& txtInvCode() { return *inv_; }
    ui::CheckBox& chkStocked() { return *stocked_; }
    ui::CommandButton& cmdOk() { return *ok_button_; }
    ui::CommandButton& cmdCancel() { return *cancel_button_; }

    bool confirmed() const { return confirmed_; }
    // The condition the fields give, " and " between the parts; "" when all are empty.
    std::string condition() const;

private:
    ui::TextBox *wh_, *from_, *to_, *name_, *inv_;
    ui::CheckBox* stocked_;
    ui::CommandButton *ok_button_, *cancel_button_;
    bool confirmed_ = false;
};

}  // namespace korvane::host
