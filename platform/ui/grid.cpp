#include "platform/ui/grid.h"

#include <algorithm>

#include "platform/vb/error.h"

namespace korvane::ui {

void Grid::check_row(long row) const {
    if (row < 0 || row >= rows_) err::raise(err::kBadPropertyIndex, "Subscript out of range (row " + std::to_string(row) + ")");
}

void Grid::check_col(long col) const {
    if (col < 0 || col >= cols_) err::raise(err::kBadPropertyIndex, "Subscript out of range (column " + std::to_string(col) + ")");
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

void Grid::put_Rows(long rows) {
    if (rows < 0) err::raise(err::kBadPropertyValue, "Invalid property value");
    if (rows == rows_) return;
    for (long r = rows; r < rows_ && pending_; ++r)
        if (row_state_[static_cast<std::size_t>(r)].pending) --pending_;
    if (!pending_) filler_ = nullptr;
    row_state_.resize(static_cast<std::size_t>(rows));
    rows_ = rows;
    if (fixed_rows_ > rows_) fixed_rows_ = rows_;
    if (row_ >= rows_) row_ = rows_ - 1;
    if (edit_row_ >= rows_) editing_ = false;
    layout_changed();
}

void Grid::put_Cols(long cols) {
    if (cols < 0) err::raise(err::kBadPropertyValue, "Invalid property value");
    if (cols == cols_) return;
    fill_all_deferred();
    const std::size_t keep = static_cast<std::size_t>(std::min(cols, cols_));
    for (RowState& state : row_state_) {
        if (state.text) {
            std::unique_ptr<std::string[]> text(new std::string[static_cast<std::size_t>(cols)]);
            std::move(state.text.get(), state.text.get() + keep, text.get());
            state.text = std::move(text);
        }
        if (state.color) {
            std::unique_ptr<std::uint32_t[]> color(new std::uint32_t[static_cast<std::size_t>(cols)]);
            std::fill(color.get(), color.get() + cols, kWhite);
            std::copy(state.color.get(), state.color.get() + keep, color.get());
            state.color = std::move(color);
        }
    }
    columns_.resize(static_cast<std::size_t>(cols));
    cols_ = cols;
    if (fixed_cols_ > cols_) fixed_cols_ = cols_;
    if (col_ >= cols_) col_ = std::max(0L, cols_ - 1);
    if (edit_col_ >= cols_) editing_ = false;
    layout_changed();
}

void Grid::put_FixedRows(long n) {
    if (n < 0 || n > rows_) err::raise(err::kBadPropertyValue, "Invalid property value");
    fixed_rows_ = n;
    layout_changed();
}

void Grid::put_FixedCols(long n) {
    if (n < 0 || n > cols_) err::raise(err::kBadPropertyValue, "Invalid property value");
    fixed_cols_ = n;
    layout_changed();
}

std::string* Grid::texts_of(long row) {
    auto& text = row_state_[static_cast<std::size_t>(row)].text;
    if (!text) text.reset(new std::string[static_cast<std::size_t>(cols_)]);
    return text.get();
}

std::uint32_t* Grid::colors_of(long row) {
    auto& color = row_state_[static_cast<std::size_t>(row)].color;
    if (!color) {
        color.reset(new std::uint32_t[static_cast<std::size_t>(cols_)]);
        std::fill(color.get(), color.get() + cols_, kWhite);
    }
    return color.get();
}

const std::string& Grid::TextMatrix(long row, long col) const {
    static const std::string kEmpty;
    check_cell(row, col);
    ensure(row, col);
    const auto& text = row_state_[static_cast<std::size_t>(row)].text;
    return text ? text[static_cast<std::size_t>(col)] : kEmpty;
}

void Grid::put_TextMatrix(long row, long col, std::string text) {
    check_cell(row, col);
    ensure(row, col);
    if (text.empty() && !row_state_[static_cast<std::size_t>(row)].text) return;
    std::string& cell = texts_of(row)[col];
    if (cell == text) return;
    cell = std::move(text);
    cell_changed(row, col);
}

void Grid::AddItem(const std::string& tab_separated, long index) {
    if (index < -1 || index > rows_) err::raise(err::kBadPropertyIndex, "Subscript out of range");
    long row = index < 0 ? rows_ : index;
    fill_all_deferred();
    bool was = redraw_;
    redraw_ = false;  // one layout notice for the whole insertion
    put_Rows(rows_ + 1);
    std::rotate(row_state_.begin() + row, row_state_.end() - 1, row_state_.end());
    row_state_[static_cast<std::size_t>(row)] = {};
    std::string* cells = texts_of(row);
    std::size_t start = 0;
    for (long c = 0; c < cols_; ++c) {
        std::size_t tab = tab_separated.find('\t', start);
        cells[c] =
            start <= tab_separated.size() ? tab_separated.substr(start, tab - start) : std::string();
        start = tab == std::string::npos ? tab_separated.size() + 1 : tab + 1;
    }
    redraw_ = was;
    layout_changed();
}

void Grid::RemoveItem(long row) {
    check_row(row);
    if (row < fixed_rows_) err::raise(err::kBadPropertyValue, "Cannot remove a fixed row");
    fill_all_deferred();
    row_state_.erase(row_state_.begin() + row);
    --rows_;
    if (row_ >= rows_) row_ = rows_ - 1;
    editing_ = false;
    layout_changed();
}

void Grid::Clear() {
    drop_deferred();
    for (RowState& state : row_state_) state.text.reset();
    layout_changed();
}

void Grid::defer_rows(long first_row, long first_col, RowFiller fill) {
    drop_deferred();
    if (!fill || first_col < 0 || first_col >= cols_) return;
    filler_ = std::move(fill);
    lazy_col_ = first_col;
    for (long r = std::max(first_row, 0L); r < rows_; ++r) {
        row_state_[static_cast<std::size_t>(r)].pending = true;
        ++pending_;
    }
    if (!pending_) filler_ = nullptr;
    layout_changed();
}

void Grid::fill_row(long row) {
    RowState& state = row_state_[static_cast<std::size_t>(row)];
    if (!state.pending) return;
    state.pending = false;
    --pending_;
    filler_(row, texts_of(row) + lazy_col_, colors_of(row) + lazy_col_);
    if (!pending_) filler_ = nullptr;  // the last row lets go of what it holds
}

void Grid::fill_all_deferred() {
    for (long r = 0; r < rows_ && pending_; ++r) fill_row(r);
}

void Grid::drop_deferred() {
    if (!pending_) return;
    for (auto& state : row_state_) state.pending = false;
    pending_ = 0;
    filler_ = nullptr;
}

Grid::RowState& Grid::row_state(long row) {
    check_row(row);
    return row_state_[static_cast<std::size_t>(row)];
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

long Grid::RowData(long row) const { return const_cast<Grid*>(this)->row_state(row).data; }
void Grid::put_RowData(long row, long data) { row_state(row).data = data; }

std::uint32_t Grid::CellBackColor(long row, long col) const {
    check_cell(row, col);
    ensure(row, col);
    const auto& color = row_state_[static_cast<std::size_t>(row)].color;
    return color ? color[static_cast<std::size_t>(col)] : kWhite;
}

void Grid::put_CellBackColor(long row, long col, std::uint32_t color) {
    check_cell(row, col);
    ensure(row, col);
    if (color == kWhite && !row_state_[static_cast<std::size_t>(row)].color) return;
    std::uint32_t& cell = colors_of(row)[col];
    if (cell == color) return;
    cell = color;
    cell_changed(row, col);
}

bool Grid::RowHidden(long row) const { return const_cast<Grid*>(this)->row_state(row).hidden; }

void Grid::put_RowHidden(long row, bool hidden) {
    RowState& state = row_state(row);
    if (state.hidden == hidden) return;
    state.hidden = hidden;
    layout_changed();
}

int Grid::ColWidth(long col) const { return const_cast<Grid*>(this)->column(col).width; }
void Grid::put_ColWidth(long col, int twips) { set_column(col, &Column::width, twips); }
bool Grid::ColHidden(long col) const { return const_cast<Grid*>(this)->column(col).hidden; }
void Grid::put_ColHidden(long col, bool hidden) { set_column(col, &Column::hidden, hidden); }
// The input kind only matters when an edit starts: no view notice.
InputKind Grid::ColInputKind(long col) const { return const_cast<Grid*>(this)->column(col).kind; }
void Grid::put_ColInputKind(long col, InputKind kind) { column(col).kind = kind; }
Alignment Grid::ColAlignment(long col) const { return const_cast<Grid*>(this)->column(col).align; }
void Grid::put_ColAlignment(long col, Alignment a) { set_column(col, &Column::align, a); }
bool Grid::ColButton(long col) const { return const_cast<Grid*>(this)->column(col).button; }
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

bool Grid::begin_edit(long row, long col) {
    if (!Enabled() || !Visible() || !editable_) return false;
    check_cell(row, col);
    if (row < fixed_rows_ || col < fixed_cols_ || RowHidden(row)) return false;
    select(row, col);
    bool cancel = false;
    if (on_before_edit) on_before_edit(row, col, cancel);
    if (cancel) return false;
    editing_ = true;
    edit_row_ = row;
    edit_col_ = col;
    edit_text_ = TextMatrix(row, col);
    return true;
}

bool Grid::commit_edit(std::string text) {
    if (!editing_) return false;
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

}  // namespace korvane::ui
