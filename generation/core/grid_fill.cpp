#include "generation/core/grid_fill.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <memory>
#include <vector>

#include "session/permission_service.h"
#include "platform/vb/convert.h"
#include "platform/vb/error.h"

namespace korvane::generation::ModuleCtl {

namespace {

constexpr const char* kMarkCaption = "选择";
constexpr char kMark = 'Y';
constexpr std::array<const char*, 4> kReceiptColumns = {"未入库数量", "未入库件数", "本次入库数量", "本次入库件数"};
constexpr std::array<const char*, 4> kIssueColumns = {"未出库数量", "未出库件数", "本次出库数量", "本次出库件数"};
// The stock-row columns this time's amounts come from, for an issue line and for a return.
constexpr std::array<const char*, 2> kStockIssued = {"出库数量", "出库件数"};
constexpr std::array<const char*, 2> kStockReturned = {"退回数量", "退回件数"};

enum class Body : std::uint8_t { None, Issue, Arrival, Order };
enum class Amount : std::uint8_t { None, Quantity, Pieces, Rate };
enum class Shade : std::uint8_t { FreeItem, Unit, Other };

// A number pattern of the session's options: "##0" or "##0." and `decimals`
// zeros.
struct Pattern {
    std::string text;
    int decimals = 0;
};

// What a field column is, decided once per fill from its name and type.
struct FieldPlan {
    Amount amount = Amount::None;
    Shade shade = Shade::Other;
    std::uint32_t blank_color = ui::kWhite, filled_color = ui::kGrey;
    ui::InputKind blank_kind = ui::InputKind::Text;
};

struct Plan {
    long fields = 0;
    long cols = 0;  // the grid's column count while the fill runs
    bool mark = false;
    bool head = false;
    Body body = Body::None;
    std::vector<FieldPlan> columns;
    // Number patterns by Amount; none when the session's options could not be had.
    std::array<std::optional<Pattern>, 4> patterns;
    // Field positions of the computed columns' operands, -1 when rs lacks one.
    int quantity = -1, pieces = -1, group_type = -1, rate = -1;
    std::vector<int> quantity_done, pieces_done;
};

// This time's amounts of one row, read from its stock row at the fill.
struct StockAmounts {
    Variant quantity, pieces;
    bool has_quantity = false, has_pieces = false;
};

Body body_of(const std::string& name) {
    if (name == "lstfhdbody") return Body::Issue;
    if (name == "lstdhdbody") return Body::Arrival;
    if (name == "lstddbody") return Body::Order;
    return Body::None;
}

Amount amount_of(const std::string& field) {
    for (const char* f : {"iquantity", "iarrqty", "ireceivedqty", "fvalidinquan", "foutquantity"})
        if (field == f) return Amount::Quantity;
    for (const char* f : {"inum", "foutnum", "fvalidinnum", "ireceivednum"})
        if (field == f) return Amount::Pieces;
    if (field == "iinvexchrate" || field == "inatunitprice") return Amount::Rate;
    return Amount::None;
}

ui::InputKind kind_of(int ado_type) {
    switch (ado_type) {
    case 7: case 133: case 134: case 135: return ui::InputKind::Date;
    case 2: case 3: case 4: case 5: case 6: case 14: case 16: case 20: case 131: return ui::InputKind::Number;
    default: return ui::InputKind::Text;
    }
}

double operand(const Variant* values, int field) {
    if (field < 0) err::raise(err::kItemNotFound);
    const Variant& v = values[field];
    if (v.is_null()) return 0;
    if (v.type() == VarType::Double) return v.double_value();  // what a database amount mostly is
    return v.is_number() ? v.number() : vb::CDbl(v);
}

void format_into(ui::RowCells& cells, long col, double d, const std::optional<Pattern>& pattern) {
    if (!pattern) err::raise(err::kObjectNotSet);
    vb::TextBuffer buf;
    if (auto text = vb::fixed_text(d, pattern->decimals, buf)) cells.set(col, *text);
    else cells.set(col, vb::Format(Variant(d), pattern->text));
}

void format_into(ui::RowCells& cells, long col, const Variant& v, const std::optional<Pattern>& pattern) {
    if (v.is_null() || v.is_empty()) {
        if (!pattern) err::raise(err::kObjectNotSet);
        cells.clear(col);
        return;
    }
    if (v.type() == VarType::Double) return format_into(cells, col, v.double_value(), pattern);
    if (v.is_number() || v.is_bool() || v.type() == VarType::Date) return format_into(cells, col, v.number(), pattern);
    if (!pattern) err::raise(err::kObjectNotSet);
    cells.set(col, vb::Format(v, pattern->text));
}

Plan make_plan(const FormServices& services, const ado::Recordset& rs, const ui::Grid& list, bool mark) {
    Plan p;
    const std::string name = vb::LCase(list.Name());
    p.fields = rs.Fields().Count();
    p.cols = list.Cols();
    p.mark = mark;
    p.head = vb::Like(name, "*head");
    p.body = body_of(name);
    p.columns.resize(static_cast<std::size_t>(p.fields));
    for (long f = 0; f < p.fields; ++f) {
        ado::Field field = rs.Fields(Variant(static_cast<int>(f)));
        const std::string n = vb::LCase(field.Name());
        FieldPlan& c = p.columns[static_cast<std::size_t>(f)];
        c.amount = amount_of(n);
        c.shade = n.compare(0, 5, "cfree") == 0 ? Shade::FreeItem : n == "cinva_unit" ? Shade::Unit : Shade::Other;
        // Free items take typing while empty, the stock unit always; a blank
        // in a body list takes typing unless it is an executed amount or the
        // planned arrival; a filled cell is read-only but an arrival line's
        // warehouse code.
        bool grey_when_blank = false;
        for (const char* g : {"ireceivedqty", "ireceivednum", "fvalidinquan", "fvalidinnum", "foutquantity", "foutnum",
                              "darrivedate"})
            if (n == g) grey_when_blank = true;
        const bool white_when_filled = n == "cwhcode" && name == "lstdhdbody";
        switch (c.shade) {
        case Shade::FreeItem: c.blank_color = ui::kWhite, c.filled_color = ui::kGrey; break;
        case Shade::Unit: c.blank_color = c.filled_color = ui::kWhite; break;
        case Shade::Other:
            c.filled_color = white_when_filled ? ui::kWhite : ui::kGrey;
            c.blank_color = p.head ? c.filled_color : grey_when_blank ? ui::kGrey : ui::kWhite;
            break;
        }
        c.blank_kind = kind_of(field.Type());
    }
    // without a session the formatted cells stay empty
    if (services.permission) {
        auto options = services.permission->GetOptions();
        auto pattern = [](int decimals) { return Pattern{vb::decimals_pattern(decimals), std::max(decimals, 0)}; };
        p.patterns[static_cast<int>(Amount::Quantity)] = pattern(options->QuanDecDgt());
        p.patterns[static_cast<int>(Amount::Pieces)] = pattern(options->NumDecDgt());
        p.patterns[static_cast<int>(Amount::Rate)] = pattern(options->ExchRateDecDgt());
    }
    if (p.body != Body::None) {
        const ado::FieldList& fl = rs.Fields();
        p.quantity = fl.find("iQuantity");
        p.pieces = fl.find("iNum");
        p.group_type = fl.find("igrouptype");
        p.rate = fl.find("iinvexchrate");
        switch (p.body) {
        case Body::Issue:
            p.quantity_done = {fl.find("fOutQuantity")};
            p.pieces_done = {fl.find("fOutNum")};
            break;
        case Body::Arrival:
            p.quantity_done = {fl.find("fValidInQuan")};
            p.pieces_done = {fl.find("fValidInNum")};
            break;
        default:
            p.quantity_done = {fl.find("iArrQTY"), fl.find("iReceivedQTY")};
            p.pieces_done = {fl.find("iArrNum"), fl.find("iReceivedNum")};
            break;
        }
    }
    return p;
}

const std::optional<Pattern>& pattern(const Plan& p, Amount a) { return p.patterns[static_cast<int>(a)]; }

void cell_text(ui::RowCells& cells, long col, const Plan& p, const FieldPlan& c, const Variant& v) {
    if (c.amount != Amount::None) return format_into(cells, col, v, pattern(p, c.amount));
    switch (v.type()) {
    case VarType::Null:
    case VarType::Empty: cells.clear(col); return;
    case VarType::String: cells.set(col, v.str()); return;
    case VarType::Object:
    case VarType::Error: cells.set(col, vb::text_or_empty(v)); return;
    default: {
        vb::TextBuffer buf;
        cells.set(col, vb::scalar_text(v, buf));
        return;
    }
    }
}

bool is_return(const Plan& p, const Variant* values) {
    try {
        return operand(values, p.quantity) < 0;
    } catch (const std::exception&) {
        return false;
    }
}

// One row's texts and colours from column 0 on (cells and colors hold p.cols
// entries), in column order. Colours of column 0 and of the computed columns
// are left alone. A blank field sets its flag in `blanks`.
void write_row(const Plan& p, const Variant* values, const StockAmounts* stock, ui::RowCells& cells,
               std::uint32_t* colors, std::uint8_t* blanks) {
    if (p.cols > 0) {
        if (p.mark) cells.set(0, std::string_view(&kMark, 1));
        else cells.clear(0);
    }
    const long shown = std::min(p.fields, p.cols - 1);
    for (long f = 0; f < shown; ++f) {
        const FieldPlan& c = p.columns[static_cast<std::size_t>(f)];
        const Variant& v = values[f];
        bool blank = false;
        switch (v.type()) {
        case VarType::Null:
        case VarType::Empty:
            // what an amount would raise without its pattern empties the cell too
            blank = true;
            cells.clear(f + 1);
            break;
        case VarType::String:
            // the common cell, written without another look at its kind
            if (c.amount == Amount::None) {
                const std::string_view text = v.str();
                blank = text.empty();
                cells.set(f + 1, text);
                break;
            }
            blank = v.str().empty();
            [[fallthrough]];
        default:
            try {
                cell_text(cells, f + 1, p, c, v);
            } catch (const std::exception&) {
                cells.clear(f + 1);
            }
        }
        colors[f + 1] = blank ? c.blank_color : c.filled_color;
        blanks[f] |= static_cast<std::uint8_t>(blank);
    }
    if (p.body == Body::None || p.cols < 4) return;
    const long computed = p.cols - 4;
    double remaining = 0;
    bool have_remaining = false;
    try {
        remaining = operand(values, p.quantity);
        for (int f : p.quantity_done) remaining -= operand(values, f);
        have_remaining = true;
        format_into(cells, computed, remaining, pattern(p, Amount::Quantity));
    } catch (const std::exception&) {
        cells.clear(computed);
    }
    try {
        bool fixed_rate = false;
        try {
            fixed_rate = p.group_type >= 0 && !values[p.group_type].is_null() && vb::CDbl(values[p.group_type]) == 1;
        } catch (const std::exception&) {
        }
        double pieces = 0;
        if (fixed_rate) {
            if (!have_remaining) err::raise(err::kInvalidCall);
            const double rate = operand(values, p.rate);
            if (rate == 0) err::raise(11, "Division by zero");
            pieces = remaining / rate;
        } else {
            pieces = operand(values, p.pieces);
            for (int f : p.pieces_done) pieces -= operand(values, f);
        }
        format_into(cells, computed + 1, pieces, pattern(p, Amount::Pieces));
    } catch (const std::exception&) {
        cells.clear(computed + 1);
    }
    if (!stock) {
        cells.set(computed + 2, cells.get(computed));
        cells.set(computed + 3, cells.get(computed + 1));
        return;
    }
    try {
        if (!stock->has_quantity) err::raise(err::kNoCurrentRecord);
        format_into(cells, computed + 2, stock->quantity, pattern(p, Amount::Quantity));
    } catch (const std::exception&) {
        cells.clear(computed + 2);
    }
    try {
        if (!stock->has_pieces) err::raise(err::kNoCurrentRecord);
        format_into(cells, computed + 3, stock->pieces, pattern(p, Amount::Pieces));
    } catch (const std::exception&) {
        cells.clear(computed + 3);
    }
}

// The current stock row's amounts for a line (returns take the returned ones).
StockAmounts stock_amounts(const ado::Recordset& stock, bool line_is_return) {
    StockAmounts a;
    try {
        const Variant* values = stock.current_row();
        if (!values) return a;
        const auto& names = line_is_return ? kStockReturned : kStockIssued;
        int q = stock.Fields().find(names[0]), n = stock.Fields().find(names[1]);
        if (q >= 0) {
            a.quantity = values[q];
            a.has_quantity = true;
        }
        if (n >= 0) {
            a.pieces = values[n];
            a.has_pieces = true;
        }
    } catch (const std::exception&) {
    }
    return a;
}

// The input kinds a fill's values call for. Free items and the stock unit
// are typed as text once a row is filled; another column of a body list
// takes its type's kind once a blank value was written to it.
class InputKinds {
public:
    explicit InputKinds(const Plan& p) : blanks_(static_cast<std::size_t>(std::max(std::min(p.fields, p.cols - 1), 0L))) {
        for (long f = 0; f < static_cast<long>(blanks_.size()); ++f) {
            const FieldPlan& c = p.columns[static_cast<std::size_t>(f)];
            if (c.shade != Shade::Other) typed_as_text_.push_back(f);
            else if (!p.head) watched_.push_back({f, c.blank_kind});
        }
    }
    // The row writer's flags of blank fields.
    std::uint8_t* blanks() { return blanks_.data(); }
    void apply(ui::Grid& list, bool rows_written) {
        if (!rows_written) return;
        for (long f : typed_as_text_) list.put_ColInputKind(f + 1, ui::InputKind::Text);
        typed_as_text_.clear();
        for (std::size_t i = 0; i < watched_.size();) {
            if (!blanks_[static_cast<std::size_t>(watched_[i].field)]) {
                ++i;
                continue;
            }
            list.put_ColInputKind(watched_[i].field + 1, watched_[i].kind);
            watched_[i] = watched_.back();
            watched_.pop_back();
        }
    }

private:
    struct Watch {
        long field;
        ui::InputKind kind;
    };
    std::vector<std::uint8_t> blanks_;
    std::vector<long> typed_as_text_;
    std::vector<Watch> watched_;
};

void move_next(const ado::RecordsetPtr& rs) {
    try {
        if (rs) rs->MoveNext();
    } catch (const std::exception&) {
    }
}

}  // namespace

Variant NvlValue(const Variant& value, const Variant& default_value) {
    return value.is_null() ? default_value : value;
}

std::int32_t GetColumnIndex(const std::string& name, const ado::RecordsetPtr& rs, long cols) {
    const std::string key = vb::LCase(name);
    if (key == "iquantity") return static_cast<std::int32_t>(cols - 2);
    if (key == "inum") return static_cast<std::int32_t>(cols - 1);
    if (!rs) err::raise(err::kObjectNotSet);
    const long count = rs->Fields().Count();
    for (long f = 0; f < count; ++f)
        if (vb::LCase(rs->Fields(Variant(static_cast<int>(f))).Name()) == key) return static_cast<std::int32_t>(f + 1);
    return 0;
}

void FillSourceGrid(const FormServices& services, const ado::RecordsetPtr& rs, ui::Grid& list, bool bMark,
                    bool bAppend, const ado::RecordsetPtr& rsStock, bool bInPlace) {
    list.put_Redraw(false);
    try {
        if (!rs || rs->State() != ado::adStateOpen) {
            list.put_Redraw(true);
            return;
        }
        const long records = rs->RecordCount();
        const long fields = rs->Fields().Count();
        const Body body = body_of(vb::LCase(list.Name()));
        const bool in_place = bInPlace;
        const bool append = !in_place && bAppend && list.Rows() > 1;
        long first = 0;
        if (in_place) {
            first = list.Row();
        } else if (append) {
            first = list.Rows();
            list.put_Rows(first + records);
        } else {
            // A refill with the same columns keeps the rows' storage; the rows
            // come out as new ones all the same (see the row writer below).
            const long cols = fields + 1 + (body != Body::None ? 4 : 0);
            if (list.Cols() != cols) {
                list.put_Rows(1);
                list.put_Cols(cols);
            }
            const long kept = std::min(list.Rows() - 1, records);
            list.put_Rows(records + 1);
            for (long r = 1; r <= kept; ++r) {
                list.put_RowHidden(r, false);
                list.put_RowData(r, 0);
            }
            list.put_FixedRows(1);
            list.put_TextMatrix(0, 0, kMarkCaption);
            for (long f = 0; f < fields; ++f)
                list.put_TextMatrix(0, f + 1, rs->Fields(Variant(static_cast<int>(f))).Name());
            if (body != Body::None) {
                const auto& headers = body == Body::Issue ? kIssueColumns : kReceiptColumns;
                for (int i = 0; i < 4; ++i) list.put_TextMatrix(0, list.Cols() - 4 + i, headers[static_cast<std::size_t>(i)]);
            }
            first = 1;
        }

        const Plan plan = make_plan(services, *rs, list, bMark);
        InputKinds kinds(plan);

        const bool with_stock = rsStock != nullptr;
        if (with_stock) {
            try {
                rsStock->MoveFirst();
            } catch (const std::exception&) {
            }
        }
        rs->MoveFirst();
        if (in_place) {
            ui::RowCells cells;
            std::vector<std::uint32_t> colors(static_cast<std::size_t>(plan.cols));
            for (; !rs->Eof(); rs->MoveNext()) {
                const Variant* values = rs->current_row();
                StockAmounts stock;
                if (with_stock) stock = stock_amounts(*rsStock, is_return(plan, values));
                cells.reset(plan.cols);
                for (long c = 0; c < plan.cols; ++c) {
                    cells.set(c, list.TextMatrix(first, c));
                    colors[static_cast<std::size_t>(c)] = list.CellBackColor(first, c);
                }
                write_row(plan, values, with_stock ? &stock : nullptr, cells, colors.data(), kinds.blanks());
                kinds.apply(list, true);
                for (long c = 0; c < plan.cols; ++c) {
                    list.put_TextMatrix(first, c, cells.get(c));
                    list.put_CellBackColor(first, c, colors[static_cast<std::size_t>(c)]);
                }
                if (with_stock) move_next(rsStock);
            }
        } else {
            const ado::RecordSnapshot rows = rs->view_snapshot();
            const long filled = static_cast<long>(rows.size());  // the view: RecordCount rows
            std::vector<StockAmounts> stock;
            if (with_stock) {
                stock.reserve(static_cast<std::size_t>(filled));
                for (long i = 0; i < filled; ++i) {
                    stock.push_back(stock_amounts(*rsStock, is_return(plan, rows.row(static_cast<std::size_t>(i)))));
                    move_next(rsStock);
                }
            }
            // The set is left past its last record, as a read of every row leaves it.
            if (filled > 0) {
                rs->MoveLast();
                rs->MoveNext();
                // Written now: a filled list is soon read whole (marked, confirmed).
                bool written_any = false;
                list.fill_rows(first, 0, [&](long row, ui::RowCells& cells, std::uint32_t* colors) {
                    const std::size_t i = static_cast<std::size_t>(row - first);
                    const Variant* values = rows.row(i);
                    const bool none = !values && plan.fields > 0;
                    // A refilled row holds the last fill's colours: what write_row
                    // leaves alone starts white (the texts come empty).
                    const long written = none ? 0 : std::min(plan.fields, plan.cols - 1) + 1;
                    if (plan.cols > 0) colors[0] = ui::kWhite;
                    for (long c = written; c < plan.cols; ++c) colors[c] = ui::kWhite;
                    if (none) return;
                    written_any = true;
                    write_row(plan, values, i < stock.size() ? &stock[i] : nullptr, cells, colors, kinds.blanks());
                });
                kinds.apply(list, written_any);
            }
        }
    } catch (const std::exception&) {
        // the rows written so far stay
    }
    list.put_Redraw(true);
}

void FillListView(const FormServices& services, const ado::RecordsetPtr& rs, ui::ListView& list, bool bCheck,
                  std::optional<int> width) {
    list.put_Visible(false);
    list.put_Enabled(false);
    list.put_View(ui::lvwReport);
    list.put_FullRowSelect(true);
    list.put_Checkboxes(true);
    list.clear_items();
    list.clear_columns();
    if (rs && rs->State() == ado::adStateOpen && rs->RecordCount() > 0) {
        const long fields = rs->Fields().Count();
        // 0 plain, 1 the production property, 2 a quantity
        std::vector<int> kind(static_cast<std::size_t>(fields), 0);
        for (long f = 0; f < fields; ++f) {
            const std::string& name = rs->Fields(Variant(static_cast<int>(f))).Name();
            list.add_column(name, name);
            const std::string n = vb::LCase(name);
            if (f == 0) continue;
            if (n == "iproperty") kind[static_cast<std::size_t>(f)] = 1;
            else if (n == "fquantity" || n == "finquantity" || n == "foutquantity") kind[static_cast<std::size_t>(f)] = 2;
        }
        std::string quantity_format;
        bool have_format = false;
        rs->MoveFirst();
        for (; !rs->Eof(); rs->MoveNext()) {
            const std::string first = vb::text_or_empty(rs->Fields(Variant(0)).Value());
            ui::ListView::ListItem& item = list.add_item("k" + first, first);
            for (long f = 1; f < fields; ++f) {
                const Variant& v = rs->Fields(Variant(static_cast<int>(f))).Value();
                switch (kind[static_cast<std::size_t>(f)]) {
                case 1:
                    item.put_SubItems(f, !v.is_null() && vb::IsNumeric(v) && vb::CDbl(v) == 1 ? "自制" : "外协");
                    break;
                case 2:
                    if (!have_format) {
                        quantity_format = services.session()->GetOptions()->FormatQuanDecString();
                        have_format = true;
                    }
                    item.put_SubItems(f, vb::Format(v, quantity_format));
                    list.column(f + 1).align = ui::Alignment::Right;
                    break;
                default:
                    item.put_SubItems(f, vb::Trim(vb::text_or_empty(v)));
                    break;
                }
            }
            item.checked = bCheck;
        }
    }
    if (width)
        for (long i = 1; i <= list.column_count(); ++i) list.column(i).width = *width;
    list.put_Enabled(true);
    list.put_Visible(true);
}

}  // namespace korvane::generation::ModuleCtl
