#include "selection/ref_select_form.h"

#include <algorithm>
#include <cmath>
#include <optional>

#include "generation/core/module_ctl.h"
#include "host/user_define.h"
#include "platform/vb/convert.h"
#include "platform/vb/error.h"
#include "selection/texts.h"
#include "session/options_loader.h"

namespace korvane::selection {

namespace {

std::string without_commas(std::string_view text) {
    std::string s;
    for (char c : text)
        if (c != ',') s += c;
    return s;
}

bool blank(std::string_view text) { return text.find_first_not_of(' ') == std::string_view::npos; }

// The number of a cell or header text: blank is 0, "," separators are
// dropped; nothing for a text that is no number.
std::optional<double> number_of(std::string_view text) {
    if (blank(text)) return 0.0;
    Variant v(without_commas(text));
    if (!vb::IsNumeric(v)) return std::nullopt;
    return vb::CDbl(v);
}

double ToNumber(std::string_view text) { return number_of(text).value_or(0.0); }

// A balance as the record holds it; a text balance reads as a cell would.
double value_number(const Variant& v) {
    if (v.is_null() || v.is_empty()) return 0;
    if (v.is_string()) return ToNumber(v.str());
    return vb::CDbl(v);
}

// Layout, in twips.
constexpr int kMargin = 120;
constexpr int kItemHeight = 330;
constexpr int kToolbarHeight = 750;

}  // namespace

frmRefSelect::frmRefSelect(generation::FormServices services)
    : ui::Form(kFormName, services.host()), services_(std::move(services)) {
    put_Caption("存货分配");
    resize(12000, 7600);
    toolbar_control_ = &add<ui::Toolbar>("ToolbarControl");
    tbr_tool_ = &add<ui::Toolbar>("tbrTool");
    images_ = &add<ui::ImageList>("imlTool");
    images_->put_Visible(false);
    tbr_tool_->add_button(texts::kKeyOk, "确定");
    tbr_tool_->add_button(texts::kKeyCancel, "退出");
    tbr_tool_->add_button(texts::kKeyHelp, "帮助");
    tbr_tool_->add_button(texts::kKeyAuto, "自动分配");
    tbr_tool_->button(texts::kKeyOk).tooltip = "确定所选的存货行";
    tbr_tool_->button(texts::kKeyCancel).tooltip = "放弃选择并退出";
    tbr_tool_->button(texts::kKeyAuto).tooltip = "按分配规则自动分配";
    tbr_tool_->on_button_click = [this](ui::Toolbar::Button& b) { TaskRun(b.key); };
    toolbar_control_->on_button_click = [this](ui::Toolbar::Button& b) { TaskRun(b.key); };

    hdi_wh_ = &add<ui::HeadItem>("hdiWhcode");
    hdi_wh_->put_Caption("仓库");
    hdi_wh_->put_Editable(false);
    hdi_inv_ = &add<ui::HeadItem>("hdiInvCode");
    hdi_inv_->put_Caption("存货");
    hdi_inv_->put_Editable(false);
    hdi_free_ = &add<ui::HeadItemList>("hdiFree");
    hdi_quantity_ = &add<ui::HeadItem>("hdiQuantity");
    hdi_quantity_->put_Caption("数量");
    hdi_num_ = &add<ui::HeadItem>("hdiNum");
    hdi_num_->put_Caption("件数");
    hdi_rate_ = &add<ui::HeadItem>("hdiExchRate");
    hdi_rate_->put_Caption("换算率");
    hdi_quantity_->on_commit = [this](std::string& t, bool& c) { commit_quantity(t, c); };
    hdi_num_->on_commit = [this](std::string& t, bool& c) { commit_pieces(t, c); };
    hdi_rate_->on_commit = [this](std::string& t, bool& c) { commit_rate(t, c); };

    show_max_ = &add<ui::CheckBox>("chkShowMax");
    show_max_->put_Caption("显示正结存");
    show_max_->put_Value(1);
    show_zero_ = &add<ui::CheckBox>("chkShowZero");
    show_zero_->put_Caption("显示零结存");
    show_min_ = &add<ui::CheckBox>("chkShowMin");
    show_min_->put_Caption("显示负结存");
    for (ui::CheckBox* box : {show_max_, show_zero_, show_min_})
        box->on_click = [this] { FillGrid(*grid_, data_); };

    grid_ = &add<ui::Grid>("spgList");
    grid_->put_Cols(1);
    grid_->put_Rows(1);
    grid_->on_click = [this] {
        if (grid_->Col() != 1) return;
        if (!muti_sel_) ClearSelection();
        ToggleRow(grid_->Row());
    };
    grid_->on_before_edit = [this](long, long col, bool& cancel) {
        bool pieces = col == out_n_col_ && hdi_num_->Editable();
        cancel = !(col == out_q_col_ || pieces);
    };
    grid_->on_validate_edit = [this](long row, long col, std::string& text, bool& cancel) {
        cancel = !check_cell(text, row, col);
    };

    on_load = [this] { form_load(); };
    on_unload = [this] {
        if (!ok_) data_.reset();
        host().set_app_title(host_title_);
    };
    place_controls();
}

void frmRefSelect::put_Quantity(double v) {
    quantity_ = v;
    if (loaded_) model_.set_quantity(Amount::of(v));
}

void frmRefSelect::put_Num(double v) {
    num_ = v;
    if (loaded_) model_.set_pieces(Amount::of(v));
}

void frmRefSelect::put_ExchRate(const Variant& v) {
    exch_rate_ = v.is_empty() || v.is_null() ? 0 : vb::CDbl(v);
    if (loaded_) model_.set_rate(Amount::of(exch_rate_));
}

void frmRefSelect::place_controls() {
    const int inner = Width() - 2 * kMargin;
    // The visible toolbar spans the form's inner width at the top left.
    toolbar_control_->Move(0, 0, Width(), kToolbarHeight);
    tbr_tool_->Move(0, 0, Width(), kToolbarHeight);
    int top = kToolbarHeight + kMargin;
    const int half = (inner - kMargin) / 2;
    hdi_wh_->Move(kMargin, top, half, kItemHeight);
    hdi_inv_->Move(kMargin * 2 + half, top, half, kItemHeight);
    top += kItemHeight + 90;
    // an inventory without free items leaves no empty row
    hdi_free_->put_Visible(hdi_free_->entry_count() > 0);
    hdi_free_->Move(kMargin, top, inner, kItemHeight);
    if (hdi_free_->Visible()) top += kItemHeight + 90;
    const int third = (inner - 2 * kMargin) / 3;
    hdi_quantity_->Move(kMargin, top, third, kItemHeight);
    hdi_num_->Move(kMargin * 2 + third, top, third, kItemHeight);
    hdi_rate_->Move(kMargin * 3 + third * 2, top, third, kItemHeight);
    top += kItemHeight + 120;
    show_max_->Move(kMargin, top, 1500, 300);
    show_zero_->Move(kMargin + 1700, top, 1500, 300);
    show_min_->Move(kMargin + 3400, top, 1500, 300);
    top += 300 + 90;
    grid_->Move(kMargin, top, inner, Height() - top - kMargin);
}

void frmRefSelect::SetToolbarIcon() {
    images_->clear();
    images_->add(texts::kImageOk, "ok");
    images_->add(texts::kImageAuto, "auto");
    images_->add(texts::kImageHelp, "help");
    images_->add(texts::kImageExit, "exit");
    tbr_tool_->button_at(1).image = texts::kImageOk;
    tbr_tool_->button_at(2).image = texts::kImageExit;
    tbr_tool_->button_at(4).image = texts::kImageAuto;
}

bool frmRefSelect::both_editable() const { return hdi_quantity_->Editable() && hdi_num_->Editable(); }

std::string frmRefSelect::fmt_quantity(Amount v) const { return vb::Format(Variant(v.value()), quan_format_); }
std::string frmRefSelect::fmt_pieces(Amount v) const { return vb::Format(Variant(v.value()), pieces_format_); }
std::string frmRefSelect::fmt_rate(Amount v) const { return vb::Format(Variant(v.value()), rate_format_); }

Amount frmRefSelect::rounded(double v, const std::string& pattern) const {
    return Amount::of(vb::CDbl(Variant(vb::Format(Variant(v), pattern))));
}

void frmRefSelect::form_load() {
    host_title_ = host().app_title();
    host().set_app_title("");
    SetToolbarIcon();
    ok_ = false;

    options_ = session::load_session_options(services_.session());
    // read once: a stock count formats every row's amounts
    quan_format_ = options_->FormatQuanDecString();
    pieces_format_ = options_->FormatNumDecString();
    rate_format_ = options_->FormatExchRateDecString();

    stock_count_ = ref_from_ == texts::kStockCountFrom;
    if (stock_count_) {
        bal_q_name_ = texts::kBookQuantity;
        bal_n_name_ = texts::kBookPieces;
        out_q_name_ = texts::kCountQuantity;
        out_n_name_ = texts::kCountPieces;
        tbr_tool_->set_enabled(texts::kKeyAuto, false);
    } else {
        bal_q_name_ = texts::kBalanceQuantity;
        bal_n_name_ = texts::kBalancePieces;
        out_q_name_ = ref_type_ == 2 ? texts::kReturnQuantity : texts::kOutQuantity;
        out_n_name_ = ref_type_ == 2 ? texts::kReturnPieces : texts::kOutPieces;
    }

    model_.set_quantity(rounded(quantity_, quan_format_));
    model_.set_pieces(rounded(num_, pieces_format_));
    model_.set_rate(rounded(exch_rate_, rate_format_));
    model_.reset_remaining();
    model_.clear();
    loaded_ = true;

    const bool boxes = ref_type_ == 0 && options_->ShowStockFilter();
    for (ui::CheckBox* box : {show_max_, show_zero_, show_min_}) box->put_Enabled(boxes);
    if (ref_type_ == 2) tbr_tool_->set_enabled(texts::kKeyAuto, false);

    // Names of the warehouse and inventory; a code that names none shows
    // nothing and the line simply finds no stock.
    if (auto warehouses = services_.business->create("warehouse")) {
        warehouses->put_Login(services_.permission);
        host::BusinessItem item;
        std::string why;
        hdi_wh_->put_Value(warehouses->load(wh_code_, item, why) ? item.name : "");
    }
    try {
        inventory_ = host::load_inventory(services_.permission->GetConnection(), inv_code_);
    } catch (const Error& e) {
        if (e.number() != err::kNoCurrentRecord) throw;
        inventory_.reset();
    }
    hdi_inv_->put_Value(inventory_ ? inventory_->cInvName() : "");
    conversion_kind_ = inventory_ ? inventory_->ConversionKind() : 0;

    hdi_free_->clear();
    if (inventory_) {
        auto defs = services_.user_defines();
        for (int i = 1; i <= 10; ++i) {
            if (!inventory_->UsesFree(i)) continue;
            std::string value;
            if (free_ && free_->Count() >= i) value = vb::text_or_empty(free_->Item(Variant(static_cast<long>(i))));
            hdi_free_->add_entry(defs->item(host::free_item_key(i)).display_name, value);
        }
    }
    place_controls();

    switch (conversion_kind_) {
    case 0:
        hdi_num_->put_Editable(false);
        hdi_rate_->put_Editable(false);
        break;
    case 1:
        hdi_quantity_->put_Editable(false);
        hdi_num_->put_Editable(true);
        hdi_rate_->put_Editable(false);
        break;
    default:
        hdi_num_->put_Editable(true);
        hdi_rate_->put_Editable(true);
        break;
    }
    if (stock_count_)
        for (ui::HeadItem* item : {hdi_quantity_, hdi_num_, hdi_rate_}) item->put_Editable(false);
    show_header_amounts();

    set_columns();
    AllocationMode mode;
    mode.ref_type = ref_type_;
    mode.stock_count = stock_count_;
    mode.multi_select = muti_sel_;
    mode.red = is_red_;
    mode.both_editable = both_editable();
    mode.has_pieces = out_n_col_ > 0;
    model_.set_mode(mode);
    if (fill_on_load_) FillGrid(*grid_, data_);

    generation::ModuleCtl::ApplyToolbarStyle(services_.settings(), *tbr_tool_, *toolbar_control_);
}

void frmRefSelect::show_header_amounts() {
    hdi_quantity_->put_Value(fmt_quantity(model_.quantity()));
    hdi_num_->put_Value(conversion_kind_ == 0 ? "" : fmt_pieces(model_.pieces()));
    hdi_rate_->put_Value(conversion_kind_ == 0 ? "" : fmt_rate(model_.rate()));
}

int frmRefSelect::field_index(const std::string& name) const {
    if (!data_ || data_->State() != ado::adStateOpen) return -1;
    return data_->Fields().find(name);
}

void frmRefSelect::set_columns() {
    const long fields = data_ && data_->State() == ado::adStateOpen ? data_->Fields().Count() : 0;
    const long c = fields + 1;
    grid_->put_Cols(c);
    long out_q, out_n, bal_q, bal_n;
    if (ref_type_ == 2) {
        out_q = c - 15, out_n = c - 14, bal_q = c - 17, bal_n = c - 16;
    } else if (ref_type_ == 1) {
        out_q = c - 13, out_n = c - 12;
        bal_q = stock_count_ ? c - 15 : c - 19;
        bal_n = stock_count_ ? c - 14 : c - 18;
    } else {
        out_q = c - 5, out_n = c - 4;
        bal_q = stock_count_ ? c - 7 : c - 11;
        bal_n = stock_count_ ? c - 6 : c - 10;
    }
    // The amounts are found by their place from the end; a selection that
    // does not end in its tail would allocate into the wrong columns.
    if (fields > 0) {
        const bool red = ref_type_ == 2;
        const std::pair<long, const char*> needed[] = {
            {out_q, stock_count_ ? "盘点数量" : red ? "退回数量" : "出库数量"},
            {out_n, stock_count_ ? "盘点件数" : red ? "退回件数" : "出库件数"},
            {bal_q, stock_count_ ? "账面数量" : "结存数量"},
            {bal_n, stock_count_ ? "账面件数" : "结存件数"},
        };
        for (const auto& [k, name] : needed)
            if (k < 1 || k >= c || data_->Fields().Item(Variant(k - 1)).Name() != name)
                err::raise(err::kItemNotFound, std::string(texts::kMissingColumn) + name + "”");
    }
    auto col = [c](long k) { return static_cast<std::int16_t>(k >= 1 && k < c ? k : -1); };
    out_q_col_ = col(out_q);
    out_n_col_ = conversion_kind_ == 0 ? -1 : col(out_n);
    bal_q_col_ = col(bal_q);
    bal_n_col_ = col(bal_n);
    grid_->put_ColWidth(0, 360);
    grid_->put_ColAlignment(0, ui::Alignment::Center);
    // Text columns as wide as their caption or the first rows need, so a
    // batch or voucher number shows whole.
    std::vector<int> chars(static_cast<std::size_t>(c), 0);
    for (long f = 0; f < fields; ++f) chars[f + 1] = vb::display_width(data_->Fields().Item(Variant(f)).Name());
    if (fields > 0 && data_->RecordCount() > 0) {
        int sampled = 0;
        for (data_->MoveFirst(); !data_->Eof() && sampled < 20; data_->MoveNext(), ++sampled) {
            const Variant* values = data_->current_row();
            for (long f = 0; f < fields; ++f)
                if (values[f].is_string()) chars[f + 1] = std::max(chars[f + 1], vb::display_width(values[f].str()));
                else if (values[f].type() == VarType::Date) chars[f + 1] = std::max(chars[f + 1], 10);
        }
        data_->MoveFirst();
    }
    for (long k = 1; k < c; ++k) {
        bool amount = k == out_q_col_ || k == out_n_col_ || k == bal_q_col_ || k == bal_n_col_;
        grid_->put_ColWidth(k, amount ? 1100 : std::clamp(chars[k] * 105 + 240, 900, 3000));
        if (amount) grid_->put_ColAlignment(k, ui::Alignment::Right);
    }
    for (long k : {static_cast<long>(out_q_col_), static_cast<long>(out_n_col_)})
        if (k > 0) grid_->put_ColInputKind(k, ui::InputKind::Number);
}

void frmRefSelect::FillGrid(ui::Grid& grid, const ado::RecordsetPtr& rs) {
    grid.put_Redraw(false);
    grid.put_Rows(1);
    grid.put_FixedRows(1);
    const bool open = rs && rs->State() == ado::adStateOpen;
    const long fields = open ? rs->Fields().Count() : 0;
    grid.put_Cols(fields + 1);
    grid.put_TextMatrix(0, 0, "");
    for (long f = 0; f < fields; ++f) grid.put_TextMatrix(0, f + 1, rs->Fields().Item(Variant(f)).Name());
    const bool ours = &grid == grid_;
    std::vector<Candidate> candidates;
    if (ours) {
        out_q_field_ = out_q_col_ > 0 ? field_index(out_q_name_) : -1;
        out_n_field_ = field_index(out_n_name_);
    }
    if (open && rs->RecordCount() > 0) {
        const int bal_field = bal_q_col_ > 0 ? static_cast<int>(bal_q_col_ - 1) : field_index(bal_q_name_);
        const int bal_n_field = bal_n_col_ > 0 ? static_cast<int>(bal_n_col_ - 1) : field_index(bal_n_name_);
        const AllocationModel::ShowBoxes boxes{show_max_->Value() == 1, show_zero_->Value() == 1,
                                               show_min_->Value() == 1};
        const Amount rate = model_.rate();
        const bool pieces_of_quantity = conversion_kind_ == 1 && !rate.is_zero();
        const std::string quan = options_->FormatQuanDecString(), pieces = options_->FormatNumDecString();
        const bool grey_pieces = !hdi_num_->Editable();
        // The pass over the records picks the rows the show boxes let through;
        // their texts are written when a row is first shown or read, so a
        // large selection costs only the rows anyone looks at. They are
        // written from a snapshot, which later edits of the set do not reach.
        auto snapshot = std::make_shared<const ado::RecordSnapshot>(rs->view_snapshot());
        auto records = std::make_shared<std::vector<std::uint32_t>>();  // view positions, 0-based
        records->reserve(snapshot->size());
        if (ours) candidates.reserve(snapshot->size());
        grid.put_Rows(static_cast<long>(snapshot->size()) + 1);
        long row = 1;
        for (std::size_t i = 0; i < snapshot->size(); ++i) {
            const Variant* values = snapshot->row(i);
            const Amount balance = Amount::of(bal_field >= 0 ? value_number(values[bal_field]) : 0);
            const bool shown = AllocationModel::shown(balance, boxes);
            if (ours) {
                Candidate& c = candidates.emplace_back();
                c.balance_quantity = balance;
                c.balance_pieces = pieces_of_quantity ? balance / rate
                                   : bal_n_field >= 0 ? Amount::of(value_number(values[bal_n_field]))
                                                      : Amount();
                c.hidden = !shown;
                c.position = static_cast<long>(i) + 1;
            }
            if (!shown) continue;
            grid.put_CellBackColor(row, 0, ui::kGrey);
            grid.put_RowData(row, static_cast<long>(i) + 1);
            records->push_back(static_cast<std::uint32_t>(i));
            ++row;
        }
        // A read of every record leaves the cursor past the last.
        rs->MoveLast();
        rs->MoveNext();
        grid.put_Rows(row);
        const long out_q = out_q_col_, out_n = out_n_col_, bal_q = bal_q_col_, bal_n = bal_n_col_;
        const int kind = conversion_kind_;
        const double rate_value = rate.value();
        grid.fill_rows_on_first_use(1, 1, [snapshot, records, fields, out_q, out_n, bal_q, bal_n, bal_field, kind,
                                           rate_value, quan, pieces,
                                           grey_pieces](long r, ui::RowCells& cells, std::uint32_t* colors) {
            const Variant* values = snapshot->row((*records)[static_cast<std::size_t>(r - 1)]);
            if (!values) return;
            const double balance = bal_field >= 0 ? value_number(values[bal_field]) : 0;
            for (long f = 0; f < fields; ++f) {
                const long k = f + 1;
                const Variant& v = values[f];
                if (k == out_q || k == out_n) {
                    cells.set(f, "0");
                } else if (k == bal_q) {
                    cells.set(f, v.is_null() || v.is_empty() ? "0" : vb::Format(v, quan));
                } else if (k == bal_n) {
                    if (kind == 1 && rate_value != 0)
                        cells.set(f, vb::Format(Variant(balance / rate_value), pieces));
                    else
                        cells.set(f, v.is_null() || v.is_empty() ? "0" : vb::Format(v, pieces));
                } else if (v.is_string()) {
                    cells.set(f, v.str());
                } else {
                    cells.set(f, vb::text_or_empty(v));
                }
                const bool white = k == out_q || (k == out_n && !grey_pieces);
                colors[f] = white ? ui::kWhite : ui::kGrey;
            }
        });
    }
    if (ours) model_.load(std::move(candidates));
    grid.put_Redraw(true);
}

// ---------------------------------------------------------------- allocation

long frmRefSelect::candidate_of(long row) const {
    const auto& shown = model_.shown();
    if (row < 1 || static_cast<std::size_t>(row) > shown.size()) return -1;
    return static_cast<long>(shown[static_cast<std::size_t>(row - 1)]);
}

long frmRefSelect::row_of(std::size_t candidate) const {
    const auto& shown = model_.shown();
    auto it = std::lower_bound(shown.begin(), shown.end(), candidate);
    return it != shown.end() && *it == candidate ? static_cast<long>(it - shown.begin()) + 1 : 0;
}

void frmRefSelect::write_quantity(const Candidate& c) {
    if (!data_ || data_->State() != ado::adStateOpen) return;
    data_->put_AbsolutePosition(c.position);
    if (out_q_field_ >= 0)
        data_->Fields().Item(Variant(static_cast<long>(out_q_field_))).put_Value(Variant(c.out_quantity.value()));
    // Without a rate the pieces are the ones the row holds, when it has any.
    if (out_n_field_ >= 0 && (!model_.rate().is_zero() || out_n_col_ > 0))
        data_->Fields().Item(Variant(static_cast<long>(out_n_field_))).put_Value(Variant(c.out_pieces.value()));
    data_->Update();
}

void frmRefSelect::write_pieces(const Candidate& c) {
    if (!data_ || data_->State() != ado::adStateOpen) return;
    data_->put_AbsolutePosition(c.position);
    if (out_n_field_ >= 0)
        data_->Fields().Item(Variant(static_cast<long>(out_n_field_))).put_Value(Variant(c.out_pieces.value()));
    if (ref_type_ == 2 && out_q_field_ >= 0)
        data_->Fields().Item(Variant(static_cast<long>(out_q_field_))).put_Value(Variant(c.out_quantity.value()));
    data_->Update();
}

void frmRefSelect::show_toggle(long r, std::size_t i, const AllocationModel::Toggle& t) {
    if (r < 1) return;
    const Candidate& c = model_.row(i);
    const bool has_pieces = out_n_col_ > 0;
    grid_->put_TextMatrix(r, 0, c.chosen ? texts::kChosen : "");
    if (t.took_back) {
        if (model_.mode().both_editable && has_pieces) grid_->put_TextMatrix(r, out_n_col_, "0");
        grid_->put_TextMatrix(r, out_q_col_, "0");
    } else {
        if (t.quantity_set) grid_->put_TextMatrix(r, out_q_col_, fmt_quantity(c.out_quantity));
        if (t.pieces_set && has_pieces) grid_->put_TextMatrix(r, out_n_col_, fmt_pieces(c.out_pieces));
    }
    // The cell check of the out quantity, as if the operator had typed it.
    if (!colour_refused(c.out_quantity)) write_quantity(c);
    if (!model_.rate().is_zero() && has_pieces) grid_->put_TextMatrix(r, out_n_col_, fmt_pieces(c.out_pieces));
}

void frmRefSelect::ToggleRow(long r) {
    if (r < 1 || r >= grid_->Rows() || out_q_col_ < 1) return;
    const long i = candidate_of(r);
    if (i < 0) return;
    trace_.reset();  // the operator's choice is no longer the rule's
    show_toggle(r, static_cast<std::size_t>(i), model_.toggle(static_cast<std::size_t>(i)));
}

void frmRefSelect::ClearSelection() {
    if (out_q_col_ < 1) return;
    model_.clear_selection([this](std::size_t i, const AllocationModel::Toggle& t) { show_toggle(row_of(i), i, t); });
}

void frmRefSelect::AutoMatch(std::string& sReturnErr) {
    const bool text_mode = !sReturnErr.empty();
    grid_->put_Rows(1);
    model_.clear();
    model_.reset_remaining();
    trace_.reset();

    std::string rule;
    std::string_view sort;
    if (data_ && data_->State() == ado::adStateOpen && (ref_type_ == 0 || ref_type_ == 1)) {
        rule = ref_type_ == 0 ? options_->BatchOut() : options_->InOutTrace();
        sort = AllocationModel::sort_for(ref_type_, rule);
        if (!sort.empty()) data_->put_Sort(sort);
    }
    FillGrid(*grid_, data_);

    if (out_q_col_ > 0)
        model_.auto_match([this](std::size_t i, const AllocationModel::Toggle& t) { show_toggle(row_of(i), i, t); });
    if (trace_request_) make_trace(rule, sort);

    std::string message;
    switch (model_.outcome()) {
    case AllocationModel::Outcome::NoCandidates:
        message = ref_type_ == 0 ? texts::kNoBatches : texts::kNoReceipts;
        break;
    case AllocationModel::Outcome::NotAllAllocated:
        message = std::string(texts::kNotAllAllocated) + vb::CStr(Variant(model_.remaining_quantity().value())) +
                  texts::kNotAllocatedTail;
        break;
    case AllocationModel::Outcome::Allocated: break;
    }
    if (text_mode) {
        sReturnErr.clear();
        sReturnErr = message;
    } else if (!message.empty()) {
        host().MsgBox(message, ui::vb::vbInformation, ref_type_ == 0 ? texts::kTitleBatch : texts::kTitleTrace);
    }
}

void frmRefSelect::make_trace(const std::string& rule, std::string_view sort) {
    // The columns a clerk knows a candidate by, those the selection has.
    static constexpr const char* kKeyColumns[] = {"批号", "入库单号", "入库日期", "失效日期", "现存量编号", "入库系统编号"};
    TraceSource source;
    std::vector<int> key_fields;
    std::shared_ptr<const ado::RecordSnapshot> snapshot;
    if (data_ && data_->State() == ado::adStateOpen) {
        for (const char* name : kKeyColumns)
            if (int f = field_index(name); f >= 0) {
                source.key_names.emplace_back(name);
                key_fields.push_back(f);
            }
        // shares the rows until the set is written to, so a trace costs
        // record numbers, not copies
        snapshot = std::make_shared<const ado::RecordSnapshot>(data_->view_snapshot());
    }
    auto record = [snapshot](long position) -> const Variant* {
        return snapshot ? snapshot->row(static_cast<std::size_t>(position - 1)) : nullptr;
    };
    source.keys = [record, key_fields](const TraceRow& r) {
        std::vector<std::string> keys;
        const Variant* values = record(r.position);
        for (int f : key_fields) {
            const Variant& v = values ? values[f] : Variant();
            keys.push_back(v.type() == VarType::Date ? vb::Format(v, "YYYY-MM-DD") : vb::text_or_empty(v));
        }
        return keys;
    };
    const int id_field = trace_request_->earlier.empty() ? -1 : field_index(trace_request_->id_field);
    if (id_field >= 0)
        source.earlier = [&](const Candidate& c) {
            const Variant* values = record(c.position);
            if (!values || !vb::IsNumeric(values[id_field])) return Amount();
            auto it = trace_request_->earlier.find(static_cast<long>(vb::CDbl(values[id_field])));
            return it == trace_request_->earlier.end() ? Amount() : it->second;
        };
    auto t = std::make_shared<AllocationTrace>(trace_of(model_, source));
    t->rule = rule;
    t->sort = std::string(sort);
    trace_ = std::move(t);
}

void frmRefSelect::BuildResult() {
    std::vector<Variant> marks;
    if (data_ && data_->State() == ado::adStateOpen)
        for (long position : model_.chosen_positions()) {
            data_->put_AbsolutePosition(position);
            marks.push_back(data_->Bookmark());
        }
    if (marks.empty()) {
        data_.reset();
        return;
    }
    data_->put_Filter(marks);
}

void frmRefSelect::TaskRun(const std::string& key) {
    const std::string k = vb::LCase(key);
    if (k == texts::kKeyOk) {
        grid_->finish_edit();
        BuildResult();
        ok_ = true;
        Unload();
    } else if (k == texts::kKeyAuto) {
        std::string none;
        AutoMatch(none);
    } else if (k == texts::kKeyCancel) {
        ok_ = false;
        Unload();
    }
}

// ---------------------------------------------------------------- checks

void frmRefSelect::inform(const char* message) { host().MsgBox(message, ui::vb::vbInformation); }

bool frmRefSelect::colour_refused(Amount n) {
    switch (model_.refusal(n)) {
    case AllocationModel::Refusal::RedPositive: inform(texts::kRedNoPositive); return true;
    case AllocationModel::Refusal::BlueNegative: inform(texts::kBlueNoNegative); return true;
    case AllocationModel::Refusal::None: break;
    }
    return false;
}

bool frmRefSelect::check_cell(std::string& text, long row, long col) {
    auto n = number_of(text);
    if (!n) {
        host().Beep();
        return false;
    }
    const Amount amount = Amount::of(*n);
    if (!blank(text) && colour_refused(amount)) return false;
    const long i = candidate_of(row);
    if (i < 0) return true;
    const Candidate& c = model_.row(static_cast<std::size_t>(i));
    if (col == out_q_col_ && out_q_col_ > 0) {
        trace_.reset();
        model_.set_out_quantity(static_cast<std::size_t>(i), amount);
        write_quantity(c);
        if (!model_.rate().is_zero() && out_n_col_ > 0)
            grid_->put_TextMatrix(row, out_n_col_, fmt_pieces(c.out_pieces));
    } else if (col == out_n_col_ && out_n_col_ > 0) {
        trace_.reset();
        model_.set_out_pieces(static_cast<std::size_t>(i), amount);
        write_pieces(c);
        if (ref_type_ == 2) grid_->put_TextMatrix(row, out_q_col_, fmt_quantity(c.out_quantity));
    }
    return true;
}

std::optional<double> frmRefSelect::header_number(const std::string& text, double current) {
    auto v = number_of(text);
    if (!v) {
        host().Beep();
        return std::nullopt;
    }
    if (*v * current < 0) {
        inform(texts::kSignFixed);
        return std::nullopt;
    }
    if (colour_refused(Amount::of(*v))) return std::nullopt;
    return v;
}

bool frmRefSelect::ask_reallocate(const char* less_than, Amount allocated) {
    std::string ask = std::string(less_than) + vb::CStr(Variant(allocated.value())) + texts::kReallocate;
    return host().MsgBox(ask, ui::vb::vbYesNo | ui::vb::vbQuestion) == ui::vb::vbYes;
}

void frmRefSelect::commit_quantity(std::string& text, bool& cancel) {
    auto v = header_number(text, model_.quantity().value());
    if (!v) {
        cancel = true;
        return;
    }
    const Amount value = rounded(*v, quan_format_);
    const AllocationModel::Change change = model_.change_quantity(value);
    if (!change.applied) {
        if (!ask_reallocate(texts::kLessThanQuantity, change.allocated)) {
            cancel = true;
            return;
        }
        model_.set_quantity(value);
        model_.set_remaining_quantity(value);
        std::string none;
        AutoMatch(none);
    }
    const Amount q = model_.quantity(), n = model_.pieces(), rate = model_.rate();
    if (n.is_zero() && !rate.is_zero()) {
        const Amount pieces = rounded((q / rate).value(), pieces_format_);
        model_.set_pieces(pieces);
        model_.set_remaining_pieces(pieces);
        hdi_num_->put_Value(fmt_pieces(pieces));
    } else if (!n.is_zero()) {
        model_.set_rate(q / n);
        hdi_rate_->put_Value(fmt_rate(model_.rate()));
    }
    text = fmt_quantity(q);
}

void frmRefSelect::commit_pieces(std::string& text, bool& cancel) {
    auto v = header_number(text, model_.pieces().value());
    if (!v) {
        cancel = true;
        return;
    }
    const Amount value = rounded(*v, pieces_format_);
    const AllocationModel::Change change = model_.change_pieces(value);
    if (!change.applied) {
        if (!ask_reallocate(texts::kLessThanPieces, change.allocated)) {
            cancel = true;
            return;
        }
        model_.set_pieces(value);
        model_.set_remaining_pieces(value);
    }
    // Without a rate the pieces say nothing about the quantity.
    if (!model_.rate().is_zero()) {
        const Amount q = rounded((model_.pieces() * model_.rate()).value(), quan_format_);
        model_.set_quantity(q);
        model_.set_remaining_quantity(q);
        hdi_quantity_->put_Value(fmt_quantity(q));
    }
    if (!change.applied) {
        std::string none;
        AutoMatch(none);
    }
    text = fmt_pieces(model_.pieces());
}

void frmRefSelect::commit_rate(std::string& text, bool& cancel) {
    auto v = number_of(text);
    if (!v) {
        host().Beep();
        cancel = true;
        return;
    }
    if (*v < 0) {
        inform(texts::kNoNegativeRate);
        cancel = true;
        return;
    }
    // The rate typed is the one later conversions use.
    const Amount rate = rounded(*v, rate_format_);
    model_.set_rate(rate);
    const Amount q = model_.quantity(), n = model_.pieces();
    if (!n.is_zero()) {
        const Amount quantity = rounded((rate * n).value(), quan_format_);
        model_.set_quantity(quantity);
        model_.set_remaining_quantity(quantity);
        hdi_quantity_->put_Value(fmt_quantity(quantity));
    } else if (!q.is_zero() && !rate.is_zero()) {
        const Amount pieces = rounded((q / rate).value(), pieces_format_);
        model_.set_pieces(pieces);
        hdi_num_->put_Value(fmt_pieces(pieces));
    }
    text = fmt_rate(rate);
}

}  // namespace korvane::selection
