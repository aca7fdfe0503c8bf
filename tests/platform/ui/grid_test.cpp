#include "platform/ui/grid.h"

#include <gtest/gtest.h>

#include <memory>

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
    EXPECT_EQ(kGrey, 192u + 192u * 256 + 192u * 65536);
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
    auto filler = [&filled](long row, std::string* cells, std::uint32_t* colors) {
        filled.push_back(row);
        cells[0] = "r" + std::to_string(row);
        cells[1] = "x";
        colors[1] = kGrey;
    };
    g.defer_rows(1, 1, filler);
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

    g.defer_rows(1, 1, filler);
    g.Clear();  // emptied rows stay empty
    EXPECT_EQ(g.TextMatrix(2, 1), "");
    EXPECT_EQ(filled.size(), 4u);
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

struct EditLog {
    std::vector<std::string> events;
};

TEST(GridEditing, ValidateEditCanRefuseOrReplaceTheText) {
    auto owned = make_filled(3, 4);
    Grid& g = *owned;
    EditLog log;
    g.on_before_edit = [&](long, long col, bool& cancel) { cancel = col == 1; };
    g.on_validate_edit = [&](long, long, std::string& text, bool& cancel) {
        if (!text.empty() && text[0] == '-') cancel = true;
        else text = text + ".00";
    };
    g.on_after_edit = [&](long r, long c) { log.events.push_back(std::to_string(r) + ":" + std::to_string(c)); };
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
    EXPECT_EQ(log.events, (std::vector<std::string>{"1:3"}));
    // an edit left open is committed by finish_edit
    ASSERT_TRUE(g.begin_edit(1, 2));
    g.put_edit_text("8");
    EXPECT_TRUE(g.finish_edit());
    EXPECT_EQ(g.TextMatrix(1, 2), "8.00");
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
