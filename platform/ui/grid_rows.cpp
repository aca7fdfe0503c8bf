#include "platform/ui/grid_rows.h"

#include <algorithm>

namespace korvane::ui {

GridRows::GridRows(long rows, long cols) : rows_(static_cast<std::size_t>(rows)), cols_(cols) {}

std::string* GridRows::texts(const Row& row) const {
    if (!row.text) row.text.reset(new std::string[static_cast<std::size_t>(cols_)]);
    return row.text.get();
}

std::uint32_t* GridRows::colors(const Row& row) const {
    if (!row.color) {
        row.color.reset(new std::uint32_t[static_cast<std::size_t>(cols_)]);
        std::fill(row.color.get(), row.color.get() + cols_, kWhite);
    }
    return row.color.get();
}

const std::string& GridRows::text(long row, long col) const {
    static const std::string kEmpty;
    fill_before_use(row, col);
    const Row& r = at(row);
    return r.text ? r.text[static_cast<std::size_t>(col)] : kEmpty;
}

std::uint32_t GridRows::color(long row, long col) const {
    fill_before_use(row, col);
    const Row& r = at(row);
    return r.color ? r.color[static_cast<std::size_t>(col)] : kWhite;
}

bool GridRows::set_text(long row, long col, std::string text) {
    fill_before_use(row, col);
    const Row& r = at(row);
    if (text.empty() && !r.text) return false;
    std::string& cell = texts(r)[col];
    if (cell == text) return false;
    cell = std::move(text);
    return true;
}

bool GridRows::set_color(long row, long col, std::uint32_t color) {
    fill_before_use(row, col);
    const Row& r = at(row);
    if (color == kWhite && !r.color) return false;
    std::uint32_t& cell = colors(r)[col];
    if (cell == color) return false;
    cell = color;
    return true;
}

void GridRows::clear_texts() {
    for (Row& r : rows_) r.text.reset();
}

void GridRows::resize_rows(long count) {
    for (std::size_t r = static_cast<std::size_t>(count); r < rows_.size() && waiting_; ++r)
        if (rows_[r].waiting) --waiting_;
    if (!waiting_) filler_ = nullptr;
    rows_.resize(static_cast<std::size_t>(count));
}

void GridRows::insert_row(long at) {
    fill_deferred();
    rows_.emplace(rows_.begin() + at);
}

void GridRows::erase_row(long at) {
    fill_deferred();
    rows_.erase(rows_.begin() + at);
}

void GridRows::resize_cols(long cols) {
    fill_deferred();
    const std::size_t keep = static_cast<std::size_t>(std::min(cols, cols_));
    for (Row& r : rows_) {
        if (r.text) {
            std::unique_ptr<std::string[]> text(new std::string[static_cast<std::size_t>(cols)]);
            std::move(r.text.get(), r.text.get() + keep, text.get());
            r.text = std::move(text);
        }
        if (r.color) {
            std::unique_ptr<std::uint32_t[]> color(new std::uint32_t[static_cast<std::size_t>(cols)]);
            std::fill(color.get(), color.get() + cols, kWhite);
            std::copy(r.color.get(), r.color.get() + keep, color.get());
            r.color = std::move(color);
        }
    }
    cols_ = cols;
}

void GridRows::defer(long first_row, long first_col, RowFiller fill) {
    drop_deferred();
    if (!fill || first_col < 0 || first_col >= cols_) return;
    for (std::size_t r = static_cast<std::size_t>(std::max(first_row, 0L)); r < rows_.size(); ++r) {
        rows_[r].waiting = true;
        ++waiting_;
    }
    first_col_ = first_col;
    if (waiting_) filler_ = std::move(fill);
}

void GridRows::drop_deferred() {
    if (!waiting_) return;
    for (Row& r : rows_) r.waiting = false;
    waiting_ = 0;
    filler_ = nullptr;
}

void GridRows::fill_deferred() const {
    for (long r = 0; r < count() && waiting_; ++r)
        if (at(r).waiting) fill(r);
}

void GridRows::fill(long row) const {
    const Row& r = at(row);
    r.waiting = false;
    --waiting_;
    filler_(row, texts(r) + first_col_, colors(r) + first_col_);
    if (!waiting_) filler_ = nullptr;  // the last row lets go of what it holds
}

}  // namespace korvane::ui
