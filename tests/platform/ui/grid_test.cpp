#include "platform/ui/grid.h"

#include <gtest/gtest.h>

#include <memory>
#include <utility>

#include "platform/ui/form.h"
#include "tests/support/errors.h"

namespace korvane::ui {
namespace {

using testing::error_number;

std::unique_ptr<Grid> make_filled(long rows, long cols) {
    auto p = std::make_unique<Grid>("spgList");
    Grid& g = *p;
    g.put_Cols(cols);
    g.put_Rows(rows);
    for (long r = 0; r < rows; ++r)
        for (long c = 0; c < cols; ++c) g.put_TextMatrix(r, c, std::to_string(r) + "," + std::to_string(c));
    return p;
}

TEST(GridCells, ResizingKeepsCellsColoursAndRowData) {
    Grid g("lstDdBody");
    g.put_Cols(3);
    g.put_Rows(3);
    g.put_TextMatrix(1, 2, "螺栓");
    g.put_CellBackColor(1, 2, kGrey);
    g.put_RowData(2, 42);
    g.put_Cols(5);  // widening re-lays the cells out
    g.put_Rows(4);
    EXPECT_EQ(g.TextMatrix(1, 2), "螺栓");
    EXPECT_EQ(g.CellBackColor(1, 2), kGrey);
    EXPECT_EQ(g.CellBackColor(1, 1), kWhite);
    EXPECT_EQ(g.CellBackColor(3, 4), kWhite);
    EXPECT_EQ(g.RowData(2), 42);
    EXPECT_EQ(g.TextMatrix(3, 4), "");
    g.put_Cols(2);
    EXPECT_EQ(error_number([&] { g.TextMatrix(1, 2); }), 381);
    EXPECT_EQ(error_number([&] { g.put_TextMatrix(4, 0, "x"); }), 381);
    g.put_Cols(3);  // a column cut off comes back empty
    EXPECT_EQ(g.TextMatrix(1, 2), "");
    EXPECT_EQ(g.CellBackColor(1, 2), kWhite);
}

// Rows rewritten again and again, cut and regrown: the storage behind the
// texts is moved and reused meanwhile, and every text stays the last one
// written, including a text copied from another cell of the grid.
TEST(GridCells, TextsSurviveRewritesOfManyRows) {
    Grid g("lstDdBody");
    g.put_Cols(4);
    g.put_Rows(3000);
    auto text = [](long r, long c, int round) { return std::to_string(r * 7 + c) + "号螺栓规格M" + std::to_string(round); };
    for (int round = 0; round < 4; ++round)
        for (long r = 0; r < g.Rows(); ++r)
            for (long c = round % 2; c < 4; c += 2) g.put_TextMatrix(r, c, text(r, c, round));
    g.put_TextMatrix(5, 0, g.TextMatrix(2999, 3));
    g.put_TextMatrix(5, 1, "");
    g.put_Rows(10);
    g.put_Rows(2000);
    g.put_TextMatrix(1999, 2, g.TextMatrix(9, 2));
    EXPECT_EQ(g.TextMatrix(5, 0), text(2999, 3, 3));
    EXPECT_EQ(g.TextMatrix(5, 1), "");
    EXPECT_EQ(g.TextMatrix(9, 2), text(9, 2, 2));
    EXPECT_EQ(g.TextMatrix(9, 3), text(9, 3, 3));
    EXPECT_EQ(g.TextMatrix(1999, 2), text(9, 2, 2));
    EXPECT_EQ(g.TextMatrix(1999, 3), "") << "a row cut off comes back empty";
    g.put_Cols(2);
    EXPECT_EQ(g.TextMatrix(9, 1), text(9, 1, 3));
}

TEST(GridCells, AddItemInsertsAndRemoveItemDropsRows) {
    auto owned = make_filled(3, 3);
    Grid& g = *owned;
    g.put_RowData(2, 7);
    g.AddItem("a\tb", 1);
    ASSERT_EQ(g.Rows(), 4);
    EXPECT_EQ(g.TextMatrix(1, 0), "a");
    EXPECT_EQ(g.TextMatrix(1, 1), "b");
    EXPECT_EQ(g.TextMatrix(1, 2), "");
    EXPECT_EQ(g.TextMatrix(2, 0), "1,0");
    EXPECT_EQ(g.RowData(3), 7);
    g.AddItem("z\ty\tx\tw");  // extra fields are ignored
    EXPECT_EQ(g.TextMatrix(4, 2), "x");
    g.RemoveItem(1);
    EXPECT_EQ(g.Rows(), 4);
    EXPECT_EQ(g.TextMatrix(1, 0), "1,0");
    EXPECT_EQ(g.RowData(2), 7);
    EXPECT_EQ(error_number([&] { g.RemoveItem(0); }), 380);  // the header row stays
}

TEST(GridCells, DeferredRowsAreWrittenOnceWhenFirstUsed) {
    Grid g("spgList");
    g.put_Cols(3);
    g.put_Rows(5);
    g.put_TextMatrix(2, 0, "Y");
    std::vector<long> filled;
    auto filler = [&filled](long row, RowCells& cells, std::uint32_t* colors) {
        filled.push_back(row);
        cells.set(0, "r" + std::to_string(row));
        cells.set(1, "x");
        colors[1] = kGrey;
    };
    g.fill_rows_on_first_use(1, 1, filler);
    EXPECT_EQ(g.deferred_rows(), 4);
    EXPECT_EQ(g.TextMatrix(2, 0), "Y") << "columns before the deferred ones are left as they were";
    EXPECT_TRUE(filled.empty());
    EXPECT_EQ(g.TextMatrix(3, 1), "r3");
    EXPECT_EQ(g.CellBackColor(3, 2), kGrey);
    g.put_TextMatrix(4, 2, "edited");  // a write fills the row first, then takes the text
    EXPECT_EQ(g.TextMatrix(4, 1), "r4");
    EXPECT_EQ(g.TextMatrix(4, 2), "edited");
    EXPECT_EQ(filled, (std::vector<long>{3, 4}));

    g.put_Rows(3);  // the rows cut off are never written
    EXPECT_EQ(g.deferred_rows(), 2);
    g.AddItem("a\tb\tc");  // reshaping writes what is left first
    EXPECT_EQ(filled, (std::vector<long>{3, 4, 1, 2}));
    EXPECT_EQ(g.TextMatrix(1, 1), "r1");
    EXPECT_EQ(g.TextMatrix(3, 2), "c");
    EXPECT_EQ(g.deferred_rows(), 0);

    g.fill_rows_on_first_use(1, 1, filler);
    g.Clear();  // emptied rows stay empty
    EXPECT_EQ(g.TextMatrix(2, 1), "");
    EXPECT_EQ(filled.size(), 4u);

    // Filled now: every row once, in order, earlier columns kept; rows still
    // waiting for another filler go unwritten.
    g.put_TextMatrix(2, 0, "Y");
    g.fill_rows_on_first_use(1, 1, [](long, RowCells& cells, std::uint32_t*) { cells.set(0, "late"); });
    filled.clear();
    g.fill_rows(1, 1, filler);
    EXPECT_EQ(filled, (std::vector<long>{1, 2, 3}));
    EXPECT_EQ(g.deferred_rows(), 0);
    EXPECT_EQ(g.TextMatrix(2, 0), "Y");
    EXPECT_EQ(g.TextMatrix(2, 1), "r2");
    EXPECT_EQ(g.TextMatrix(2, 2), "x");
    EXPECT_EQ(g.CellBackColor(3, 2), kGrey);
}

TEST(GridCells, RowsFilledAgainAndAgainKeepTheirTexts) {
    // Enough refills of texts of changing length that the arena reclaims
    // the old blocks many times over.
    Grid g("spgList");
    g.put_Cols(3);
    g.put_Rows(1000);
    for (int refill = 0; refill < 600; ++refill) {
        const std::string tail(static_cast<std::size_t>(refill % 37), 'x');
        g.fill_rows(1, refill % 2, [&](long row, RowCells& cells, std::uint32_t*) {
            cells.set(0, std::to_string(row) + tail);
            cells.set(1, tail);
        });
        if (refill % 50 != 49) continue;
        // an odd refill starts at column 1 and keeps the last one's column 0
        const std::string before(static_cast<std::size_t>((refill - 1) % 37), 'x');
        for (long r = 1; r < 1000; ++r) {
            ASSERT_EQ(g.TextMatrix(r, 0), std::to_string(r) + before) << refill << " " << r;
            ASSERT_EQ(g.TextMatrix(r, 1), std::to_string(r) + tail);
            ASSERT_EQ(g.TextMatrix(r, 2), tail);
        }
    }
}

// A view that keeps its own copy of the texts from nothing but the notices,
// as a table view keeps its rows: when the notices are right, the copy is
// the grid. Before a change of shape it checks that the grid is still the
// shape it knows.
struct MirrorView {
    Grid& g;
    std::vector<std::vector<std::string>> rows;
    std::vector<std::string> heard;
    explicit MirrorView(Grid& grid) : g(grid) {
        reread();
        g.on_shape_changing = [this](const ShapeChange& c) {
            heard.push_back("before " + describe(c));
            EXPECT_EQ(static_cast<long>(rows.size()), g.Rows()) << heard.back();
            EXPECT_EQ(cols(), g.Cols()) << heard.back();
        };
        g.on_shape_changed = [this](const ShapeChange& c) {
            heard.push_back("after " + describe(c));
            switch (c.kind) {
            case ShapeChange::InsertRows:
                for (long r = c.first; r <= c.last; ++r) rows.insert(rows.begin() + r, read_row(r));
                break;
            case ShapeChange::RemoveRows:
                rows.erase(rows.begin() + c.first, rows.begin() + c.last + 1);
                break;
            case ShapeChange::InsertCols:
                for (long r = 0; r < g.Rows(); ++r)
                    for (long col = c.first; col <= c.last; ++col)
                        rows[r].emplace(rows[r].begin() + col, g.TextMatrix(r, col));
                break;
            case ShapeChange::RemoveCols:
                for (auto& row : rows) row.erase(row.begin() + c.first, row.begin() + c.last + 1);
                break;
            case ShapeChange::Reset:
                reread();
                break;
            }
        };
        g.on_cells_changed = [this](long r0, long c0, long r1, long c1) {
            for (long r = r0; r <= r1; ++r)
                for (long c = c0; c <= c1; ++c) rows[r][c] = g.TextMatrix(r, c);
        };
        g.on_layout_changed = [this] {
            heard.push_back("layout");
            reread();
        };
    }
    long cols() const { return rows.empty() ? g.Cols() : static_cast<long>(rows[0].size()); }
    std::vector<std::string> read_row(long r) const {
        std::vector<std::string> row;
        for (long c = 0; c < g.Cols(); ++c) row.emplace_back(g.TextMatrix(r, c));
        return row;
    }
    void reread() {
        rows.clear();
        for (long r = 0; r < g.Rows(); ++r) rows.push_back(read_row(r));
    }
    static std::string describe(const ShapeChange& c) {
        static const char* kKinds[] = {"insert rows", "remove rows", "insert cols", "remove cols", "reset"};
        std::string s = kKinds[c.kind];
        if (c.kind != ShapeChange::Reset) s += " " + std::to_string(c.first) + ".." + std::to_string(c.last);
        return s;
    }
    bool matches() const {
        if (static_cast<long>(rows.size()) != g.Rows()) return false;
        for (long r = 0; r < g.Rows(); ++r)
            if (rows[r] != read_row(r)) return false;
        return true;
    }
    std::vector<std::string> take() { return std::exchange(heard, {}); }
};

using Heard = std::vector<std::string>;

TEST(GridView, ChangesOfShapeAreHeardBeforeAndAfterInGridRows) {
    auto owned = make_filled(3, 3);
    Grid& g = *owned;
    MirrorView view(g);
    g.put_Rows(5);
    EXPECT_EQ(view.take(), (Heard{"before insert rows 3..4", "after insert rows 3..4"}));
    g.put_TextMatrix(4, 1, "新");
    g.AddItem("a\tb", 1);
    EXPECT_EQ(view.take(), (Heard{"before insert rows 1..1", "after insert rows 1..1"}));
    g.AddItem("头", 0);  // before the header: the header moves down
    EXPECT_EQ(view.take(), (Heard{"before insert rows 0..0", "after insert rows 0..0"}));
    g.RemoveItem(3);
    EXPECT_EQ(view.take(), (Heard{"before remove rows 3..3", "after remove rows 3..3"}));
    g.put_Rows(3);
    EXPECT_EQ(view.take(), (Heard{"before remove rows 3..5", "after remove rows 3..5"}));
    g.put_Cols(5);
    g.put_TextMatrix(2, 4, "x");
    g.put_Cols(2);
    EXPECT_EQ(view.take(), (Heard{"before insert cols 3..4", "after insert cols 3..4", "before remove cols 2..4",
                                  "after remove cols 2..4"}));
    EXPECT_TRUE(view.matches());

    g.put_FixedRows(2);
    g.put_FixedRows(2);  // no change, no notice
    g.Clear();
    EXPECT_EQ(view.take(), (Heard{"before reset", "after reset", "before reset", "after reset"}));
    g.put_Rows(1);  // fewer rows than fixed ones: the header goes too
    EXPECT_EQ(g.FixedRows(), 1);
    EXPECT_EQ(view.take(), (Heard{"before reset", "after reset"}));
    g.put_Rows(1);
    g.put_Cols(2);
    EXPECT_TRUE(view.take().empty()) << "no change of shape, nothing heard";
    EXPECT_TRUE(view.matches());
}

TEST(GridView, AViewKeepsInStepThroughRedrawAndDeferredRows) {
    Grid g("spgList");
    MirrorView view(g);
    g.put_Redraw(false);
    g.put_Cols(4);
    g.put_Rows(6);
    for (long r = 0; r < 6; ++r) g.put_TextMatrix(r, 0, "k" + std::to_string(r));
    // the shape is heard at once, the cells wait for Redraw
    EXPECT_EQ(view.take(), (Heard{"before insert cols 2..3", "after insert cols 2..3", "before insert rows 2..5",
                                  "after insert rows 2..5"}));
    EXPECT_FALSE(view.matches());
    int fills = 0;
    g.fill_rows_on_first_use(1, 1, [&fills](long row, RowCells& cells, std::uint32_t*) {
        ++fills;
        for (int c = 0; c < 3; ++c) cells.set(c, std::to_string(row * 10 + c));
    });
    EXPECT_EQ(view.take(), (Heard{"before reset", "after reset"}));
    EXPECT_EQ(fills, 5) << "the view read every row";
    g.put_Redraw(true);
    EXPECT_EQ(view.take(), (Heard{"layout"}));
    EXPECT_TRUE(view.matches());

    g.fill_rows_on_first_use(1, 1, [](long, RowCells& cells, std::uint32_t*) { cells.set(0, "late"); });
    g.AddItem("m\tn", 2);
    g.RemoveItem(5);
    g.put_TextMatrix(1, 3, "y");
    g.put_Cols(3);
    EXPECT_TRUE(view.matches());
    EXPECT_EQ(g.TextMatrix(2, 1), "n");
    EXPECT_EQ(g.TextMatrix(3, 1), "late");
    EXPECT_EQ(g.deferred_rows(), 0);
    g.fill_rows_on_first_use(1, 0, {});  // nothing waits: nothing to let go, nothing heard
    view.take();
    g.fill_rows_on_first_use(1, 0, {});
    EXPECT_TRUE(view.take().empty());
}

TEST(GridView, RedrawOffHoldsNoticesUntilItIsBackOn) {
    auto owned = make_filled(3, 3);
    Grid& g = *owned;
    int layouts = 0, cells = 0;
    g.on_layout_changed = [&] { ++layouts; };
    g.on_cells_changed = [&](long, long, long, long) { ++cells; };
    g.put_TextMatrix(1, 1, "x");
    EXPECT_EQ(cells, 1);
    g.put_Redraw(false);
    g.put_Rows(1000);
    for (long r = 1; r < 1000; ++r) g.put_TextMatrix(r, 1, "y");
    g.put_RowHidden(5, true);
    EXPECT_EQ(layouts + cells, 1);
    g.put_Redraw(true);
    EXPECT_EQ(layouts, 1);
    EXPECT_TRUE(g.RowHidden(5));
}

TEST(GridEditing, ValidateEditCanRefuseOrReplaceTheText) {
    auto owned = make_filled(3, 4);
    Grid& g = *owned;
    std::vector<std::string> edited;
    g.on_before_edit = [&](long, long col, bool& cancel) { cancel = col == 1; };
    g.on_validate_edit = [&](long, long, std::string& text, bool& cancel) {
        if (!text.empty() && text[0] == '-') cancel = true;
        else text = text + ".00";
    };
    g.on_after_edit = [&](long r, long c) { edited.push_back(std::to_string(r) + ":" + std::to_string(c)); };
    EXPECT_FALSE(g.edit_cell(1, 1, "5"));  // before-edit refuses the column
    EXPECT_EQ(g.TextMatrix(1, 1), "1,1");
    EXPECT_TRUE(g.begin_edit(1, 3));
    EXPECT_FALSE(g.commit_edit("-3"));
    EXPECT_TRUE(g.editing());
    EXPECT_EQ(g.edit_text(), "-3");  // kept for correction
    EXPECT_EQ(g.TextMatrix(1, 3), "1,3");
    EXPECT_TRUE(g.commit_edit("3"));
    EXPECT_EQ(g.TextMatrix(1, 3), "3.00");
    EXPECT_FALSE(g.edit_cell(0, 3, "x"));  // the header takes no edits
    g.put_RowHidden(2, true);
    EXPECT_FALSE(g.edit_cell(2, 3, "x"));
    EXPECT_EQ(edited, (std::vector<std::string>{"1:3"}));
    // an edit left open is committed by finish_edit
    ASSERT_TRUE(g.begin_edit(1, 2));
    g.put_edit_text("8");
    EXPECT_TRUE(g.finish_edit());
    EXPECT_EQ(g.TextMatrix(1, 2), "8.00");
}

TEST(GridEditing, AGreyCellTakesNoTypingAndRaisesNothing) {
    auto owned = make_filled(4, 4);
    Grid& g = *owned;
    std::vector<std::string> seen;
    g.on_before_edit = [&](long r, long c, bool&) { seen.push_back("before " + std::to_string(r) + "," + std::to_string(c)); };
    g.on_validate_edit = [&](long, long, std::string&, bool&) { seen.push_back("validate"); };
    g.on_after_edit = [&](long, long) { seen.push_back("after"); };
    g.on_row_col_change = [&] { seen.push_back("rowcol"); };
    g.on_cells_changed = [&](long, long, long, long) { seen.push_back("cells"); };
    g.select(3, 1);
    seen.clear();
    g.put_CellBackColor(1, 2, kGrey);
    g.put_CellBackColor(1, 3, RGB(255, 255, 0));  // only grey locks
    seen.clear();
    EXPECT_FALSE(g.CellEditable(1, 2));
    EXPECT_TRUE(g.CellEditable(1, 3));
    EXPECT_FALSE(g.begin_edit(1, 2));
    EXPECT_FALSE(g.edit_cell(1, 2, "9"));
    EXPECT_FALSE(g.editing());
    EXPECT_EQ(g.TextMatrix(1, 2), "1,2");
    EXPECT_EQ(g.Row(), 3) << "a refused cell does not become current";
    EXPECT_EQ(g.Col(), 1);
    EXPECT_TRUE(seen.empty());

    // moving onto the cell locks it (the forms colour the current line)
    g.on_row_col_change = [&] {
        seen.push_back("rowcol");
        g.put_CellBackColor(g.Row(), 3, kGrey);
    };
    EXPECT_FALSE(g.begin_edit(2, 3));
    EXPECT_EQ(g.Row(), 2);
    EXPECT_EQ(seen, (std::vector<std::string>{"rowcol", "cells"}));
    EXPECT_EQ(g.TextMatrix(2, 3), "2,3");

    // locked while an edit was open: the commit drops it untouched
    g.on_row_col_change = nullptr;
    seen.clear();
    ASSERT_TRUE(g.begin_edit(1, 3));
    g.put_CellBackColor(1, 3, kGrey);
    EXPECT_FALSE(g.commit_edit("9"));
    EXPECT_FALSE(g.editing());
    EXPECT_EQ(g.TextMatrix(1, 3), "1,3");
    EXPECT_EQ(seen, (std::vector<std::string>{"before 1,3", "cells"}));

    g.put_CellBackColor(1, 2, kWhite);
    EXPECT_TRUE(g.edit_cell(1, 2, "9"));
    EXPECT_EQ(g.TextMatrix(1, 2), "9");
    EXPECT_FALSE(g.CellEditable(0, 2)) << "the header";
    g.put_FixedCols(1);
    EXPECT_FALSE(g.CellEditable(1, 0));
    g.put_RowHidden(2, true);
    EXPECT_FALSE(g.CellEditable(2, 2));
    EXPECT_EQ(error_number([&] { (void)g.CellEditable(4, 0); }), 381);
}

TEST(GridEvents, ClicksMoveTheCurrentCellAndReportTheMouse) {
    auto owned = make_filled(4, 4);
    Grid& g = *owned;
    std::vector<std::string> seen;
    g.on_row_col_change = [&] { seen.push_back("rowcol " + std::to_string(g.Row()) + "," + std::to_string(g.Col())); };
    g.on_click = [&] { seen.push_back("click " + std::to_string(g.Col())); };
    g.on_dbl_click = [&] { seen.push_back("dbl"); };
    g.on_mouse_up = [&](int button, int) {
        seen.push_back("up " + std::to_string(button) + " " + std::to_string(g.MouseCol()));
    };
    g.on_cell_button_click = [&](long r, long c) { seen.push_back("button " + std::to_string(r) + "," + std::to_string(c)); };
    g.on_key_down = [&](int& key, int) { seen.push_back("key " + std::to_string(key)); };
    g.click(2, 1);
    g.click(2, 1);  // same cell: no RowColChange
    g.dbl_click(2, 1);
    g.mouse_up(vbRightButton, 0, 3, 2);
    g.cell_button_click(1, 3);  // not a button column
    g.put_ColButton(3, true);
    g.cell_button_click(1, 3);
    g.key_down(113);
    g.put_Enabled(false);
    g.click(1, 1);
    EXPECT_EQ(seen, (std::vector<std::string>{"rowcol 2,1", "click 1", "click 1", "dbl", "up 2 2", "rowcol 1,3",
                                              "button 1,3", "key 113"}));
}

TEST(GridEditing, TheFormsKeyFilterHoldsForCellsToo) {
    HeadlessUi ui;
    Form f("frmStockOrder", ui);
    auto& g = f.add<Grid>("lstDdBody");
    g.put_Cols(3);
    f.put_KeyPreview(true);
    f.on_key_press = [](int& key) {
        if (key == '\'') key = 0;
    };
    EXPECT_TRUE(g.edit_cell(1, 1, "A'B"));
    EXPECT_EQ(g.TextMatrix(1, 1), "AB");
}

}  // namespace
}  // namespace korvane::ui
