#include "selection/ref_select_form.h"

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

std::int64_t micro(double v) { return std::llround(v * 1e6); }

// An amount "remains" when it lies on the requested side of zero.
bool remains(double remaining, double requested) {
    return requested >= 0 ? remaining > 0 : remaining < 0;
}

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

frmRefSelect::frmRefSelect(ui::UiHost& host, session::PermissionServicePtr permission,
                           std::shared_ptr<host::BusinessObjects> business)
    : ui::Form(kFormName, host), permission_(std::move(permission)), business_(std::move(business)) {
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
    grid_->on_after_edit = [this](long row, long) { refresh_row(row); };

    on_load = [this] { form_load(); };
    on_unload = [this] {
        if (!ok_) data_.reset();
    };
    place_controls();
}

void frmRefSelect::put_ExchRate(const Variant& v) {
    exch_rate_ = v.is_empty() || v.is_null() ? 0 : vb::CDbl(v);
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

std::string frmRefSelect::fmt_quantity(double v) const { return vb::Format(Variant(v), quan_format_); }
std::string frmRefSelect::fmt_pieces(double v) const { return vb::Format(Variant(v), pieces_format_); }
std::string frmRefSelect::fmt_rate(double v) const { return vb::Format(Variant(v), rate_format_); }

void frmRefSelect::form_load() {
    host().set_app_title("");
    SetToolbarIcon();
    ok_ = false;

    options_ = session::load_session_options(permission_);
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

    quantity_ = vb::CDbl(Variant(fmt_quantity(quantity_)));
    num_ = vb::CDbl(Variant(fmt_pieces(num_)));
    exch_rate_ = vb::CDbl(Variant(fmt_rate(exch_rate_)));
    remaining_q_ = quantity_;
    remaining_n_ = num_;

    const bool boxes = ref_type_ == 0 && options_->ShowStockFilter();
    for (ui::CheckBox* box : {show_max_, show_zero_, show_min_}) box->put_Enabled(boxes);
    if (ref_type_ == 2) tbr_tool_->set_enabled(texts::kKeyAuto, false);

    // Names of the warehouse and inventory; a code that names none shows
    // nothing and the line simply finds no stock.
    if (auto warehouses = business_->create("warehouse")) {
        warehouses->put_Login(permission_);
        host::BusinessItem item;
        std::string why;
        hdi_wh_->put_Value(warehouses->load(wh_code_, item, why) ? item.name : "");
    }
    try {
        inventory_ = host::load_inventory(permission_->GetConnection(), inv_code_);
    } catch (const Error& e) {
        if (e.number() != err::kNoCurrentRecord) throw;
        inventory_.reset();
    }
    hdi_inv_->put_Value(inventory_ ? inventory_->cInvName() : "");
    conversion_kind_ = inventory_ ? inventory_->ConversionKind() : 0;

    hdi_free_->clear();
    if (inventory_) {
        auto defs = host::make_user_define();
        defs->put_Login(permission_);
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
    if (fill_on_load_) FillGrid(*grid_, data_);

    if (generation::ModuleCtl::GetToolbarStyle() == 1) {
        for (const auto& b : tbr_tool_->buttons()) {
            auto& copy = toolbar_control_->add_button(b.key, b.caption, b.check);
            copy.tooltip = b.tooltip;
            copy.enabled = b.enabled;
            copy.visible = b.visible;
            copy.image = b.image;
        }
        toolbar_control_->put_Style(1);
        toolbar_control_->put_Visible(true);
        tbr_tool_->put_Visible(false);
    } else {
        toolbar_control_->put_Visible(false);
        tbr_tool_->put_Visible(true);
    }
}

void frmRefSelect::show_header_amounts() {
    hdi_quantity_->put_Value(fmt_quantity(quantity_));
    hdi_num_->put_Value(conversion_kind_ == 0 ? "" : fmt_pieces(num_));
    hdi_rate_->put_Value(conversion_kind_ == 0 ? "" : fmt_rate(exch_rate_));
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
    // A selection shorter than its tail has no amounts to work on.
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
    if (open && rs->RecordCount() > 0) {
        const int bal_field = bal_q_col_ > 0 ? static_cast<int>(bal_q_col_ - 1) : field_index(bal_q_name_);
        const bool show_max = show_max_->Value() == 1, show_zero = show_zero_->Value() == 1,
                   show_min = show_min_->Value() == 1;
        const std::string quan = options_->FormatQuanDecString(), pieces = options_->FormatNumDecString();
        const bool grey_pieces = !hdi_num_->Editable();
        // The pass over the records picks the rows the show boxes let through;
        // their texts are written when a row is first shown or read, so a
        // large selection costs only the rows anyone looks at. They are
        // written from a snapshot, which later edits of the set do not reach.
        auto snapshot = std::make_shared<const ado::RecordSnapshot>(rs->view_snapshot());
        auto records = std::make_shared<std::vector<std::uint32_t>>();  // view positions, 0-based
        records->reserve(snapshot->size());
        grid.put_Rows(static_cast<long>(snapshot->size()) + 1);
        long row = 1;
        for (std::size_t i = 0; i < snapshot->size(); ++i) {
            const Variant* values = snapshot->row(i);
            const double balance = bal_field >= 0 ? value_number(values[bal_field]) : 0;
            if (!((balance > 0 && show_max) || (balance == 0 && show_zero) || (balance < 0 && show_min))) continue;
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
        const double rate = exch_rate_;
        grid.defer_rows(1, 1, [snapshot, records, fields, out_q, out_n, bal_q, bal_n, bal_field, kind, rate, quan, pieces,
                               grey_pieces](long r, std::string* cells, std::uint32_t* colors) {
            const Variant* values = snapshot->row((*records)[static_cast<std::size_t>(r - 1)]);
            if (!values) return;
            const double balance = bal_field >= 0 ? value_number(values[bal_field]) : 0;
            for (long f = 0; f < fields; ++f) {
                const long k = f + 1;
                const Variant& v = values[f];
                std::string& text = cells[f];
                if (k == out_q || k == out_n) {
                    text = "0";
                } else if (k == bal_q) {
                    text = v.is_null() || v.is_empty() ? "0" : vb::Format(v, quan);
                } else if (k == bal_n) {
                    if (kind == 1 && rate != 0)
                        text = vb::Format(Variant(balance / rate), pieces);
                    else
                        text = v.is_null() || v.is_empty() ? "0" : vb::Format(v, pieces);
                } else if (v.is_string()) {
                    text = v.str();
                } else {
                    text = vb::text_or_empty(v);
                }
                const bool white = k == out_q || (k == out_n && !grey_pieces);
                colors[f] = white ? ui::kWhite : ui::kGrey;
            }
        });
    }
    if (&grid == grid_) reset_sum(grid.Rows());
    grid.put_Redraw(true);
}

// ---------------------------------------------------------------- allocation

void frmRefSelect::reset_sum(long rows) {
    chosen_micro_.assign(static_cast<std::size_t>(std::max(rows, 1L)), 0);
    sum_micro_ = 0;
}

void frmRefSelect::refresh_row(long r) {
    if (r < 1 || r >= grid_->Rows()) return;
    if (chosen_micro_.size() < static_cast<std::size_t>(grid_->Rows())) chosen_micro_.resize(static_cast<std::size_t>(grid_->Rows()), 0);
    std::int64_t now = 0;
    if (grid_->TextMatrix(r, 0) == texts::kChosen && out_q_col_ > 0)
        now = micro(ToNumber(grid_->TextMatrix(r, out_q_col_)));
    sum_micro_ += now - chosen_micro_[static_cast<std::size_t>(r)];
    chosen_micro_[static_cast<std::size_t>(r)] = now;
}

double frmRefSelect::chosen_sum() const { return static_cast<double>(sum_micro_) / 1e6; }

void frmRefSelect::ToggleRow(long r) {
    if (r < 1 || r >= grid_->Rows() || out_q_col_ < 1) return;
    // A count takes every row's book amount whatever the request, so the
    // request stays what is left.
    if (!stock_count_) {
        remaining_q_ = static_cast<double>(micro(quantity_) - sum_micro_) / 1e6;
        if (quantity_ * remaining_q_ < 0) remaining_q_ = 0;
    }
    const bool both = both_editable();
    const bool has_pieces = out_n_col_ > 0;
    if (grid_->TextMatrix(r, 0) == texts::kChosen) {
        grid_->put_TextMatrix(r, 0, "");
        remaining_q_ += ToNumber(grid_->TextMatrix(r, out_q_col_));
        if (both && has_pieces) {
            remaining_n_ += ToNumber(grid_->TextMatrix(r, out_n_col_));
            grid_->put_TextMatrix(r, out_n_col_, "0");
        }
        grid_->put_TextMatrix(r, out_q_col_, "0");
    } else {
        grid_->put_TextMatrix(r, 0, texts::kChosen);
        const double s = remaining_q_ >= 0 ? 1 : -1;
        const double balance = bal_q_col_ > 0 ? ToNumber(grid_->TextMatrix(r, bal_q_col_)) : 0;
        if (stock_count_) {
            grid_->put_TextMatrix(r, out_q_col_, fmt_quantity(balance * s));
        } else {
            if (remaining_q_ != 0) {
                const double b = std::fabs(balance);
                if (b <= std::fabs(remaining_q_)) {
                    grid_->put_TextMatrix(r, out_q_col_, fmt_quantity(b * s));
                    remaining_q_ -= b * s;
                } else {
                    grid_->put_TextMatrix(r, out_q_col_, fmt_quantity(remaining_q_));
                    remaining_q_ = 0;
                }
            }
            if (both && has_pieces && remaining_n_ != 0) {
                const double bn = bal_n_col_ > 0 ? std::fabs(ToNumber(grid_->TextMatrix(r, bal_n_col_))) : 0;
                if (bn <= std::fabs(remaining_n_)) {
                    grid_->put_TextMatrix(r, out_n_col_, fmt_pieces(bn * s));
                    remaining_n_ -= bn * s;
                } else {
                    grid_->put_TextMatrix(r, out_n_col_, fmt_pieces(remaining_n_));
                    remaining_n_ = 0;
                }
            }
        }
    }
    std::string text = grid_->TextMatrix(r, out_q_col_);
    check_cell(text, r, out_q_col_);
    refresh_row(r);
    if (!number_of(grid_->TextMatrix(r, out_q_col_)) || exch_rate_ == 0 || both || !has_pieces) return;
    grid_->put_TextMatrix(r, out_n_col_, fmt_pieces(ToNumber(grid_->TextMatrix(r, out_q_col_)) / exch_rate_));
}

void frmRefSelect::ClearSelection() {
    for (long r = 1; r < grid_->Rows(); ++r)
        if (grid_->TextMatrix(r, 0) == texts::kChosen) ToggleRow(r);
}

void frmRefSelect::AutoMatch(std::string& sReturnErr) {
    const bool text_mode = !sReturnErr.empty();
    grid_->put_Rows(1);
    reset_sum(1);
    remaining_q_ = quantity_;
    remaining_n_ = num_;

    if (data_ && data_->State() == ado::adStateOpen) {
        const char* sort = nullptr;
        if (ref_type_ == 0) {
            const std::string rule = options_->BatchOut();
            if (rule == texts::kRuleBatchFifo) sort = texts::kSortBatch;
            else if (rule == texts::kRuleNearestExpiry) sort = texts::kSortExpiry;
        } else if (ref_type_ == 1) {
            const std::string rule = options_->InOutTrace();
            if (rule == texts::kRuleFifo) sort = texts::kSortFifo;
            else if (rule == texts::kRuleLifo) sort = texts::kSortLifo;
        }
        if (sort) data_->put_Sort(sort);
    }
    FillGrid(*grid_, data_);

    const bool both = both_editable();
    for (long r = 1; r < grid_->Rows(); ++r) {
        ToggleRow(r);
        if (!muti_sel_) break;
        if (stock_count_) continue;
        const bool q_left = remains(remaining_q_, quantity_);
        if (both ? !q_left && !remains(remaining_n_, num_) : !q_left) break;
    }

    std::string message;
    const bool empty = !data_ || data_->State() != ado::adStateOpen || data_->RecordCount() == 0;
    if (empty) {
        if (ref_type_ == 0) message = texts::kNoBatches;
        else if (ref_type_ == 1) message = texts::kNoReceipts;
    } else if (remaining_q_ > 0 && (ref_type_ == 0 || ref_type_ == 1)) {
        message = std::string(texts::kNotAllAllocated) + vb::CStr(Variant(remaining_q_)) + texts::kNotAllocatedTail;
    }
    if (text_mode) {
        sReturnErr.clear();
        sReturnErr = message;
    } else if (!message.empty()) {
        host().MsgBox(message, ui::vb::vbInformation, ref_type_ == 0 ? texts::kTitleBatch : texts::kTitleTrace);
    }
}

void frmRefSelect::BuildResult() {
    std::vector<Variant> marks;
    if (data_ && data_->State() == ado::adStateOpen)
        for (long r = 1; r < grid_->Rows(); ++r)
            if (grid_->TextMatrix(r, 0) == texts::kChosen) {
                data_->put_AbsolutePosition(grid_->RowData(r));
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

bool frmRefSelect::colour_refused(double n) {
    if (is_red_ && n > 0) {
        inform(texts::kRedNoPositive);
        return true;
    }
    if (!is_red_ && n < 0) {
        inform(texts::kBlueNoNegative);
        return true;
    }
    return false;
}

bool frmRefSelect::check_cell(std::string& text, long row, long col) {
    auto n = number_of(text);
    if (!n) {
        host().Beep();
        return false;
    }
    if (!blank(text) && colour_refused(*n)) return false;
    if (!data_ || data_->State() != ado::adStateOpen) return true;
    const int out_q = field_index(out_q_name_), out_n = field_index(out_n_name_);
    if (col == out_q_col_ && out_q_col_ > 0) {
        data_->put_AbsolutePosition(grid_->RowData(row));
        if (out_q >= 0) data_->Fields().Item(Variant(static_cast<long>(out_q))).put_Value(Variant(fmt_quantity(*n)));
        if (exch_rate_ != 0) {
            const double pieces = *n / exch_rate_;
            if (out_n >= 0) data_->Fields().Item(Variant(static_cast<long>(out_n))).put_Value(Variant(fmt_pieces(pieces)));
            if (out_n_col_ > 0) grid_->put_TextMatrix(row, out_n_col_, fmt_pieces(pieces));
        } else if (out_n_col_ > 0 && out_n >= 0) {
            data_->Fields().Item(Variant(static_cast<long>(out_n)))
                .put_Value(Variant(fmt_pieces(ToNumber(grid_->TextMatrix(row, out_n_col_)))));
        }
        data_->Update();
    } else if (col == out_n_col_ && out_n_col_ > 0) {
        data_->put_AbsolutePosition(grid_->RowData(row));
        if (out_n >= 0) data_->Fields().Item(Variant(static_cast<long>(out_n))).put_Value(Variant(fmt_pieces(*n)));
        if (ref_type_ == 2) {
            const double q = *n * exch_rate_;
            if (out_q >= 0) data_->Fields().Item(Variant(static_cast<long>(out_q))).put_Value(Variant(fmt_quantity(q)));
            grid_->put_TextMatrix(row, out_q_col_, fmt_quantity(q));
        }
        data_->Update();
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
    if (colour_refused(*v)) return std::nullopt;
    return v;
}

bool frmRefSelect::change_amount(double value, double& total, double& remaining, const char* less_than,
                                 bool& reallocate) {
    if (value == total) return true;
    const double allocated = std::fabs(total - remaining);
    if (allocated == 0) {
        total = remaining = value;
    } else if (allocated <= std::fabs(value)) {
        remaining += value - total;
        total = value;
    } else {
        std::string ask = std::string(less_than) + vb::CStr(Variant(allocated)) + texts::kReallocate;
        if (host().MsgBox(ask, ui::vb::vbYesNo | ui::vb::vbQuestion) != ui::vb::vbYes) return false;
        total = remaining = value;
        reallocate = true;
    }
    return true;
}

void frmRefSelect::commit_quantity(std::string& text, bool& cancel) {
    auto v = header_number(text, quantity_);
    bool reallocate = false;
    if (!v || !change_amount(vb::CDbl(Variant(fmt_quantity(*v))), quantity_, remaining_q_, texts::kLessThanQuantity,
                             reallocate)) {
        cancel = true;
        return;
    }
    if (reallocate) {
        std::string none;
        AutoMatch(none);
    }
    if (num_ == 0 && exch_rate_ != 0) {
        num_ = remaining_n_ = vb::CDbl(Variant(fmt_pieces(quantity_ / exch_rate_)));
        hdi_num_->put_Value(fmt_pieces(num_));
    } else if (num_ != 0) {
        exch_rate_ = quantity_ / num_;
        hdi_rate_->put_Value(fmt_rate(exch_rate_));
    }
    text = fmt_quantity(quantity_);
}

void frmRefSelect::commit_pieces(std::string& text, bool& cancel) {
    auto v = header_number(text, num_);
    bool reallocate = false;
    if (!v || !change_amount(vb::CDbl(Variant(fmt_pieces(*v))), num_, remaining_n_, texts::kLessThanPieces,
                             reallocate)) {
        cancel = true;
        return;
    }
    // Without a rate the pieces say nothing about the quantity.
    if (exch_rate_ != 0) {
        quantity_ = vb::CDbl(Variant(fmt_quantity(num_ * exch_rate_)));
        hdi_quantity_->put_Value(fmt_quantity(quantity_));
        remaining_q_ = quantity_;
    }
    if (reallocate) {
        std::string none;
        AutoMatch(none);
    }
    text = fmt_pieces(num_);
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
    exch_rate_ = vb::CDbl(Variant(fmt_rate(*v)));
    if (num_ != 0) {
        quantity_ = vb::CDbl(Variant(fmt_quantity(exch_rate_ * num_)));
        hdi_quantity_->put_Value(fmt_quantity(quantity_));
        remaining_q_ = quantity_;
    } else if (quantity_ != 0 && exch_rate_ != 0) {
        num_ = vb::CDbl(Variant(fmt_pieces(quantity_ / exch_rate_)));
        hdi_num_->put_Value(fmt_pieces(num_));
    }
    text = fmt_rate(exch_rate_);
}

}  // namespace korvane::selection
