#include "platform/ui/grid_rows.h"

#include <algorithm>
#include <cstring>

namespace korvane::ui {

namespace {
constexpr std::size_t kPieceWords = 64 * 1024;  // 256 KB
}

void RowCells::reset(long cols) {
    used_ = 0;
    old_.reset();
    begin_.resize(static_cast<std::size_t>(cols));
    size_.assign(static_cast<std::size_t>(cols), 0);
    packed_ = true;
    last_ = -1;
}

void RowCells::grow(std::size_t n) {
    const std::size_t room = std::max(2 * room_, used_ + n + 256);
    std::unique_ptr<char[]> chars(new char[room]);
    if (used_) std::memcpy(chars.get(), chars_.get(), used_);
    old_ = std::move(chars_);  // the text being set may be another cell's
    chars_ = std::move(chars);
    room_ = room;
}

std::uint32_t* GridRows::TextArena::take(std::size_t bytes) {
    const std::size_t words = (bytes + 3) / 4;
    while (words > room_) {
        if (next_ && piece_ + 1 < pieces_.size()) {
            ++piece_;
        } else {
            pieces_.push_back({std::unique_ptr<std::uint32_t[]>(new std::uint32_t[std::max(words, kPieceWords)]),
                               std::max(words, kPieceWords)});
            piece_ = pieces_.size() - 1;
        }
        next_ = pieces_[piece_].words.get();
        room_ = pieces_[piece_].size;
    }
    std::uint32_t* block = next_;
    next_ += words;
    room_ -= words;
    live_ += words * 4;
    held_ += words * 4;
    return block;
}

void GridRows::TextArena::reset() {
    piece_ = 0;
    next_ = nullptr;
    room_ = 0;
    live_ = held_ = 0;
    if (!pieces_.empty()) {
        next_ = pieces_[0].words.get();
        room_ = pieces_[0].size;
    }
}

std::uint32_t* GridRows::ColorSlots::take() {
    ++live_;
    if (!free_.empty()) {
        std::uint32_t* slot = free_.back();
        free_.pop_back();
        return slot;
    }
    if (used_ == kBlockSlots) {
        blocks_.emplace_back(new std::uint32_t[kBlockSlots * width_]);
        used_ = 0;
    }
    return blocks_.back().get() + width_ * used_++;
}

GridRows::GridRows(long rows, long cols) : rows_(static_cast<std::size_t>(rows)), cols_(cols), colors_(cols) {}

std::uint32_t* GridRows::colors(const Row& row) const {
    if (!row.color) {
        row.color = colors_.take();
        std::fill(row.color, row.color + cols_, kWhite);
    }
    return row.color;
}

std::uint32_t* GridRows::take_block(const Row& row, std::size_t chars) const {
    const std::size_t bytes = block_bytes(cols_, chars);
    std::uint32_t* ends = text_.take(bytes);
    if (row.text) text_.give(row.bytes);
    row.bytes = static_cast<std::uint32_t>(bytes);
    return ends;
}

std::string_view GridRows::cell(const std::uint32_t* ends, long col) const {
    if (!ends) return {};
    const std::uint32_t begin = col > 0 ? ends[col - 1] : 0;
    return {reinterpret_cast<const char*>(ends + cols_) + begin, ends[col] - begin};
}

template <class TextOf>
void GridRows::pack(const Row& row, TextOf&& text_of) const {
    std::size_t chars = 0;
    for (long c = 0; c < cols_; ++c) chars += text_of(c).size();
    if (chars == 0) {
        drop_text(row);
        return;
    }
    std::uint32_t* ends = take_block(row, chars);
    char* out = reinterpret_cast<char*>(ends + cols_);
    std::uint32_t end = 0;
    for (long c = 0; c < cols_; ++c) {
        const std::string_view t = text_of(c);
        if (!t.empty()) std::memcpy(out + end, t.data(), t.size());
        end += static_cast<std::uint32_t>(t.size());
        ends[c] = end;
    }
    row.text = ends;
}

void GridRows::drop_text(const Row& row) const {
    if (!row.text) return;
    text_.give(row.bytes);
    row.text = nullptr;
}

void GridRows::reclaim() const {
    if (text_.held() < kPieceWords * 4 || text_.live() * 2 >= text_.held()) return;
    spare_.reset();
    for (const Row& r : rows_) {
        if (!r.text) continue;
        std::uint32_t* moved = spare_.take(r.bytes);
        std::memcpy(moved, r.text, r.bytes);
        r.text = moved;
    }
    std::swap(text_, spare_);
}

std::uint32_t GridRows::color(long row, long col) const {
    fill_before_use(row, col);
    const Row& r = at(row);
    return r.color ? r.color[col] : kWhite;
}

bool GridRows::set_text(long row, long col, std::string_view text) {
    fill_before_use(row, col);
    const Row& r = at(row);
    const std::uint32_t* old = r.text;
    if (cell(old, col) == text) return false;
    pack(r, [&](long c) { return c == col ? text : cell(old, c); });
    reclaim();
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
    for (Row& r : rows_) r.text = nullptr;
    text_ = TextArena();
    spare_ = TextArena();
}

void GridRows::release(std::size_t first) {
    for (std::size_t r = first; r < rows_.size(); ++r) {
        Row& row = rows_[r];
        if (row.waiting) --waiting_;
        drop_text(row);
        if (row.color) colors_.give(row.color);
    }
    if (!waiting_) filler_ = nullptr;
}

void GridRows::resize_rows(long count) {
    if (static_cast<std::size_t>(count) < rows_.size()) release(static_cast<std::size_t>(count));
    rows_.resize(static_cast<std::size_t>(count));
    reclaim();
    shrink_colors_if_sparse();
}

void GridRows::insert_row(long at) {
    fill_deferred();
    rows_.emplace(rows_.begin() + at);
}

void GridRows::erase_row(long at) {
    fill_deferred();
    Row& row = rows_[static_cast<std::size_t>(at)];
    drop_text(row);
    if (row.color) colors_.give(row.color);
    rows_.erase(rows_.begin() + at);
    reclaim();
    shrink_colors_if_sparse();
}

void GridRows::resize_cols(long cols) {
    fill_deferred();
    TextArena fresh;
    const long keep = std::min(cols, cols_);
    for (Row& r : rows_) {
        if (!r.text) continue;
        std::size_t chars = 0;
        for (long c = 0; c < keep; ++c) chars += cell(r.text, c).size();
        if (chars == 0) {
            r.text = nullptr;
            continue;
        }
        const std::size_t bytes = block_bytes(cols, chars);
        std::uint32_t* ends = fresh.take(bytes);
        r.bytes = static_cast<std::uint32_t>(bytes);
        char* out = reinterpret_cast<char*>(ends + cols);
        std::uint32_t end = 0;
        for (long c = 0; c < cols; ++c) {
            if (c < keep) {
                const std::string_view t = cell(r.text, c);
                if (!t.empty()) std::memcpy(out + end, t.data(), t.size());
                end += static_cast<std::uint32_t>(t.size());
            }
            ends[c] = end;
        }
        r.text = ends;
    }
    text_ = std::move(fresh);
    spare_ = TextArena();
    reslot_colors(cols);
    cols_ = cols;
}

void GridRows::reslot_colors(long cols) {
    ColorSlots slots(cols);
    const long keep = std::min(cols, cols_);
    for (Row& r : rows_) {
        if (!r.color) continue;
        std::uint32_t* color = slots.take();
        std::fill(color, color + cols, kWhite);
        std::copy(r.color, r.color + keep, color);
        r.color = color;
    }
    colors_ = std::move(slots);
}

void GridRows::shrink_colors_if_sparse() {
    // a list refilled with a few rows after a large one need not keep the room
    if (colors_.capacity() > 1024 && colors_.live() * 4 < colors_.capacity()) reslot_colors(cols_);
}

void GridRows::defer(long first_row, long first_col, RowFiller fill) {
    drop_deferred();
    if (!fill || first_col < 0 || first_col >= cols_) return;
    for (std::size_t r = static_cast<std::size_t>(std::max(first_row, 0L)); r < rows_.size(); ++r) {
        Row& row = rows_[r];
        if (row.text && first_col == 0) drop_text(row);
        else if (row.text) pack(row, [&, old = row.text](long c) { return c < first_col ? cell(old, c) : std::string_view(); });
        row.waiting = true;
        ++waiting_;
    }
    reclaim();
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

void GridRows::fill_now(long first_row, long first_col, const RowFiller& fill) {
    drop_deferred();
    if (!fill || first_col < 0 || first_col >= cols_) return;
    const std::size_t first = static_cast<std::size_t>(std::max(first_row, 0L));
    if (first_col == 0) {
        // Rows rewritten whole let their blocks go first, so the arena can be
        // reclaimed before the fill instead of copying the new blocks after it.
        for (std::size_t r = first; r < rows_.size(); ++r) drop_text(rows_[r]);
        reclaim();
    }
    for (std::size_t r = first; r < rows_.size(); ++r) write(rows_[r], first_col, fill);
    reclaim();
}

void GridRows::fill(long row) const {
    const Row& r = at(row);
    r.waiting = false;
    --waiting_;
    write(r, first_col_, filler_);
    if (!waiting_) filler_ = nullptr;  // the last row lets go of what it holds
}

void GridRows::write(const Row& r, long first_col, const RowFiller& fill) const {
    scratch_.reset(cols_ - first_col);
    fill(static_cast<long>(&r - rows_.data()), scratch_, colors(r) + first_col);
    // cells written once each in column order lie packed already
    const long n = scratch_.cols();
    const std::size_t chars = scratch_.used_;
    const std::uint32_t* old = r.text;
    if (first_col == 0 && scratch_.packed_) {
        if (chars == 0) {
            drop_text(r);
        } else {
            std::uint32_t* ends = take_block(r, chars);
            std::uint32_t end = 0;
            for (long c = 0; c < n; ++c) ends[c] = end += scratch_.size_[static_cast<std::size_t>(c)];
            std::memcpy(ends + cols_, scratch_.chars_.get(), chars);
            r.text = ends;
        }
    } else {
        pack(r, [&](long c) { return c < first_col ? cell(old, c) : scratch_.get(c - first_col); });
    }
}

}  // namespace korvane::ui
