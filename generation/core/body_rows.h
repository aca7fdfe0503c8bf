// The rows of the body lists as record sets and back: the copy of marked
// (or one) grid rows into a record set, the line written back into its row
// after an edit, the editability colours of a row's cells, and the line
// menu's copy and clear. The purchase and sales forms share them.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "generation/core/form_services.h"
#include "platform/ado/recordset.h"
#include "platform/ui/form.h"
#include "platform/ui/grid.h"
#include "platform/ui/tabs_menus.h"

namespace korvane::generation::ModuleCtl {

// A record set with rs's fields and no records: rs filtered to none by its
// first field "=null", its structure copied; rs keeps its rows and filter.
ado::RecordsetPtr EmptyRecordsetCopy(const ado::RecordsetPtr& rs);

// Copies grid rows into rs (made by EmptyRecordsetCopy): field j from column
// j + 1 when not empty. row > 0 copies that row; 0 every marked, shown data
// row in order. A body list's records then take this time's quantity and
// pieces as iQuantity and iNum and bQuanSign (False for a return); an
// arrival line bAll = 1 when it is received whole. With row 0 an empty
// cBusType of a head becomes `default_bus_type` when that is given.
void RowsToRecordset(ui::Grid& list, const ado::RecordsetPtr& rs, long row,
                     const std::string& default_bus_type = {});
// A marked row that is shown: one row 0 copies.
inline bool HandedOver(const ui::Grid& list, long r) { return !list.TextMatrix(r, 0).empty() && !list.RowHidden(r); }
// The issue lines' form: with row 0, a line whose this time's quantity has
// the other sign than its own quantity is told on `host` and row comes back
// -1, the lines before it copied, none after.
void RowsToRecordset(ui::Grid& list, const ado::RecordsetPtr& rs, long& row, ui::UiHost& host);

// Colours the current row's cells by the stock options' column settings of
// `vouch_kind` for this head and line: white takes typing, grey does not.
// False with the reason in sMessage when the options cannot be had.
bool SetBodyCellState(const FormServices& services, std::int32_t vouch_kind, const ado::RecordsetPtr& head,
                      const ado::RecordsetPtr& line, ui::Grid& list, std::string& sMessage);

// Writes the one-row line copy back into the current row: its fields
// formatted, this time's amounts from its iQuantity and iNum, the remaining
// amounts recomputed. A unit or free-item value is taken as the account
// names it (code or name; the unit's rate comes with it); one it does not
// know refuses the line: False with the reason in sMessage, nothing written.
bool ApplyRefRowToGrid(const FormServices& services, const ado::RecordsetPtr& head, const ado::RecordsetPtr& line,
                       ui::Grid& list, std::string& sMessage);

// The copy-line menu: a new last row with every cell of the current row,
// mark included, and its colours (the current cell's colour for all when
// `current_cell_colour`). Drawing is off while it runs. Without
// `this_time_amounts` the last two columns (this time's quantity and
// pieces) stay empty in the copy.
void CopyCurrentLine(ui::Grid& list, bool current_cell_colour, bool this_time_amounts = true);
// Clears the mark of every data row.
void ClearLineMarks(ui::Grid& list);

// The body lists' pop-up menu (复制当前行, 删除当前行, 清除所有选择行), shown
// only on a right click.
struct LineMenu {
    ui::Menu* menu;
    ui::Menu* copy_line;
    ui::Menu* delete_line;
    ui::Menu* clear_all;
};
LineMenu AddLineMenu(ui::Form& form);

// The column whose caption (row 0) is `caption`; 0 when none.
long CaptionColumn(const ui::Grid& list, const std::string& caption);
// An amount as typed or shown: without digit-grouping commas, Val'd ("" is 0).
double TextAmount(std::string_view text);
// A cell's amount, read as TextAmount reads it; 0 outside the grid.
double CellAmount(const ui::Grid& list, long row, long col);

}  // namespace korvane::generation::ModuleCtl
