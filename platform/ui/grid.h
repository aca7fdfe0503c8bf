// Grid: the spreadsheet-like list the selection and generation forms fill
// from record sets. Cells are texts addressed by row and column; row 0 (the
// fixed rows) is the header. The model holds no widget: a view reads cells on
// demand and is told what changed. A row holds cells only once something is
// written to it, so 100,000 rows nobody has looked at cost a few bytes each.
//
// What a view hears, and when:
// - a change of shape (rows or columns in or out, or a reset) as a pair,
//   on_shape_changing with the grid still as it was, then on_shape_changed;
//   always, whatever Redraw says: a view must never read a row that is gone;
// - cells written: on_cells_changed; widths, hidden rows and columns,
//   alignment: on_layout_changed. While Redraw is off these wait, and
//   switching it on gives one on_layout_changed for all of them.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ui/controls.h"
#include "platform/ui/grid_rows.h"

namespace korvane::ui {

// What a column accepts when the user edits it.
enum class InputKind { Text, Number, Date };
enum class Alignment { Left, Center, Right };

// Mouse buttons as VB reports them.
inline constexpr int vbLeftButton = 1, vbRightButton = 2, vbMiddleButton = 4;

// A change of a grid's shape, in grid rows and columns: rows or columns
// first..last go in or out, or everything a view holds of the grid is stale
// (Reset: the fixed rows moved, or every cell was replaced at once).
struct ShapeChange {
    enum Kind { InsertRows, RemoveRows, InsertCols, RemoveCols, Reset };
    Kind kind = Reset;
    long first = 0, last = -1;
};

class Grid : public Control {
public:
    using Control::Control;

    // Setting these adds or cuts rows and columns at the end.
    long Rows() const { return rows_.count(); }
    void put_Rows(long rows);
    long Cols() const { return rows_.cols(); }
    void put_Cols(long cols);
    long FixedRows() const { return fixed_rows_; }
    void put_FixedRows(long n);
    long FixedCols() const { return fixed_cols_; }
    void put_FixedCols(long n);

    // 381 outside the grid. The text stays valid until a cell is written or
    // the shape changes.
    std::string_view TextMatrix(long row, long col) const {
        if (row < 0 || row >= Rows() || col < 0 || col >= Cols()) check_cell(row, col);
        return rows_.text(row, col);
    }
    void put_TextMatrix(long row, long col, std::string_view text);
    // Fills a whole row at once: cells from column 0, tab-separated, as
    // AddItem takes them; the row is appended when index is -1.
    void AddItem(const std::string& tab_separated, long index = -1);
    void RemoveItem(long row);
    // Empties every cell but keeps rows, columns and colours; views hear
    // it as a reset.
    void Clear();

    // The filler of rows first_row..Rows()-1: it writes a row's cells from
    // first_col on the first time one of them is read or written, once, so
    // a large fill costs only the rows anyone looks at. The earlier columns,
    // row data and hidden flags stay as set; the filled cells are empty until
    // written. Adding, removing or reshaping columns writes the rows still
    // waiting first; rows cut off the end are never written; Clear and the
    // next call let them go unwritten (an empty filler only lets them go).
    // Views hear it as a reset.
    void fill_rows_on_first_use(long first_row, long first_col, RowFiller filler);
    // The same filler run over those rows now, for a list whose every cell
    // is read soon after (marked, confirmed): no row waits. The filler is
    // not kept.
    void fill_rows(long first_row, long first_col, const RowFiller& filler);
    long deferred_rows() const { return rows_.deferred(); }

    long RowData(long row) const;
    void put_RowData(long row, long data);
    std::uint32_t CellBackColor(long row, long col) const;
    void put_CellBackColor(long row, long col, std::uint32_t color);
    bool RowHidden(long row) const;
    void put_RowHidden(long row, bool hidden);
    // Width in twips; -1 is the default width.
    int ColWidth(long col) const;
    void put_ColWidth(long col, int twips);
    bool ColHidden(long col) const;
    void put_ColHidden(long col, bool hidden);
    InputKind ColInputKind(long col) const;
    void put_ColInputKind(long col, InputKind kind);
    Alignment ColAlignment(long col) const;
    void put_ColAlignment(long col, Alignment a);
    // The colour of the lines between the cells; kViewGridColor (the
    // default) leaves it to the view.
    std::uint32_t GridColor() const { return grid_color_; }
    void put_GridColor(std::uint32_t color) { set(grid_color_, color, "GridColor"); }
    // A column whose cells show a small button (the reference button of a cell).
    bool ColButton(long col) const;
    void put_ColButton(long col, bool on);

    // While off, changes are not shown; switching it back on shows them all.
    bool Redraw() const { return redraw_; }
    void put_Redraw(bool on);
    // The whole grid takes no edits when false.
    bool Editable() const { return editable_; }
    void put_Editable(bool on) { set(editable_, on, "Editable"); }
    // Whether the user may type into a cell: an enabled, shown, editable
    // grid; not a fixed row or column, a hidden row, nor a grey cell (the
    // forms colour a cell grey to lock it). BeforeEdit may still refuse.
    bool CellEditable(long row, long col) const;

    // The current cell; changing it raises RowColChange.
    long Row() const { return row_; }
    long Col() const { return col_; }
    void put_Row(long row) { select(row, col_); }
    void put_Col(long col) { select(row_, col); }
    void select(long row, long col);
    // The first row shown below the fixed rows; views scroll to it.
    long TopRow() const { return top_row_; }
    void put_TopRow(long row);
    // The cell under the mouse at its last button event.
    long MouseRow() const { return mouse_row_; }
    long MouseCol() const { return mouse_col_; }

    // User actions. A click moves the current cell first, then raises Click.
    void click(long row, long col);
    void dbl_click(long row, long col);
    void mouse_up(int button, int shift, long row, long col);
    void key_down(int key_code, int shift = 0);
    void cell_button_click(long row, long col);
    // Starts an edit of a cell (the user typed into it or pressed F2). A
    // cell that is not CellEditable refuses before anything happens, also
    // when moving onto it locked it; then BeforeEdit may refuse. False when
    // no edit started.
    bool begin_edit(long row, long col);
    bool editing() const { return editing_; }
    long edit_row() const { return edit_row_; }
    long edit_col() const { return edit_col_; }
    // Commits the text the user typed: ValidateEdit may refuse (the edit
    // stays open with the text, for correction) or replace the text. A cell
    // locked while the edit was open drops the edit untouched. True when the
    // cell took the text.
    bool commit_edit(std::string text);
    void cancel_edit() { editing_ = false; }
    // Ends an open edit by committing what the editor holds, as a form does
    // before it reads the cells; true when no edit stays open.
    bool finish_edit();
    const std::string& edit_text() const { return edit_text_; }
    void put_edit_text(std::string t) { edit_text_ = std::move(t); }
    // begin_edit + commit_edit, as one keyboard entry.
    bool edit_cell(long row, long col, std::string text);

    // Events.
    std::function<void()> on_click;
    std::function<void()> on_dbl_click;
    std::function<void(int button, int shift)> on_mouse_up;
    std::function<void(int& key_code, int shift)> on_key_down;
    std::function<void()> on_row_col_change;
    std::function<void(long row, long col)> on_cell_button_click;
    std::function<void(long row, long col, bool& cancel)> on_before_edit;
    std::function<void(long row, long col, std::string& text, bool& cancel)> on_validate_edit;
    std::function<void(long row, long col)> on_after_edit;

    // The view's hooks (see the top of this file).
    std::function<void(const ShapeChange&)> on_shape_changing;
    std::function<void(const ShapeChange&)> on_shape_changed;
    std::function<void(long row0, long col0, long row1, long col1)> on_cells_changed;
    std::function<void()> on_layout_changed;

private:
    void check_cell(long row, long col) const;
    void check_row(long row) const;
    void check_col(long col) const;
    // Whether `filler` has rows and columns of this grid to write.
    bool fills_rows(long first_row, long first_col, const RowFiller& filler) const;
    void cell_changed(long row, long col);
    void layout_changed();
    // Announces `change` around `apply`, which must not throw.
    template <class F>
    void reshape(const ShapeChange& change, F&& apply);

    struct Column {
        int width = -1;
        bool hidden = false;
        bool button = false;
        InputKind kind = InputKind::Text;
        Alignment align = Alignment::Left;
    };
    const Column& column(long col) const;
    Column& column(long col);
    // Sets one column property and re-lays the view out when it changed.
    template <class T>
    void set_column(long col, T Column::*member, T value);

    GridRows rows_{2, 2};
    long fixed_rows_ = 1, fixed_cols_ = 0;
    std::vector<Column> columns_ = std::vector<Column>(2);
    std::uint32_t grid_color_ = kViewGridColor;
    bool redraw_ = true, editable_ = true, dirty_ = false;
    long row_ = 1, col_ = 0, mouse_row_ = -1, mouse_col_ = -1, top_row_ = 1;
    bool editing_ = false;
    long edit_row_ = -1, edit_col_ = -1;
    std::string edit_text_;
};

}  // namespace korvane::ui
