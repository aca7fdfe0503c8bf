// GridRows: the rows of a Grid, what each carries (its RowData and hidden
// flag) and its cells' texts and colours.
//
// Operations and costs: a row nobody wrote to is one small struct. A row's
// texts lie packed in one block (the end of each cell's text, then the
// characters) taken from an arena, so a cell read is two offsets and a large
// list holds a few bytes per cell instead of a string object each; a row
// whose texts are all empty has no block. Writing a cell packs its row anew
// (linear in the row). The blocks left behind are reclaimed, once they
// outweigh the live ones, by copying the live blocks into a second arena
// that keeps its memory from the last time: a list refilled again and again
// reuses its memory, and holds at most twice what its largest fill took.
// The colours of a row take a slot of their own on their first write, so
// colouring a column costs no texts; slots come from blocks of many rows.
// Rows handed to a RowFiller are written the first time one of their filled
// cells is read or written, once; rows cut off the end are never written.
// Inserting or erasing a row shifts the rows after it (linear).
//
// A text read stays valid until a cell is written or the shape changes; a
// read that writes a waiting row leaves the other rows' texts where they are.
//
// What it forbids: moving rows or reshaping the columns while rows wait for
// their filler would hand the filler the wrong row or width, so those write
// every waiting row first. The filler must not reach back into the grid.
//
// A first read writes a waiting row, so the fill runs from const readers:
// the waiting flags, the cells and the filler are the mutable part, and
// nothing else is. A reader never sees whether the row was written before.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace korvane::ui {

// VB's RGB(): red in the low byte.
constexpr std::uint32_t RGB(int r, int g, int b) {
    return static_cast<std::uint32_t>(r) | (static_cast<std::uint32_t>(g) << 8) | (static_cast<std::uint32_t>(b) << 16);
}
// White cells take typing, grey ones do not.
inline constexpr std::uint32_t kWhite = RGB(255, 255, 255);
inline constexpr std::uint32_t kGrey = RGB(192, 192, 192);
// No RGB() gives it: a colour the model leaves to its view.
inline constexpr std::uint32_t kViewGridColor = 0xFFFFFFFFu;

// The texts of one row's cells as a filler writes them, kept side by side in
// one buffer: cells written once each in column order are packed into the
// grid with one copy. A cell written again keeps its last text.
class RowCells {
public:
    explicit RowCells(long cols = 0) { reset(cols); }
    long cols() const { return static_cast<long>(size_.size()); }
    // Every cell empty; the buffer keeps its room.
    void reset(long cols);
    std::string_view get(long col) const {
        return {chars_.get() + begin_[static_cast<std::size_t>(col)], size_[static_cast<std::size_t>(col)]};
    }
    void set(long col, std::string_view text) {
        const std::size_t n = text.size();
        if (n > room_ - used_) grow(n);
        char* out = chars_.get() + used_;
        // short texts, most of a list, in two moves that may overlap instead of a call
        const char* in = text.data();
        if (n >= 8 && n <= 16) {
            std::memcpy(out, in, 8);
            std::memcpy(out + n - 8, in + n - 8, 8);
        } else if (n >= 4 && n < 8) {
            std::memcpy(out, in, 4);
            std::memcpy(out + n - 4, in + n - 4, 4);
        } else if (n > 0 && n < 4) {
            out[0] = in[0];
            out[n / 2] = in[n / 2];
            out[n - 1] = in[n - 1];
        } else if (n > 16) {
            std::memcpy(out, in, n);
        }
        begin_[static_cast<std::size_t>(col)] = static_cast<std::uint32_t>(used_);
        size_[static_cast<std::size_t>(col)] = static_cast<std::uint32_t>(n);
        used_ += n;
        packed_ = packed_ && col > last_;
        last_ = col;
    }
    void clear(long col) {
        std::uint32_t& size = size_[static_cast<std::size_t>(col)];
        if (size) packed_ = false;  // its characters stay behind
        size = 0;
    }

private:
    friend class GridRows;
    // Room for n more characters; a text in the old buffer stays readable.
    void grow(std::size_t n);
    std::unique_ptr<char[]> old_;
    std::unique_ptr<char[]> chars_;
    std::size_t used_ = 0, room_ = 0;
    std::vector<std::uint32_t> begin_, size_;  // a cell's begin counts only while it has a size
    // Every text set lies in column order, each once, with nothing between:
    // the buffer holds the row's characters as a block packs them.
    bool packed_ = true;
    long last_ = -1;  // the last column set
};

// Writes one waiting row from the first filled column on (cells' column 0
// and colors[0] are that column's): the texts come empty, the colours hold
// what the row held before.
using RowFiller = std::function<void(long row, RowCells& cells, std::uint32_t* colors)>;

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

    std::string_view text(long row, long col) const {
        fill_before_use(row, col);
        const std::uint32_t* ends = at(row).text;
        if (!ends) return {};
        const std::uint32_t begin = col > 0 ? ends[col - 1] : 0;
        return {reinterpret_cast<const char*>(ends + cols_) + begin, ends[col] - begin};
    }
    std::uint32_t color(long row, long col) const;
    // True when the cell changed.
    bool set_text(long row, long col, std::string_view text);
    bool set_color(long row, long col, std::uint32_t color);
    // Empties every text; colours, row data and hidden flags stay.
    void clear_texts();

    // New rows are empty, white and shown.
    void resize_rows(long count);
    // An empty row before `at` (count() appends).
    void insert_row(long at);
    void erase_row(long at);
    void resize_cols(long cols);

    // Rows first_row..count()-1 have their texts from first_col on emptied
    // and wait for `fill` to write those cells. Any earlier waiting rows are
    // let go first.
    void defer(long first_row, long first_col, RowFiller fill);
    // Lets the waiting rows go unwritten: those texts stay empty.
    void drop_deferred();
    // Writes every waiting row now.
    void fill_deferred() const;
    // Rows first_row..count()-1 written by `fill` now, from first_col on, as
    // a waiting row is written; any earlier waiting rows are let go first.
    void fill_now(long first_row, long first_col, const RowFiller& fill);
    long deferred() const { return waiting_; }

private:
    // The packed text blocks, handed out from large pieces in turn. A reset
    // arena hands its pieces out again. `live` counts the bytes of the
    // blocks rows still use, `held` all it handed out since its reset.
    class TextArena {
    public:
        std::uint32_t* take(std::size_t bytes);
        void give(std::size_t bytes) { live_ -= bytes; }
        void reset();
        std::size_t live() const { return live_; }
        std::size_t held() const { return held_; }

    private:
        struct Piece {
            std::unique_ptr<std::uint32_t[]> words;
            std::size_t size;
        };
        std::vector<Piece> pieces_;
        std::size_t piece_ = 0;  // the piece next_ lies in
        std::uint32_t* next_ = nullptr;
        std::size_t room_ = 0;  // words left after next_
        std::size_t live_ = 0, held_ = 0;
    };

    // Colour slots of a fixed number of cells taken from shared blocks. A
    // slot given back holds its old colours until taken again.
    class ColorSlots {
    public:
        explicit ColorSlots(long width) : width_(static_cast<std::size_t>(width)) {}
        std::uint32_t* take();
        void give(std::uint32_t* slot) {
            free_.push_back(slot);
            --live_;
        }
        std::size_t live() const { return live_; }
        std::size_t capacity() const { return blocks_.size() * kBlockSlots; }

    private:
        static constexpr std::size_t kBlockSlots = 256;
        std::size_t width_;
        std::vector<std::unique_ptr<std::uint32_t[]>> blocks_;
        std::size_t used_ = kBlockSlots;  // slots handed out of the last block
        std::size_t live_ = 0;
        std::vector<std::uint32_t*> free_;
    };

    struct Row {
        long data = 0;
        bool hidden = false;
        mutable bool waiting = false;             // cells from first_col_ on not yet written
        // the block's size, kept here so letting it go does not touch it
        mutable std::uint32_t bytes = 0;
        mutable std::uint32_t* text = nullptr;    // packed block in text_, none while all are empty
        mutable std::uint32_t* color = nullptr;   // a slot of colors_, none while all are white
    };
    const Row& at(long row) const { return rows_[static_cast<std::size_t>(row)]; }
    Row& at(long row) { return rows_[static_cast<std::size_t>(row)]; }
    std::uint32_t* colors(const Row& row) const;
    // The bytes of a block of `cols` cells and `chars` characters, as the arena hands it out.
    static std::size_t block_bytes(long cols, std::size_t chars) {
        return (static_cast<std::size_t>(cols) * 4 + chars + 3) / 4 * 4;
    }
    // `row` takes a new block of `chars` characters; its old one goes back.
    std::uint32_t* take_block(const Row& row, std::size_t chars) const;
    std::string_view cell(const std::uint32_t* ends, long col) const;
    // Packs `row` anew: cell c is text_of(c) for every column.
    template <class TextOf>
    void pack(const Row& row, TextOf&& text_of) const;
    void drop_text(const Row& row) const;
    // Copies the rows' blocks to the spare arena when the old blocks outweigh
    // them; never while a read writes a row.
    void reclaim() const;
    // Writes a waiting row before its cell `col` is used.
    void fill_before_use(long row, long col) const {
        if (waiting_ && col >= first_col_ && at(row).waiting) fill(row);
    }
    void fill(long row) const;
    // Writes cells first_col.. of `row` through `fill`.
    void write(const Row& row, long first_col, const RowFiller& fill) const;
    // Gives back the storage of rows first..count()-1.
    void release(std::size_t first);
    void shrink_colors_if_sparse();
    void reslot_colors(long cols);

    std::vector<Row> rows_;
    long cols_;
    mutable TextArena text_, spare_;
    mutable ColorSlots colors_;
    mutable RowCells scratch_;  // the cells a filler writes
    long first_col_ = 0;
    mutable long waiting_ = 0;
    mutable RowFiller filler_;  // let go of with the last waiting row
};

}  // namespace korvane::ui
