// frmRefSelect: the selection dialog of one voucher line. It shows the
// candidate stock rows of DataFrom, lets the operator (or the automatic
// pass) choose rows and allocate the line's quantity and pieces over them,
// and on OK leaves DataFrom filtered to the chosen rows, their out columns
// holding the amounts; on cancel or close DataFrom becomes null.
//
// The candidate query ends in a fixed tail of columns: the balance and out
// columns are found by their place counted from the grid's last column, per
// RefType and mode. Grid column 0 is the mark ("Y"), column j+1 field j; a
// row's RowData is its record's AbsolutePosition in DataFrom.
//
// The arithmetic is the AllocationModel's: the dialog hands it the rows it
// fills, forwards clicks, cell edits and header edits to it, and paints what
// it decided into the grid and the record set (numbers, never cell text).
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "generation/core/form_services.h"
#include "host/business_objects.h"
#include "host/inventory.h"
#include "platform/ado/recordset.h"
#include "platform/ui/bars.h"
#include "platform/ui/form.h"
#include "platform/ui/grid.h"
#include "platform/ui/head_items.h"
#include "platform/vb/collection.h"
#include "selection/allocation.h"
#include "selection/allocation_trace.h"
#include "session/options.h"
#include "session/permission_service.h"

namespace korvane::selection {

class frmRefSelect : public ui::Form {
public:
    static constexpr const char* kFormName = "frmRefSelect";
    using CollectionPtr = std::shared_ptr<Collection>;

    // The services' session is the module's current one: the load step
    // loads the session's options into it and reads the account through it.
    explicit frmRefSelect(generation::FormServices services);

    // Plain stored values until the load step reads them.
    std::int32_t RefType() const { return ref_type_; }
    void put_RefType(std::int32_t v) { ref_type_ = v; }
    ado::RecordsetPtr DataFrom() const { return data_; }
    void put_DataFrom(ado::RecordsetPtr rs) { data_ = std::move(rs); }
    const std::string& WhCode() const { return wh_code_; }
    void put_WhCode(std::string v) { wh_code_ = std::move(v); }
    const std::string& InvCode() const { return inv_code_; }
    void put_InvCode(std::string v) { inv_code_ = std::move(v); }
    // From the load step on, the line's amounts are the model's.
    double Quantity() const { return loaded_ ? model_.quantity().value() : quantity_; }
    void put_Quantity(double v);
    double Num() const { return loaded_ ? model_.pieces().value() : num_; }
    void put_Num(double v);
    CollectionPtr Free() const { return free_; }
    void put_Free(CollectionPtr v) { free_ = std::move(v); }
    Variant ExchRate() const { return Variant(loaded_ ? model_.rate().value() : exch_rate_); }
    void put_ExchRate(const Variant& v);
    bool IsRedVouch() const { return is_red_; }
    void put_IsRedVouch(bool v) { is_red_ = v; }
    bool MutiSel() const { return muti_sel_; }
    void put_MutiSel(bool v) { muti_sel_ = v; }
    const std::string& RefFrom() const { return ref_from_; }
    void put_RefFrom(std::string v) { ref_from_ = std::move(v); }

    // Allocates the line over the rows in rule order. A non-empty
    // sReturnErr asks for the outcome as text in it; else message boxes.
    void AutoMatch(std::string& sReturnErr);
    // A toolbar action by key: ok, auto, cancel (all and none do nothing).
    void TaskRun(const std::string& key);
    // Refills `grid` from `rs`, keeping the rows the show boxes ask for.
    void FillGrid(ui::Grid& grid, const ado::RecordsetPtr& rs);
    void SetToolbarIcon();

    // Chooses row r or takes it back; the operator's click and the
    // automatic pass share it.
    void ToggleRow(long r);
    // Takes back every chosen row, top to bottom.
    void ClearSelection();

    // Asks the next AutoMatch to explain itself. `earlier` holds what
    // earlier lines of the run took, by the row's value in `id_field`.
    struct TraceRequest {
        std::string id_field;
        std::unordered_map<long, Amount> earlier;
    };
    void set_trace_request(std::optional<TraceRequest> r) { trace_request_ = std::move(r); }
    // The last automatic pass explained, while nobody has changed what it
    // chose; null when none was asked for.
    std::shared_ptr<const AllocationTrace> trace() const { return trace_; }
    // Filters DataFrom to the chosen rows (null when none).
    void BuildResult();

    // What is still to be allocated, and whether OK ended the dialog.
    double remaining_quantity() const { return model_.remaining_quantity().value(); }
    double remaining_pieces() const { return model_.remaining_pieces().value(); }
    bool confirmed() const { return ok_; }
    // Grid columns of the amounts; -1 for out pieces of a line without pieces.
    long out_quantity_col() const { return out_q_col_; }
    long out_pieces_col() const { return out_n_col_; }
    long balance_quantity_col() const { return bal_q_col_; }
    long balance_pieces_col() const { return bal_n_col_; }
    bool stock_count() const { return stock_count_; }
    // False when the caller runs AutoMatch straight after Load, which fills
    // the grid again from an empty one.
    void set_fill_on_load(bool on) { fill_on_load_ = on; }
    // Quantity and pieces are both editable: pieces are allocated on their own.
    bool both_editable() const;

    ui::HeadItem& hdiWhcode() { return *hdi_wh_; }
    ui::HeadItem& hdiInvCode() { return *hdi_inv_; }
    ui::HeadItemList& hdiFree() { return *hdi_free_; }
    ui::HeadItem& hdiQuantity() { return *hdi_quantity_; }
    ui::HeadItem& hdiNum() { return *hdi_num_; }
    ui::HeadItem& hdiExchRate() { return *hdi_rate_; }
    ui::Grid& spgList() { return *grid_; }
    ui::CheckBox& chkShowMax() { return *show_max_; }
    ui::CheckBox& chkShowZero() { return *show_zero_; }
    ui::CheckBox& chkShowMin() { return *show_min_; }
    ui::Toolbar& tbrTool() { return *tbr_tool_; }
    // The visible toolbar when the stored style asks for one; it stands for tbrTool's buttons.
    ui::Toolbar& ToolbarControl() { return *toolbar_control_; }
    ui::ImageList& imlTool() { return *images_; }

private:
    void form_load();
    void place_controls();
    void set_columns();
    // The grid's cell check of an operator's entry: false when refused (the
    // message was shown).
    bool check_cell(std::string& text, long row, long col);
    // The model row a grid row shows, and back; -1 / 0 when none.
    long candidate_of(long row) const;
    long row_of(std::size_t candidate) const;
    // Paints a toggled row, and runs the cell check of its out quantity.
    void show_toggle(long row, std::size_t candidate, const AllocationModel::Toggle& t);
    // Writes a row's amounts into DataFrom, as numbers.
    void write_quantity(const Candidate& c);
    void write_pieces(const Candidate& c);
    // The number a header edit commits; none (after a beep or a message) for
    // text that is no number, a changed sign or the wrong colour.
    std::optional<double> header_number(const std::string& text, double current);
    // Whether the user allocates afresh when the new amount is less than what
    // is allocated.
    bool ask_reallocate(const char* less_than, Amount allocated);
    void commit_quantity(std::string& text, bool& cancel);
    void commit_pieces(std::string& text, bool& cancel);
    void commit_rate(std::string& text, bool& cancel);
    // Refuses a number of the wrong colour for the voucher, with its message.
    bool colour_refused(Amount n);
    void inform(const char* message);
    void show_header_amounts();
    void make_trace(const std::string& rule, std::string_view sort);

    std::string fmt_quantity(Amount v) const;
    std::string fmt_pieces(Amount v) const;
    std::string fmt_rate(Amount v) const;
    // A header amount as its pattern shows it.
    Amount rounded(double v, const std::string& pattern) const;
    int field_index(const std::string& name) const;

    generation::FormServices services_;
    std::string host_title_;  // the application title the dialog clears while it is open
    std::shared_ptr<session::SystemOptions> options_;
    std::string quan_format_, pieces_format_, rate_format_;
    host::InventoryPtr inventory_;  // null when the code names none
    int conversion_kind_ = 0;

    // Properties.
    std::int32_t ref_type_ = 0;
    ado::RecordsetPtr data_;
    std::string wh_code_, inv_code_, ref_from_;
    double quantity_ = 0, num_ = 0, exch_rate_ = 0;
    CollectionPtr free_;
    bool is_red_ = false, muti_sel_ = true;

    // State of the open dialog.
    AllocationModel model_;
    bool loaded_ = false;  // the model holds the line's amounts
    bool ok_ = false;
    bool stock_count_ = false;
    bool fill_on_load_ = true;
    std::optional<TraceRequest> trace_request_;
    std::shared_ptr<const AllocationTrace> trace_;
    std::int16_t out_q_col_ = -1, out_n_col_ = -1, bal_q_col_ = -1, bal_n_col_ = -1;
    std::string bal_q_name_, bal_n_name_, out_q_name_, out_n_name_;
    int out_q_field_ = -1, out_n_field_ = -1;  // in DataFrom, as of the last fill

    ui::HeadItem *hdi_wh_, *hdi_inv_, *hdi_quantity_, *hdi_num_, *hdi_rate_;
    ui::HeadItemList* hdi_free_;
    ui::Grid* grid_;
    ui::CheckBox *show_max_, *show_zero_, *show_min_;
    ui::Toolbar *tbr_tool_, *toolbar_control_;
    ui::ImageList* images_;
};

}  // namespace korvane::selection
