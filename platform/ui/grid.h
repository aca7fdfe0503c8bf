// Grid: the spreadsheet-like list the selection and generation forms fill
// from record sets. Cells are texts addressed by row and column; row 0 (the
// fixed rows) is the header. The model holds no widget: a view reads cells on
// demand and is told what changed. A row holds cells only once something is
// written to it, so 100,000 rows nobody has looked at cost a few bytes each.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/ui/controls.h"

namespace korvane::ui {

// VB's RGB(): red in the low byte.
constexpr std::uint32_t RGB(int r, int g, int b) {
    return static_cast<std::uint32_t>(r) | (static_cast<std::uint32_t>(g) << 8) | (static_cast<std::uint32_t>(b) << 16);
}
inline constexpr std::uint32_t kWhite = RGB(255, 255, 255);
inline constexpr std::uint32_t kGrey = RGB(192, 192, 192);

// What a column accepts when the user edits it.
enum class InputKind { Text, Number, Date };
enum class Alignment { Left, Center, Right };

// Mouse buttons as VB reports them.
inline constexpr int vbLeftButton = 1, vbRightButton = 2, vbMiddleButton = 4;

class Grid : public Control {
public:
    using Control::Control;

    long Rows() const { return rows_; }
    void put_Rows(long rows);
    long Cols() const { return cols_; }
    void put_Cols(long cols);
    long FixedRows() const { return fixed_rows_; }
    void put_FixedRows(long n);
    long FixedCols() const { return fixed_cols_; }
    void put_FixedCols(long n);

    // 381 outside the grid.
    const std::string& TextMatrix(long row, long col) const;
    void put_TextMatrix(long row, long col, std::string text);
    // Fills a whole row at once: cells from column 0, tab-separated, as
    // AddItem takes them; the row is appended when index is -1.
    void AddItem(const std::string& tab_separated, long index = -1);
    void RemoveItem(long row);
    // Empties every cell but keeps rows and columns.
    void Clear();

    // Rows first_row..Rows()-1 whose cells from first_col on are written by
    // `fill` when one of them is first read or written, so a large fill costs
    // only the rows looked at; the earlier columns, row data and hidden flags
    // stay as set. `fill` gets the row and its cells and colours from
    // first_col on, and must not call the grid. Reshaping the columns, adding
    // or removing rows fills what is left first; Clear and a new defer drop it.
    using RowFiller = std::function<void(long row, std::string* cells, std::uint32_t* colors)>;
    void defer_rows(long first_row, long first_col, RowFiller fill);
    long deferred_rows() const { return pending_; }

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
    // A column whose cells show a small button (the reference button of a cell).
    bool ColButton(long col) const;
    void put_ColButton(long col, bool on);

    // While off, changes are not shown; switching it back on shows them all.
    bool Redraw() const { return redraw_; }
    void put_Redraw(bool on);
    // The whole grid takes no edits when false.
    bool Editable() const { return editable_; }
    void put_Editable(bool on) { set(editable_, on, "Editable"); }

    // The current cell; changing it raises RowColChange.
    long Row() const { return row_; }
    long Col() const { return col_; }
    void put_Row(long row) { select(row, col_); }
    void put_Col(long col) { select(row_, col); }
    void select(long row, long col);
    // The cell under the mouse at its last button event.
    long MouseRow() const { return mouse_row_; }
    long MouseCol() const { return mouse_col_; }

    // User actions. A click moves the current cell first, then raises Click.
    void click(long row, long col);
    void dbl_click(long row, long col);
    void mouse_up(int button, int shift, long row, long col);
    void key_down(int key_code, int shift = 0);
    void cell_button_click(long row, long col);
    // Starts an edit of a cell (the user typed into it or pressed F2):
    // BeforeEdit may refuse; false when no edit started.
    bool begin_edit(long row, long col);
    bool editing() const { return editing_; }
    // Commits the text the user typed: ValidateEdit may refuse (the edit
    // stays open with the text, for correction) or replace the text.
    // True when the cell took the text.
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

    // The view's hooks: cells of a rectangle changed, or rows/columns did.
    std::function<void(long row0, long col0, long row1, long col1)> on_cells_changed;
    std::function<void()> on_layout_changed;

private:
    void check_cell(long row, long col) const;
    void check_row(long row) const;
    void check_col(long col) const;
    void cell_changed(long row, long col);
    void layout_changed();

    struct Column {
        int width = -1;
        bool hidden = false;
        bool button = false;
        InputKind kind = InputKind::Text;
        Alignment align = Alignment::Left;
    };
    // A row's texts and colours are allocated apart, each when first set
    // (none: every cell empty, or white), so colouring a column of a large
    // list costs no texts.
    struct RowState {
        long data = 0;
        bool hidden = false;
        bool pending = false;  // cells from lazy_col_ on not yet filled
        std::unique_ptr<std::string[]> text;
        std::unique_ptr<std::uint32_t[]> color;
    };
    std::string* texts_of(long row);
    std::uint32_t* colors_of(long row);
    // Fills a deferred row before its cells from lazy_col_ on are used.
    void ensure(long row, long col) const {
        if (pending_ && col >= lazy_col_ && row_state_[static_cast<std::size_t>(row)].pending)
            const_cast<Grid*>(this)->fill_row(row);
    }
    void fill_row(long row);
    void fill_all_deferred();
    void drop_deferred();
    RowState& row_state(long row);
    Column& column(long col);
    // Sets one column property and re-lays the view out when it changed.
    template <class T>
    void set_column(long col, T Column::*member, T value);

    long rows_ = 2, cols_ = 2, fixed_rows_ = 1, fixed_cols_ = 0;
    std::vector<RowState> row_state_ = std::vector<RowState>(2);
    std::vector<Column> columns_ = std::vector<Column>(2);
    bool redraw_ = true, editable_ = true, dirty_ = false;
    long row_ = 1, col_ = 0, mouse_row_ = -1, mouse_col_ = -1;
    bool editing_ = false;
    long edit_row_ = -1, edit_col_ = -1;
    std::string edit_text_;
    RowFiller filler_;
    long lazy_col_ = 0, pending_ = 0;
};

}  // namespace korvane::ui
