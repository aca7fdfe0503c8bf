// frmCons: sales issues generated from dispatch lists and sales invoices,
// handed over as "Head", "Body", "Date" and "Flag". Like the purchase
// form it hides on confirming and takes the collection back when unloaded.
#pragma once

#include "generation/core/source_form.h"
#include "platform/ado/recordset.h"
#include "platform/ui/controls.h"
#include "platform/ui/grid.h"

namespace korvane::generation {

class frmCons : public SourceForm {
public:
    static constexpr const char* kFormName = "frmCons";
    explicit frmCons(FormServices services);

    ui::Grid& lstFhdHead() { return *head_; }
    ui::TextBox& txtOutDate() { return *date_; }
    ui::CheckBox& Check2() { return *check2_; }
    ui::CommandButton& cmdOk() { return *ok_; }
    ui::CommandButton& cmdExit() { return *exit_; }

    void confirm(ado::RecordsetPtr head, ado::RecordsetPtr body);
    // An error text for the host, which loadConsignment returns.
    void leave_message(std::string text);

private:
    ui::Grid* head_;
    ui::CheckBox* check2_;
};

}  // namespace korvane::generation
