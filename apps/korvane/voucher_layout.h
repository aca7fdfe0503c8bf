#pragma once

// The demo host's generated vouchers share one shape: locked head fields in
// rows of three above a read-only body grid.

#include <span>
#include <string>

#include "platform/ado/recordset.h"
#include "platform/ui/controls.h"
#include "platform/ui/form.h"
#include "platform/ui/grid.h"
#include "platform/vb/convert.h"

namespace korvane::app {

struct HeadField {
    const char* name;
    const char* caption;
};

// Body columns: caption, the line field it shows, width in twips.
struct BodyColumn {
    const char* caption;
    const char* field;
    int width;
};

inline ui::Grid& lay_out_voucher(ui::Form& form, std::span<const HeadField> head, std::span<const BodyColumn> body) {
    int i = 0;
    for (const auto& f : head) {
        const int left = 240 + (i % 3) * 3700, top = 240 + (i / 3) * 450;
        auto& label = form.add<ui::Label>(std::string("lbl") + f.name);
        label.put_Caption(f.caption);
        label.Move(left, top + 45, 1050, 270);
        auto& box = form.add<ui::TextBox>(f.name);
        box.Move(left + 1080, top, 2400, 315);
        box.put_Locked(true);
        ++i;
    }
    form.control_as<ui::TextBox>("txtCode").put_Text("0000000001");
    auto& grid = form.add<ui::Grid>("grdBody");
    grid.Move(240, 1260, 10920, 4440);
    grid.put_Editable(false);
    grid.put_Cols(static_cast<long>(body.size()) + 1);
    grid.put_Rows(1);
    grid.put_TextMatrix(0, 0, "行号");
    grid.put_ColWidth(0, 600);
    for (std::size_t c = 0; c < body.size(); ++c) {
        grid.put_TextMatrix(0, static_cast<long>(c) + 1, body[c].caption);
        grid.put_ColWidth(static_cast<long>(c) + 1, body[c].width);
    }
    return grid;
}

// A head or line field as the voucher shows it: dates as dates, amounts with
// two decimals, "" for Null or a field the record set lacks.
inline std::string voucher_text(ado::Recordset& rs, const char* field) {
    if (rs.Fields().find(field) < 0) return {};
    const Variant& v = rs(Variant(field));
    if (v.is_null() || v.is_empty()) return {};
    if (v.type() == VarType::Date) return vb::format_date(vb::CDate(v));
    if (std::string(field) == "iquantity" || std::string(field) == "inum") return vb::Format(v, "##0.00");
    return vb::text_or_empty(v);
}

// The body grid again: a numbered row a line, in the columns `body` names.
inline void fill_voucher_body(ui::Grid& grid, const ado::RecordsetPtr& lines, std::span<const BodyColumn> body) {
    grid.put_Redraw(false);
    grid.put_Rows(1);
    if (lines)
        for (lines->MoveFirst(); !lines->Eof(); lines->MoveNext()) {
            const long r = grid.Rows();
            grid.put_Rows(r + 1);
            grid.put_TextMatrix(r, 0, std::to_string(r));
            for (std::size_t c = 0; c < body.size(); ++c)
                grid.put_TextMatrix(r, static_cast<long>(c) + 1, voucher_text(*lines, body[c].field));
        }
    grid.put_Redraw(true);
}

}  // namespace korvane::app
