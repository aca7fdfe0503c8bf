#include "generation/core/body_rows.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "generation/core/texts.h"
#include "host/inventory.h"
#include "platform/vb/convert.h"
#include "platform/vb/error.h"

namespace korvane::generation::ModuleCtl {

namespace {

bool is_numeric_type(int t) {
    switch (t) {
    case 2: case 3: case 4: case 5: case 6: case 14: case 16: case 17: case 18: case 19: case 20: case 21:
    case 131: return true;
    default: return false;
    }
}

std::string without_commas(std::string_view text) {
    std::string s;
    s.reserve(text.size());
    for (char c : text)
        if (c != ',') s += c;
    return s;
}

bool is_body(const ui::Grid& list) { return vb::Like(vb::LCase(list.Name()), "*body"); }

// Stores a field when rs has it; a value the field cannot hold leaves it as it is.
void store(ado::Recordset& rs, const char* name, const Variant& v) {
    if (rs.Fields().find(name) < 0) return;
    try {
        rs.Fields(Variant(name)).put_Value(v);
    } catch (const Error&) {
    }
}

void copy_row(ui::Grid& list, ado::Recordset& rs, long row) {
    rs.AddNew();
    const long fields = rs.Fields().Count();
    for (long j = 0; j < fields && j + 1 < list.Cols(); ++j) {
        const std::string text(list.TextMatrix(row, j + 1));
        if (text.empty()) continue;
        auto field = rs.Fields(Variant(j));
        Variant v = is_numeric_type(field.Type()) ? Variant(vb::Val(without_commas(text))) : Variant(text);
        try {
            field.put_Value(v);
        } catch (const Error&) {
            // A text the field cannot hold (a date typed wrong) leaves it empty.
        }
    }
}

void body_amounts(ui::Grid& list, ado::Recordset& rs, long row) {
    const long cols = list.Cols();
    const double quantity = CellAmount(list, row, cols - 2);
    store(rs, "iQuantity", Variant(quantity));
    store(rs, "iNum", Variant(CellAmount(list, row, cols - 1)));
    store(rs, "bQuanSign", Variant(quantity >= 0));
}

// An arrival line received whole: what the source delivered is what is entered.
void whole_arrival(ui::Grid& list, ado::Recordset& rs, long row) {
    if (vb::LCase(list.Name()) != "lstdhdbody") return;
    int f = rs.Fields().find("iquantity");
    if (f < 0) return;
    if (CellAmount(list, row, f + 1) == CellAmount(list, row, list.Cols() - 2)) store(rs, "bAll", Variant(1));
}

std::string field_text(const ado::Field& f, const Variant& v, const session::SystemOptions& o) {
    if (v.is_null() || v.is_empty()) return {};
    const std::string name = vb::LCase(f.Name());
    int decimals = -1;
    for (const char* q : {"iquantity", "iarrqty", "ireceivedqty", "fvalidinquan", "foutquantity"})
        if (name == q) decimals = o.QuanDecDgt();
    for (const char* p : {"inum", "iarrnum", "foutnum", "fvalidinnum", "ireceivednum"})
        if (name == p) decimals = o.NumDecDgt();
    if (name == "iinvexchrate" || name == "inatunitprice") decimals = o.ExchRateDecDgt();
    if (decimals >= 0) return vb::Format(v, vb::decimals_pattern(decimals));
    if (v.type() == VarType::Date) return vb::format_date(vb::CDate(v));
    return vb::text_or_empty(v);
}

// The first row of a query, or an empty set.
ado::RecordsetPtr query(const FormServices& services, const std::string& sql) {
    auto rs = ado::Recordset::create();
    rs->Open(sql, services.session()->GetConnection(), ado::adOpenStatic, ado::adLockReadOnly);
    return rs;
}

std::string text_of(const ado::RecordsetPtr& rs, const char* name) {
    if (!rs || rs->Fields().find(name) < 0 || rs->Eof()) return {};
    return vb::text_or_empty((*rs)(Variant(name)));
}

double number_or_zero(const Variant& v) { return v.is_null() || v.is_empty() ? 0.0 : vb::CDbl(v); }

// The inventory's units: the name and rate of the one whose code or name is
// `typed`; `found` false when none is. An inventory without units takes any text.
bool resolve_unit(const FormServices& services, const std::string& inventory, const std::string& typed,
                  std::string& name, double& rate, bool& found) {
    const std::string group =
        "(select MainUnit.cGroupCode from Inventory inner join ComputationUnit MainUnit "
        "on MainUnit.cComunitCode = Inventory.cComUnitCode where Inventory.cInvCode = " +
        host::sql_quoted(inventory) + ")";
    auto units = query(services, "select cComUnitName, iChangRate from ComputationUnit where cGroupCode = " + group +
                                     " and (cComunitCode = " + host::sql_quoted(typed) +
                                     " or cComUnitName = " + host::sql_quoted(typed) + ")");
    found = !units->Eof();
    if (found) {
        name = vb::text_or_empty((*units)(Variant(0L)));
        rate = number_or_zero((*units)(Variant(1L)));
        return true;
    }
    auto any = query(services, "select count(*) from ComputationUnit where cGroupCode = " + group);
    return vb::CLng((*any)(Variant(0L))) == 0;
}

// The value of free item n whose code or value is `typed`; an item without
// a value list takes any text.
bool resolve_free_value(const FormServices& services, int n, const std::string& typed, std::string& value) {
    auto values = query(services, "select cValue from FreeItemValue where iFreeNo = " + std::to_string(n) +
                                      " and (cValueCode = " + host::sql_quoted(typed) +
                                      " or cValue = " + host::sql_quoted(typed) + ")");
    if (!values->Eof()) {
        value = vb::text_or_empty((*values)(Variant(0L)));
        return true;
    }
    auto any = query(services, "select count(*) from FreeItemValue where iFreeNo = " + std::to_string(n));
    return vb::CLng((*any)(Variant(0L))) == 0;
}

// The field column's amount of the current row, 0 when rs has no such field.
double field_amount(const ui::Grid& list, const ado::RecordsetPtr& rs, long row, const char* name) {
    int f = rs->Fields().find(name);
    return f < 0 ? 0.0 : CellAmount(list, row, f + 1);
}

}  // namespace

long CaptionColumn(const ui::Grid& list, const std::string& caption) {
    for (long c = 1; c < list.Cols(); ++c)
        if (list.TextMatrix(0, c) == caption) return c;
    return 0;
}

double TextAmount(std::string_view text) { return vb::Val(without_commas(text)); }

double CellAmount(const ui::Grid& list, long row, long col) {
    if (row < 0 || col < 0 || row >= list.Rows() || col >= list.Cols()) return 0;
    return TextAmount(list.TextMatrix(row, col));
}

ado::RecordsetPtr EmptyRecordsetCopy(const ado::RecordsetPtr& rs) {
    if (!rs) err::raise(err::kObjectNotSet);
    Variant kept = rs->Filter();
    rs->put_Filter(Variant(rs->Fields().Item(Variant(0L)).Name() + "=null"));
    auto copy = rs->copy_detached(false);
    rs->put_Filter(kept);
    return copy;
}

namespace {
// What a copied issue line's own quantity says of this time's: false after
// telling the user when the signs differ.
bool same_sign(ui::Grid& list, ado::Recordset& rs, long row, ui::UiHost& host) {
    const int f = rs.Fields().find("iQuantity");
    if (f < 0) return true;
    const Variant& own = rs.Fields(Variant(static_cast<long>(f))).Value();
    const double quantity = own.is_null() || own.is_empty() ? 0.0 : vb::CDbl(own);
    const double now = CellAmount(list, row, list.Cols() - 2);
    if (now * quantity >= 0) return true;
    host.MsgBox(std::string(texts::kIssueSignHead) + (now > 0 ? "正数" : "负数"), ui::vb::vbOKOnly,
                texts::kSystemTitle);
    return false;
}
}  // namespace

void RowsToRecordset(ui::Grid& list, const ado::RecordsetPtr& rs, long& row, ui::UiHost& host) {
    if (!rs) err::raise(err::kObjectNotSet);
    if (row > 0) {
        RowsToRecordset(list, rs, row);
        return;
    }
    for (long r = 1; r < list.Rows(); ++r) {
        if (!HandedOver(list, r)) continue;
        copy_row(list, *rs, r);
        if (!same_sign(list, *rs, r, host)) {
            rs->CancelUpdate();
            row = -1;
            return;
        }
        body_amounts(list, *rs, r);
        rs->Update();
    }
}

void RowsToRecordset(ui::Grid& list, const ado::RecordsetPtr& rs, long row, const std::string& default_bus_type) {
    if (!rs) err::raise(err::kObjectNotSet);
    const bool body = is_body(list);
    if (row > 0) {
        copy_row(list, *rs, row);
        if (body) body_amounts(list, *rs, row);
        rs->Update();
        return;
    }
    for (long r = 1; r < list.Rows(); ++r) {
        if (!HandedOver(list, r)) continue;
        copy_row(list, *rs, r);
        if (!default_bus_type.empty() && rs->Fields().find("cbustype") >= 0 &&
            vb::text_or_empty((*rs)(Variant("cBusType"))).empty())
            store(*rs, "cBusType", Variant(default_bus_type));
        if (body) {
            whole_arrival(list, *rs, r);
            body_amounts(list, *rs, r);
        }
        rs->Update();
    }
}

bool SetBodyCellState(const FormServices& services, std::int32_t vouch_kind, const ado::RecordsetPtr& head,
                      const ado::RecordsetPtr& line, ui::Grid& list, std::string& sMessage) {
    if (!list.Enabled()) return true;
    const long row = list.Row();
    if (row < 1 || row >= list.Rows()) return true;
    auto service = services.stock_option ? services.stock_option() : nullptr;
    if (!service) err::raise(err::kObjectNotSet);
    if (!service->InitFromSession(services.session()->GetSession(), sMessage)) return false;
    std::vector<session::ColumnSetting> settings;
    try {
        settings = service->GetColumnSet(vouch_kind, head, line);
    } catch (const Error& e) {
        sMessage = e.description();
        return false;
    }
    const bool returning = CellAmount(list, row, list.Cols() - 2) < 0;
    const session::ColumnSetting* invouch = nullptr;
    const session::ColumnSetting* batch = nullptr;
    for (const auto& s : settings) {
        if (s.Column == "入库单号") invouch = &s;
        if (s.Column == "批号") batch = &s;
        const long col = CaptionColumn(list, s.Column);
        if (col <= 0 || list.CellBackColor(row, col) == ui::kGrey) continue;
        const bool only_while_empty = s.Column == "批号" || vb::Like(vb::LCase(s.Column), "cfree*");
        if (s.Enabled && only_while_empty && !list.TextMatrix(row, col).empty()) continue;
        list.put_CellBackColor(row, col, s.Enabled ? ui::kWhite : ui::kGrey);
    }
    if (vb::LCase(list.Name()) == "lstddbody") {
        auto by_setting = [&](const session::ColumnSetting* s) { return s && s->Enabled ? ui::kWhite : ui::kGrey; };
        if (long col = CaptionColumn(list, "入库单号"))
            list.put_CellBackColor(row, col, returning ? by_setting(invouch) : ui::kGrey);
        if (long col = CaptionColumn(list, "批号"); col && returning) list.put_CellBackColor(row, col, by_setting(batch));
    }
    return true;
}

// The head travels with the line for a host whose references depend on it;
// the account's units and free-item values do not.
bool ApplyRefRowToGrid(const FormServices& services, [[maybe_unused]] const ado::RecordsetPtr& head,
                       const ado::RecordsetPtr& line, ui::Grid& list, std::string& sMessage) {
    const long row = list.Row();
    if (!line || line->State() != ado::adStateOpen || line->RecordCount() == 0 || row < 1 || row >= list.Rows()) {
        sMessage = texts::kNoLine;
        return false;
    }
    line->MoveFirst();
    auto& fields = line->Fields();
    const std::string inventory = text_of(line, "cinvcode");
    // The unit and the free items as the account names them.
    if (fields.find("cinva_unit") >= 0) {
        std::string typed = text_of(line, "cinva_unit");
        if (!typed.empty()) {
            std::string name = typed;
            double rate = 0;
            bool found = false;
            if (!resolve_unit(services, inventory, typed, name, rate, found)) {
                sMessage = std::string(texts::kUnknownUnitHead) + typed + texts::kUnknownTail;
                return false;
            }
            if (found) {
                store(*line, "cinva_unit", Variant(name));
                if (rate > 0) store(*line, "iinvexchrate", Variant(rate));
            }
        }
    }
    for (int n = 1; n <= 10; ++n) {
        const std::string field = "cfree" + std::to_string(n);
        if (fields.find(field) < 0) continue;
        std::string typed = text_of(line, field.c_str());
        if (typed.empty()) continue;
        std::string value;
        if (!resolve_free_value(services, n, typed, value)) {
            sMessage = std::string(texts::kUnknownFreeHead) + typed + texts::kUnknownTail;
            return false;
        }
        if (!value.empty()) store(*line, field.c_str(), Variant(value));
    }
    line->Update();

    auto options = services.session()->GetOptions();
    const long cols = list.Cols();
    const long count = fields.Count();
    list.put_Redraw(false);
    for (long j = 0; j < count && j + 1 < cols - 4; ++j) {
        auto f = fields.Item(Variant(j));
        const std::string name = vb::LCase(f.Name());
        if (name == "iquantity" || name == "inum") continue;  // the source's amounts stay
        list.put_TextMatrix(row, j + 1, field_text(f, f.Value(), *options));
    }
    const std::string quan = vb::decimals_pattern(options->QuanDecDgt());
    const std::string num = vb::decimals_pattern(options->NumDecDgt());
    const Variant& quantity = (*line)(Variant("iquantity"));
    Variant pieces = (*line)(Variant("inum"));
    const double line_rate = number_or_zero(fields.find("iinvexchrate") < 0 ? Variant() : (*line)(Variant("iinvexchrate")));
    const bool fixed_rate = fields.find("igrouptype") >= 0 && vb::CLng(Variant(number_or_zero((*line)(Variant("igrouptype"))))) == 1;
    // A fixed rate ties this time's pieces to its quantity.
    if (fixed_rate && line_rate != 0 && !quantity.is_null()) pieces = Variant(vb::CDbl(quantity) / line_rate);
    list.put_TextMatrix(row, cols - 2, quantity.is_null() ? std::string() : vb::Format(quantity, quan));
    list.put_TextMatrix(row, cols - 1, pieces.is_null() ? std::string() : vb::Format(pieces, num));

    // What is left of the source line, from the row's own source amounts.
    const std::string kind = vb::LCase(list.Name());
    double left = field_amount(list, line, row, "iquantity"), left_pieces = field_amount(list, line, row, "inum");
    const char* done[2][2] = {{"ireceivedqty", "ireceivednum"}, {nullptr, nullptr}};
    if (kind == "lstfhdbody") done[0][0] = "foutquantity", done[0][1] = "foutnum";
    if (kind == "lstdhdbody") done[0][0] = "fvalidinquan", done[0][1] = "fvalidinnum";
    if (kind == "lstddbody") done[1][0] = "iarrqty", done[1][1] = "iarrnum";
    for (auto& d : done)
        if (d[0]) left -= field_amount(list, line, row, d[0]), left_pieces -= field_amount(list, line, row, d[1]);
    const double rate = field_amount(list, line, row, "iinvexchrate");
    if (vb::CLng(Variant(field_amount(list, line, row, "igrouptype"))) == 1 && rate != 0) left_pieces = left / rate;
    list.put_TextMatrix(row, cols - 4, vb::Format(Variant(left), quan));
    list.put_TextMatrix(row, cols - 3, vb::Format(Variant(left_pieces), num));
    list.put_Redraw(true);
    return true;
}

void CopyCurrentLine(ui::Grid& list, bool current_cell_colour, bool this_time_amounts) {
    const long from = list.Row();
    if (from < 1 || from >= list.Rows()) return;
    list.put_Redraw(false);
    const long to = list.Rows();
    list.put_Rows(to + 1);
    const std::uint32_t cell = list.CellBackColor(from, std::max(list.Col(), 0L));
    const long last = this_time_amounts ? list.Cols() : list.Cols() - 2;
    for (long c = 0; c < last; ++c) {
        list.put_TextMatrix(to, c, list.TextMatrix(from, c));
        list.put_CellBackColor(to, c, current_cell_colour ? cell : list.CellBackColor(from, c));
    }
    list.put_RowData(to, list.RowData(from));
    list.put_Redraw(true);
}

void ClearLineMarks(ui::Grid& list) {
    if (list.Rows() < 2) return;
    for (long r = 1; r < list.Rows(); ++r) list.put_TextMatrix(r, 0, "");
}

LineMenu AddLineMenu(ui::Form& form) {
    LineMenu m{};
    m.menu = &form.add<ui::Menu>("mnuYJCD");
    m.menu->put_Caption("右键菜单");
    m.menu->put_Visible(false);
    m.copy_line = &form.add<ui::Menu>("mnuCopyLine");
    m.copy_line->put_Caption("复制当前行");
    m.delete_line = &form.add<ui::Menu>("mnuDeleteLine");
    m.delete_line->put_Caption("删除当前行");
    m.clear_all = &form.add<ui::Menu>("mnuClearAll");
    m.clear_all->put_Caption("清除所有选择行");
    for (auto* item : {m.copy_line, m.delete_line, m.clear_all}) m.menu->add_item(*item);
    return m;
}

}  // namespace korvane::generation::ModuleCtl
