// GridRows: the rows of a Grid, what each carries (its RowData and hidden
// flag) and its cells' texts and colours.
//
// Operations and costs: a row nobody wrote to is one small struct; its
// texts and its colours are each allocated on their first write, so
// colouring a column of a large list costs no texts. Rows handed to a
// RowFiller are written the first time one of their filled cells is read or
// written, once; rows cut off the end are never written. Inserting or
// erasing a row shifts the rows after it (linear).
//
// What it forbids: moving rows or reshaping the columns while rows wait for
// their filler would hand the filler the wrong row or width, so those write
// every waiting row first. The filler must not reach back into the grid.
//
// A first read writes a waiting row, so the fill runs from const readers:
// the waiting flags, the cells and the filler are the mutable part, and
// nothing else is. A reader never sees whether the row was written before.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace korvane::ui {

// VB's RGB(): red in the low byte.
constexpr std::uint32_t RGB(int r, int g, int b) {
    return static_cast<std::uint32_t>(r) | (static_cast<std::uint32_t>(g) << 8) | (static_cast<std::uint32_t>(b) << 16);
}
// White cells take typing, grey ones do not.
inline constexpr std::uint32_t kWhite = RGB(255, 255, 255);
inline constexpr std::uint32_t kGrey = RGB(192, 192, 192);

// Writes one waiting row: its cells and colours from the first filled column
// on (cells[0] is that column), which hold what the row held before.
using RowFiller = std::function<void(long row, std::string* cells, std::uint32_t* colors)>;

class GridRows {
public:
    GridRows(long rows, long cols);

    long count() const { return static_cast<long>(rows_.size()); }
    long cols() const { return cols_; }

    // Row and column numbers are the caller's to check.
    long data(long row) const { return at(row).data; }
    void set_data(long row, long data) { at(row).data = data; }
    bool hidden(long row) const { return at(row).hidden; }
    void set_hidden(long row, bool hidden) { at(row).hidden = hidden; }

    const std::string& text(long row, long col) const;
    std::uint32_t color(long row, long col) const;
    // True when the cell changed.
    bool set_text(long row, long col, std::string text);
    bool set_color(long row, long col, std::uint32_t color);
    // Empties every text; colours, row data and hidden flags stay.
    void clear_texts();

    // New rows are empty, white and shown.
    void resize_rows(long count);
    // An empty row before `at` (count() appends).
    void insert_row(long at);
    void erase_row(long at);
    void resize_cols(long cols);

    // Rows first_row..count()-1 wait for `fill` to write their cells from
    // first_col on. Any earlier waiting rows are let go first.
    void defer(long first_row, long first_col, RowFiller fill);
    // Lets the waiting rows go unwritten: they keep what they held before.
    void drop_deferred();
    // Writes every waiting row now.
    void fill_deferred() const;
    long deferred() const { return waiting_; }

private:
    struct Row {
        long data = 0;
        bool hidden = false;
        mutable bool waiting = false;  // cells from first_col_ on not yet written
        mutable std::unique_ptr<std::string[]> text;
        mutable std::unique_ptr<std::uint32_t[]> color;
    };
    const Row& at(long row) const { return rows_[static_cast<std::size_t>(row)]; }
    Row& at(long row) { return rows_[static_cast<std::size_t>(row)]; }
    std::string* texts(const Row& row) const;
    std::uint32_t* colors(const Row& row) const;
    // Writes a waiting row before its cell `col` is used.
    void fill_before_use(long row, long col) const {
        if (waiting_ && col >= first_col_ && at(row).waiting) fill(row);
    }
    void fill(long row) const;

    std::vector<Row> rows_;
    long cols_;
    long first_col_ = 0;
    mutable long waiting_ = 0;
    mutable RowFiller filler_;  // let go of with the last waiting row
};

}  // namespace korvane::ui
