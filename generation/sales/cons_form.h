// frmCons: sales issues generated from dispatch lists and sales invoices.
// The clerk filters dispatch heads, marks them (their lines come into the
// body list, marked), edits this amounts under the over-issue rule,
// splits lines over batches or receipt lines (by hand, one line, or every
// line in one pass that shares a scratch table) and confirms: "Head",
// "Body", "Date" and "Flag" go to the owner and the form hides, so the host
// can show it again in the same state; unloading it takes the collection back.
//
// Every gesture is a method of a control or of the form, so the tests and
// the Qt view drive the same code.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "generation/core/source_form.h"
#include "platform/ado/recordset.h"
#include "platform/ui/controls.h"
#include "platform/ui/grid.h"
#include "platform/ui/tabs_menus.h"
#include "selection/allocation_trace.h"

namespace korvane::generation {

class frmCons : public SourceForm {
public:
    static constexpr const char* kFormName = "frmCons";
    explicit frmCons(FormServices services);

    ui::Grid& lstFhdHead() { return *head_; }
    ui::Grid& lstFhdBody() { return *body_; }
    ui::Frame& Frame1() { return *frame_; }
    ui::TextBox& txtLDate() { return *l_date_; }
    ui::TextBox& txtUDate() { return *u_date_; }
    ui::TextBox& cmbDept() { return *dept_; }
    ui::TextBox& cmbPerson() { return *person_; }
    ui::TextBox& cmbCustom() { return *custom_; }
    ui::TextBox& cmbWhName() { return *wh_name_; }
    ui::TextBox& cmbDLID() { return *dl_id_; }
    ui::TextBox& cmbInvoiceCode() { return *invoice_; }
    ui::ComboBox& cmbVouchType() { return *vouch_type_; }
    ui::ComboBox& cmbBusType() { return *bus_type_; }
    ui::CheckBox& chkAll() { return *chk_all_; }
    ui::CheckBox& Check1() { return *check1_; }
    ui::CheckBox& Check2() { return *check2_; }
    ui::CheckBox& chkEdit() { return *chk_edit_; }
    ui::TextBox& txtOutDate() { return *date_; }
    ui::CommandButton& cmdRefers() { return *cmd_refers_; }
    ui::CommandButton& cmdFilter() { return *cmd_filter_; }
    ui::CommandButton& cmdOk() { return *ok_; }
    ui::CommandButton& cmdExit() { return *exit_; }
    ui::Menu& mnuYJCD() { return *menu_; }
    ui::Menu& mnuCopyLine() { return *copy_line_; }
    ui::Menu& mnuDeleteLine() { return *delete_line_; }
    ui::Menu& mnuClearAll() { return *clear_all_; }

    const std::string& sWhere() const { return where_; }
    const ado::RecordsetPtr& rsHead() const { return rs_head_; }
    const ado::RecordsetPtr& rsBody() const { return rs_body_; }

    // An error text for the host, which loadConsignment returns.
    void leave_message(std::string text);

    // The lines of the current row of `list` rewritten from the stock rows
    // the selection service gives: automatically or in its dialog, alone or
    // in a pass (`batch_mode`) whose scratch table keeps what earlier lines
    // took. `message` is the service's error text (preset by a pass).
    void AssignBatches(ui::Grid& list, bool automatic, bool batch_mode, std::string& message);
    void AssignReceiptLines(ui::Grid& list, bool automatic, bool batch_mode, std::string& message);

    // On, each allocation's trace is kept beside the body rows it gave (the
    // rows of a split share their source line's); off, none is made and
    // those kept are dropped.
    using TracePtr = std::shared_ptr<const selection::AllocationTrace>;
    void set_tracing(bool on);
    // nullptr when the row's last allocation kept none (tracing off, nothing
    // allocated yet, or the operator changed the dialog's choice).
    TracePtr trace_of_row(long row) const;
    // The traces of the lines OK handed over, in the order of "Body".
    const std::vector<TracePtr>& handed_traces() const { return handed_traces_; }

private:
    void build();
    void wire();
    void on_form_load() override;
    void on_form_unload() override { services_.layouts().BodyLaidOutA = false; }
    void run_filter();
    std::string rights_clause() const;
    void append_lines(long head_row, const std::string& rights);
    void show_lines();
    void toggle_head();
    void confirm();
    void form_key_down(int& key, int shift);
    void assign_pass(bool receipt_lines);
    void assign(ui::Grid& list, bool receipt_lines, bool automatic, bool batch_mode, std::string& message);

    void validate_line_edit(long row, long col, std::string& text);
    bool run_line_checks(long row, long col, std::string& text);
    void cell_button(long row, long col);
    void row_activated();
    void row_copies(long row, ado::RecordsetPtr& head, ado::RecordsetPtr& line);
    session::LoginPtr login() const;

    ui::Grid *head_, *body_;
    ui::TextBox *custom_, *wh_name_, *dl_id_, *invoice_;
    ui::ComboBox *vouch_type_, *bus_type_;
    ui::CheckBox *chk_all_, *check1_, *check2_, *chk_edit_;
    ui::Label* label11_;
    ui::CommandButton *cmd_refers_, *cmd_filter_;
    ui::Menu *menu_, *copy_line_, *delete_line_, *clear_all_;

    std::string where_;         // the filter's fragment
    std::string dept_clause_;   // the operator's departments, made at load
    ado::RecordsetPtr rs_head_, rs_body_;
    std::string message_;
    std::string old_cell_text_;
    std::string wh_code_;       // the warehouse picked for a line
    bool tracing_ = false;
    std::vector<TracePtr> traces_;  // a body row's RowData is its index here plus one
    std::vector<TracePtr> handed_traces_;
};

}  // namespace korvane::generation
