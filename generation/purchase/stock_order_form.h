// frmStockOrder: purchase receipts generated from purchase orders (tab 0,
// lstDdHead / lstDdBody) or arrival vouchers (tab 1, lstDhdHead /
// lstDhdBody). The clerk filters heads, marks them (their lines come into
// the body list, marked), edits this receipt's amounts, warehouse, batch and
// dates under the receipt limits and confirms: "Head", "Body" and "Date" go
// to the owner and the form hides, so the host can show it again; unloading
// it takes the collection back.
//
// Every gesture is a method of a control (click, type_text, commit_edit,
// key_down) or of the form, so the tests and the Qt view drive the same
// code. Amount checks read the grid's numbers, never its digit groups.
#pragma once

#include <string>

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
    ui::Grid& lstDdBody() { return *order_body_; }
    ui::Grid& lstDhdHead() { return *arrival_head_; }
    ui::Grid& lstDhdBody() { return *arrival_body_; }
    ui::TextBox& txtLDate() { return *l_date_; }
    ui::TextBox& txtUDate() { return *u_date_; }
    ui::TextBox& txtLPlanArriveDate() { return *l_plan_; }
    ui::TextBox& txtUPlanArriveDate() { return *u_plan_; }
    ui::TextBox& cmbDept() { return *dept_; }
    ui::TextBox& cmbPerson() { return *person_; }
    ui::TextBox& cmbVen() { return *vendor_; }
    ui::TextBox& cmbWhName() { return *wh_name_; }
    ui::TextBox& cmbPOID() { return *po_id_; }
    ui::TextBox& cmbArrID() { return *arr_id_; }
    ui::ComboBox& cmbBusType() { return *bus_type_; }
    ui::CheckBox& chkBusType() { return *chk_bus_type_; }
    ui::CheckBox& chkAll() { return *chk_all_; }
    ui::CheckBox& Check1() { return *check1_; }
    ui::CheckBox& chkEdit() { return *chk_edit_; }
    ui::CheckBox& chkEdit1() { return *chk_edit1_; }
    ui::TextBox& txtWh() { return *txt_wh_; }
    ui::CommandButton& cmdWh() { return *cmd_wh_; }
    ui::CommandButton& cmdRefers() { return *cmd_refers_; }
    ui::CommandButton& cmdFilter() { return *cmd_filter_; }
    ui::CommandButton& Command1() { return *command1_; }
    ui::TextBox& txtOutDate() { return *date_; }
    ui::CommandButton& cmdOk() { return *ok_; }
    ui::CommandButton& cmdExit() { return *exit_; }
    ui::Menu& mnuYJCD() { return *menu_; }
    ui::Menu& mnuCopyLine() { return *copy_line_; }
    ui::Menu& mnuClearAll() { return *clear_all_; }

    // The source flag OK sets: true for orders, false for arrivals.
    bool bStockOrder() const { return stock_order_; }
    const std::string& sWhere() const { return where_; }
    const std::string& sWhCode() const { return wh_code_; }
    const ado::RecordsetPtr& rsHead() const { return rs_head_; }
    const ado::RecordsetPtr& rsBody() const { return rs_body_; }

    // The filter command (Command1, cmdFilter, chkBusType).
    void RunFilter();
    // The fragments the line queries are handed: the order lines' (full, or
    // the inventory condition alone) and the arrival lines' (with cmbWhName
    // for the show-lines action; the mouse-up variant writes "IN (").
    std::string OrderLineWhere(bool full) const;
    std::string ArrivalLineWhere(bool show_lines) const;

    // The current tab's lists.
    ui::Grid& head_list() { return tabs_->Tab() == 0 ? *order_head_ : *arrival_head_; }
    ui::Grid& body_list() { return tabs_->Tab() == 0 ? *order_body_ : *arrival_body_; }

    // The batch and in-voucher choice of a return line (the current row of
    // `list`): candidate stock rows allocated in the selection dialog, or
    // automatically when `all_rows`; each chosen row becomes a line carrying
    // the replaced line's values, which is hidden. The chosen batch (or
    // in-voucher number) in `result`; false when nothing changed.
    bool AssignBatches(ui::Grid& list, const std::string& text, bool all_rows, std::string& result);
    bool AssignReceiptLines(ui::Grid& list, const std::string& text, bool all_rows, std::string& result);

private:
    bool assign(ui::Grid& list, bool receipt_lines, bool all_rows, std::string& result);
    void build_filter_row();
    void build_lists();
    void build_bottom_row();
    void wire_fields();
    void on_form_load() override;
    void on_form_unload() override {
        services_.layouts().BodyLaidOutA = false;
        services_.layouts().BodyLaidOutB = false;
    }
    void tab_switch(long previous);
    std::string department_scope() const;
    void toggle_head(ui::Grid& head, long row, bool full_fragment);
    void append_lines(ui::Grid& head, long row, const std::string& where);
    void show_lines();
    void lay_out_body(ui::Grid& body, const ado::RecordsetPtr& rs);
    void bus_type_picked();
    void confirm();
    void form_key_down(int& key_code, int shift);

    // Body list events.
    void wire_body(ui::Grid& body);
    void body_cell_entered(ui::Grid& body);
    void validate_line_edit(ui::Grid& body, long row, long col, std::string& text);
    void cell_lookup(ui::Grid& body, long row, long col);
    bool run_line_checks(ui::Grid& body, long row, long col, std::string& text);
    // One-row copies of a body row and of its head.
    void row_copies(ui::Grid& body, long row, ado::RecordsetPtr& head, ado::RecordsetPtr& line);
    void restore(ui::Grid& body, long row, long col, long partner, std::string& text);
    void warehouse_field_left();
    void warehouse_button();

    ui::TabStrip* tabs_;
    ui::Grid *order_head_, *order_body_, *arrival_head_, *arrival_body_;
    ui::TextBox *l_plan_, *u_plan_, *vendor_, *wh_name_, *po_id_, *arr_id_;
    ui::Label *lbl_plan_, *lbl_wh_name_, *lbl_po_id_, *lbl_arr_id_, *lbl_wh_;
    ui::ComboBox* bus_type_;
    ui::CheckBox *chk_bus_type_, *chk_all_, *check1_, *chk_edit_, *chk_edit1_;
    ui::TextBox* txt_wh_;
    ui::CommandButton *cmd_wh_, *cmd_refers_, *cmd_filter_, *command1_;
    ui::Menu *menu_, *copy_line_, *delete_line_, *clear_all_;

    std::string where_;
    ado::RecordsetPtr rs_head_, rs_body_;
    std::string wh_code_;
    std::string message_;
    std::string old_cell_text_, partner_text_;
    bool stock_order_ = false;
    bool tab_guard_ = false;
};

}  // namespace korvane::generation
