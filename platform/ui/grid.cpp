#include "platform/ui/grid.h"

#include <algorithm>

#include "platform/vb/error.h"

namespace korvane::ui {

void Grid::check_row(long row) const {
    if (row < 0 || row >= Rows()) err::raise(err::kBadPropertyIndex, "Subscript out of range (row " + std::to_string(row) + ")");
}

void Grid::check_col(long col) const {
    if (col < 0 || col >= Cols()) err::raise(err::kBadPropertyIndex, "Subscript out of range (column " + std::to_string(col) + ")");
}

void Grid::check_cell(long row, long col) const {
    check_row(row);
    check_col(col);
}

void Grid::cell_changed(long row, long col) {
    if (!redraw_) {
        dirty_ = true;
        return;
    }
    if (on_cells_changed) on_cells_changed(row, col, row, col);
}

void Grid::layout_changed() {
    if (!redraw_) {
        dirty_ = true;
        return;
    }
    if (on_layout_changed) on_layout_changed();
}

template <class F>
void Grid::reshape(const ShapeChange& change, F&& apply) {
    if (on_shape_changing) on_shape_changing(change);
    apply();
    if (!redraw_) dirty_ = true;
    if (on_shape_changed) on_shape_changed(change);
}

void Grid::put_Rows(long rows) {
    if (rows < 0) err::raise(err::kBadPropertyValue, "Invalid property value");
    const long old = Rows();
    if (rows == old) return;
    auto apply = [&] {
        rows_.resize_rows(rows);
        if (fixed_rows_ > rows) fixed_rows_ = rows;
        if (row_ >= rows) row_ = rows - 1;
        if (edit_row_ >= rows) editing_ = false;
    };
    if (rows < fixed_rows_) reshape({ShapeChange::Reset}, apply);  // the header goes too
    else if (rows > old) reshape({ShapeChange::InsertRows, old, rows - 1}, apply);
    else reshape({ShapeChange::RemoveRows, rows, old - 1}, apply);
}

void Grid::put_Cols(long cols) {
    if (cols < 0) err::raise(err::kBadPropertyValue, "Invalid property value");
    const long old = Cols();
    if (cols == old) return;
    rows_.fill_deferred();  // while the filler's columns still are where it expects them
    const ShapeChange change = cols > old ? ShapeChange{ShapeChange::InsertCols, old, cols - 1}
                                          : ShapeChange{ShapeChange::RemoveCols, cols, old - 1};
    reshape(change, [&] {
        rows_.resize_cols(cols);
        columns_.resize(static_cast<std::size_t>(cols));
        if (fixed_cols_ > cols) fixed_cols_ = cols;
        if (col_ >= cols) col_ = std::max(0L, cols - 1);
        if (edit_col_ >= cols) editing_ = false;
    });
}

void Grid::put_FixedRows(long n) {
    if (n < 0 || n > Rows()) err::raise(err::kBadPropertyValue, "Invalid property value");
    if (n == fixed_rows_) return;
    reshape({ShapeChange::Reset}, [&] { fixed_rows_ = n; });  // a view may show its header apart
}

void Grid::put_FixedCols(long n) {
    if (n < 0 || n > Cols()) err::raise(err::kBadPropertyValue, "Invalid property value");
    if (n == fixed_cols_) return;
    fixed_cols_ = n;
    layout_changed();
}

void Grid::put_TextMatrix(long row, long col, std::string_view text) {
    check_cell(row, col);
    if (rows_.set_text(row, col, text)) cell_changed(row, col);
}

void Grid::AddItem(const std::string& tab_separated, long index) {
    if (index < -1 || index > Rows()) err::raise(err::kBadPropertyIndex, "Subscript out of range");
    const long row = index < 0 ? Rows() : index;
    rows_.fill_deferred();  // before the rows after it move
    reshape({ShapeChange::InsertRows, row, row}, [&] {
        rows_.insert_row(row);
        if (edit_row_ >= row) ++edit_row_;
        std::size_t start = 0;
        for (long c = 0; c < Cols() && start <= tab_separated.size(); ++c) {
            std::size_t tab = tab_separated.find('\t', start);
            rows_.set_text(row, c, std::string_view(tab_separated).substr(start, tab - start));
            start = tab == std::string::npos ? tab_separated.size() + 1 : tab + 1;
        }
    });
}

void Grid::RemoveItem(long row) {
    check_row(row);
    if (row < fixed_rows_) err::raise(err::kBadPropertyValue, "Cannot remove a fixed row");
    rows_.fill_deferred();
    reshape({ShapeChange::RemoveRows, row, row}, [&] {
        rows_.erase_row(row);
        if (row_ >= Rows()) row_ = Rows() - 1;
        if (edit_row_ == row) editing_ = false;
        else if (edit_row_ > row) --edit_row_;
    });
}

void Grid::Clear() {
    reshape({ShapeChange::Reset}, [&] {
        rows_.drop_deferred();
        rows_.clear_texts();
    });
}

bool Grid::fills_rows(long first_row, long first_col, const RowFiller& filler) const {
    return filler && first_col >= 0 && first_col < Cols() && std::max(first_row, 0L) < Rows();
}

void Grid::fill_rows_on_first_use(long first_row, long first_col, RowFiller filler) {
    const bool fills = fills_rows(first_row, first_col, filler);
    if (!fills && !deferred_rows()) return;  // nothing waits, nothing will
    reshape({ShapeChange::Reset}, [&] { rows_.defer(first_row, first_col, fills ? std::move(filler) : RowFiller()); });
}

void Grid::fill_rows(long first_row, long first_col, const RowFiller& filler) {
    const bool fills = fills_rows(first_row, first_col, filler);
    if (!fills && !deferred_rows()) return;
    reshape({ShapeChange::Reset}, [&] {
        if (fills) rows_.fill_now(first_row, first_col, filler);
        else rows_.drop_deferred();
    });
}

const Grid::Column& Grid::column(long col) const {
    check_col(col);
    return columns_[static_cast<std::size_t>(col)];
}

Grid::Column& Grid::column(long col) {
    check_col(col);
    return columns_[static_cast<std::size_t>(col)];
}

template <class T>
void Grid::set_column(long col, T Column::*member, T value) {
    T& field = column(col).*member;
    if (field == value) return;
    field = value;
    layout_changed();
}

long Grid::RowData(long row) const {
    check_row(row);
    return rows_.data(row);
}

void Grid::put_RowData(long row, long data) {
    check_row(row);
    rows_.set_data(row, data);
}

std::uint32_t Grid::CellBackColor(long row, long col) const {
    check_cell(row, col);
    return rows_.color(row, col);
}

void Grid::put_CellBackColor(long row, long col, std::uint32_t color) {
    check_cell(row, col);
    if (rows_.set_color(row, col, color)) cell_changed(row, col);
}

bool Grid::RowHidden(long row) const {
    check_row(row);
    return rows_.hidden(row);
}

void Grid::put_RowHidden(long row, bool hidden) {
    check_row(row);
    if (rows_.hidden(row) == hidden) return;
    rows_.set_hidden(row, hidden);
    layout_changed();
}

int Grid::ColWidth(long col) const { return column(col).width; }
void Grid::put_ColWidth(long col, int twips) { set_column(col, &Column::width, twips); }
bool Grid::ColHidden(long col) const { return column(col).hidden; }
void Grid::put_ColHidden(long col, bool hidden) { set_column(col, &Column::hidden, hidden); }
// The input kind only matters when an edit starts: no view notice.
InputKind Grid::ColInputKind(long col) const { return column(col).kind; }
void Grid::put_ColInputKind(long col, InputKind kind) { column(col).kind = kind; }
Alignment Grid::ColAlignment(long col) const { return column(col).align; }
void Grid::put_ColAlignment(long col, Alignment a) { set_column(col, &Column::align, a); }
bool Grid::ColButton(long col) const { return column(col).button; }
void Grid::put_ColButton(long col, bool on) { set_column(col, &Column::button, on); }

void Grid::put_Redraw(bool on) {
    if (on == redraw_) return;
    redraw_ = on;
    if (on && dirty_) {
        dirty_ = false;
        if (on_layout_changed) on_layout_changed();
    }
}

void Grid::select(long row, long col) {
    check_cell(row, col);
    if (row == row_ && col == col_) return;
    row_ = row;
    col_ = col;
    changed("Current");
    if (on_row_col_change) on_row_col_change();
}

void Grid::click(long row, long col) {
    if (!Enabled() || !Visible()) return;
    mouse_row_ = row;
    mouse_col_ = col;
    select(row, col);
    if (on_click) on_click();
}

void Grid::dbl_click(long row, long col) {
    if (!Enabled() || !Visible()) return;
    mouse_row_ = row;
    mouse_col_ = col;
    select(row, col);
    if (on_dbl_click) on_dbl_click();
}

void Grid::mouse_up(int button, int shift, long row, long col) {
    if (!Enabled() || !Visible()) return;
    mouse_row_ = row;
    mouse_col_ = col;
    if (on_mouse_up) on_mouse_up(button, shift);
}

void Grid::key_down(int key_code, int shift) {
    if (!Enabled() || !Visible()) return;
    if (on_key_down) on_key_down(key_code, shift);
}

void Grid::cell_button_click(long row, long col) {
    if (!Enabled() || !Visible()) return;
    check_cell(row, col);
    if (!ColButton(col)) return;
    select(row, col);
    if (on_cell_button_click) on_cell_button_click(row, col);
}

bool Grid::CellEditable(long row, long col) const {
    check_cell(row, col);
    return Enabled() && Visible() && editable_ && row >= fixed_rows_ && col >= fixed_cols_ && !rows_.hidden(row) &&
           rows_.color(row, col) != kGrey;
}

bool Grid::begin_edit(long row, long col) {
    if (!Enabled() || !Visible() || !editable_) return false;
    if (!CellEditable(row, col)) return false;
    select(row, col);
    // RowColChange may have locked the cell it moved to
    if (!CellEditable(row, col)) return false;
    bool cancel = false;
    if (on_before_edit) on_before_edit(row, col, cancel);
    if (cancel) return false;
    editing_ = true;
    edit_row_ = row;
    edit_col_ = col;
    edit_text_ = std::string(TextMatrix(row, col));
    return true;
}

bool Grid::commit_edit(std::string text) {
    if (!editing_) return false;
    if (!CellEditable(edit_row_, edit_col_)) {
        editing_ = false;
        return false;
    }
    text = filter_typed(std::string(), text);
    edit_text_ = text;
    bool cancel = false;
    if (on_validate_edit) on_validate_edit(edit_row_, edit_col_, text, cancel);
    if (cancel) return false;  // the editor keeps the user's text
    editing_ = false;
    put_TextMatrix(edit_row_, edit_col_, std::move(text));
    if (on_after_edit) on_after_edit(edit_row_, edit_col_);
    return true;
}

bool Grid::finish_edit() {
    if (!editing_) return true;
    return commit_edit(edit_text_);
}

bool Grid::edit_cell(long row, long col, std::string text) {
    return begin_edit(row, col) && commit_edit(std::move(text));
}

void Grid::put_TopRow(long row) {
    check_row(row);
    top_row_ = row;
    changed("TopRow");
}

}  // namespace korvane::ui
