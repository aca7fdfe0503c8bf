#include "generation/core/grid_fill.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "platform/vb/convert.h"
#include "session/options.h"
#include "session/permission_service.h"
#include "tests/support/services.h"

namespace korvane::generation {
namespace {

using ModuleCtl::FillSourceGrid;
using Texts = std::vector<std::string>;
using Rows = std::vector<std::vector<Variant>>;
const Variant kNull = Variant::null();

ado::RecordsetPtr make_set(const std::vector<std::pair<const char*, int>>& fields, const Rows& rows) {
    auto rs = ado::Recordset::create();
    for (const auto& [name, type] : fields) rs->Fields().Append(name, type, 0, ado::adFldIsNullable, 20, 6);
    rs->Open();
    for (const auto& row : rows) {
        rs->AddNew();
        for (std::size_t f = 0; f < row.size(); ++f) rs->Fields(Variant(static_cast<int>(f))).put_Value(row[f]);
        rs->Update();
    }
    return rs;
}

// Purchase-order lines: group type, rate, quantity, pieces, arrived and received amounts.
ado::RecordsetPtr order_lines(const std::vector<std::vector<double>>& lines) {
    Rows rows;
    for (const auto& a : lines)
        rows.push_back({Variant("A001"), Variant("红"), kNull, Variant("箱"), kNull, Variant(a[1]),
                        Variant(static_cast<int>(a[0])), Variant(a[2]), Variant(a[3]), Variant(a[4]), Variant(a[5]),
                        Variant(a[6]), Variant(a[7])});
    return make_set({{"cInvCode", ado::adVarWChar}, {"cFree1", ado::adVarWChar}, {"cFree2", ado::adVarWChar},
                     {"cinva_unit", ado::adVarWChar}, {"darrivedate", ado::adDBTimeStamp}, {"iinvexchrate", ado::adDecimal},
                     {"igrouptype", ado::adInteger}, {"iQuantity", ado::adDecimal}, {"iNum", ado::adDecimal},
                     {"iArrQTY", ado::adDecimal}, {"iArrNum", ado::adDecimal}, {"iReceivedQTY", ado::adDecimal},
                     {"iReceivedNum", ado::adDecimal}},
                    rows);
}

// Dispatch lines (id, quantity, pieces, issued quantity and pieces) and the stock rows chosen for them.
ado::RecordsetPtr dispatch_lines(const std::vector<std::vector<double>>& lines) {
    Rows rows;
    for (const auto& a : lines)
        rows.push_back({Variant(static_cast<int>(a[0])), Variant("01"), Variant(a[1]), Variant(a[2]), Variant(a[3]),
                        Variant(a[4])});
    return make_set({{"autoid", ado::adInteger}, {"cWhCode", ado::adVarWChar}, {"iQuantity", ado::adDecimal},
                     {"iNum", ado::adDecimal}, {"fOutQuantity", ado::adDecimal}, {"fOutNum", ado::adDecimal}},
                    rows);
}
ado::RecordsetPtr stock_rows(const Rows& rows) {
    return make_set({{"出库数量", ado::adDouble}, {"出库件数", ado::adDouble}, {"退回数量", ado::adDouble},
                     {"退回件数", ado::adDouble}},
                    rows);
}

Texts row_texts(const ui::Grid& g, long row) {
    Texts out;
    for (long c = 0; c < g.Cols(); ++c) out.emplace_back(g.TextMatrix(row, c));
    return out;
}

// Quantities with 3 decimals, pieces with 1, rates with 4.
struct GridFill : ::testing::Test {
    std::shared_ptr<session::SystemOptions> options = session::SystemOptions::create();
    void SetUp() override {
        options->set("QuanDecDgt", Variant(3));
        options->set("NumDecDgt", Variant(1));
        options->set("ExchRateDecDgt", Variant(4));
        auto permission = session::PermissionService::create();
        permission->SetOptions(options);
        fixture = std::make_unique<testing::Services>(permission);
    }
    const FormServices& services() const { return fixture->services; }
    std::unique_ptr<testing::Services> fixture;
};

TEST_F(GridFill, OrderLinesGetHeadersMarksFormatsAndRemainingAmounts) {
    ui::Grid g("lstDdBody");
    int layouts = 0, cells = 0;
    g.on_layout_changed = [&] { ++layouts; };
    g.on_cells_changed = [&](long, long, long, long) { ++cells; };
    auto rs = order_lines({{0, 0, 10, 4, 3, 1, 2, 1}, {1, 4, 10, 0, 2, 0, 0, 0}});
    FillSourceGrid(services(), rs, g, true);
    EXPECT_TRUE(g.Redraw());  // one repaint when done, none while it ran
    EXPECT_EQ(layouts, 1);
    EXPECT_EQ(cells, 0);
    EXPECT_TRUE(rs->Eof());
    ASSERT_EQ(g.Rows(), 3);
    EXPECT_EQ(g.FixedRows(), 1);
    const Texts header = row_texts(g, 0);
    EXPECT_EQ(Texts(header.begin(), header.begin() + 3), (Texts{"选择", "cInvCode", "cFree1"}));
    EXPECT_EQ(Texts(header.end() - 4, header.end()), (Texts{"未入库数量", "未入库件数", "本次入库数量", "本次入库件数"}));
    // 10 - 3 - 2 = 5, pieces 4 - 1 - 1 = 2
    EXPECT_EQ(row_texts(g, 1), (Texts{"Y", "A001", "红", "", "箱", "", "0.0000", "0", "10.000", "4.0", "3.000", "1",
                                      "2.000", "1.0", "5.000", "2.0", "5.000", "2.0"}));
    // a fixed rate takes the pieces from the remaining quantity: 8 / 4
    const Texts fixed = row_texts(g, 2);
    EXPECT_EQ(Texts(fixed.end() - 4, fixed.end()), (Texts{"8.000", "2.0", "8.000", "2.0"}));
    EXPECT_EQ(ModuleCtl::GetColumnIndex("IQUANTITY", rs, 20), 18);
    EXPECT_EQ(ModuleCtl::GetColumnIndex("inum", rs, 20), 19);
    EXPECT_EQ(ModuleCtl::GetColumnIndex("CFREE2", rs, 20), 3);
    EXPECT_EQ(ModuleCtl::GetColumnIndex("cBatch", rs, 20), 0);
}

TEST_F(GridFill, ColoursAndInputKindsFollowTheValues) {
    ui::Grid g("lstDdBody");
    FillSourceGrid(services(), order_lines({{0, 0, 10, 4, 0, 0, 0, 0}}), g, true);
    // a code and a free item with values grey, an empty free item and the stock unit white, an empty planned arrival grey
    const std::vector<std::uint32_t> colours = {ui::kGrey, ui::kGrey, ui::kWhite, ui::kWhite, ui::kGrey};
    for (long c = 1; c <= 5; ++c) EXPECT_EQ(g.CellBackColor(1, c), colours[c - 1]) << c;
    EXPECT_EQ(g.ColInputKind(5), ui::InputKind::Date);

    const std::vector<std::pair<const char*, int>> fields = {
        {"cWhCode", ado::adVarWChar}, {"cBatch", ado::adVarWChar}, {"iMassDate", ado::adInteger}};
    ui::Grid arrival("lstDhdBody"), head("lstDhdHead");
    FillSourceGrid(services(), make_set(fields, {{Variant("01"), kNull, kNull}}), arrival, true);
    EXPECT_EQ(arrival.CellBackColor(1, 1), ui::kWhite);  // the arrival line's warehouse stays editable
    EXPECT_EQ(arrival.CellBackColor(1, 3), ui::kWhite);
    EXPECT_EQ(arrival.ColInputKind(3), ui::InputKind::Number);
    head.put_Cols(4);
    head.put_ColInputKind(2, ui::InputKind::Date);
    FillSourceGrid(services(), make_set(fields, {{Variant("01"), kNull, kNull}}), head, false);
    EXPECT_EQ(head.Cols(), 4);  // no computed columns
    for (long c = 1; c <= 3; ++c) EXPECT_EQ(head.CellBackColor(1, c), ui::kGrey) << c;
    EXPECT_EQ(head.ColInputKind(2), ui::InputKind::Date);  // a head list sets no kinds from its values

    // A kind comes from a blank in any row, the last included; a column never blank keeps typing text.
    ui::Grid later("lstDhdBody");
    FillSourceGrid(services(),
                   make_set({{"cWhCode", ado::adVarWChar}, {"iMassDate", ado::adInteger}, {"dVDate", ado::adDBTimeStamp},
                             {"iExpiratDateCalcu", ado::adInteger}},
                            {{Variant("01"), Variant(5), kNull, Variant(1)}, {Variant("01"), kNull, kNull, Variant(2)}}),
                   later, true);
    EXPECT_EQ(later.ColInputKind(2), ui::InputKind::Number);
    EXPECT_EQ(later.ColInputKind(3), ui::InputKind::Date);
    EXPECT_EQ(later.ColInputKind(4), ui::InputKind::Text);
    EXPECT_EQ(later.deferred_rows(), 0);  // every row is written by the fill
}

TEST_F(GridFill, RebuildsGiveNewRowsAndAnEmptySetTheHeaderOnly) {
    ui::Grid g("lstFhdBody");
    FillSourceGrid(services(), dispatch_lines({{1, 5, 1, 0, 0}, {2, 6, 2, 0, 0}}), g, true);
    g.put_RowHidden(1, true);
    g.put_RowData(1, 7);
    g.put_CellBackColor(1, 9, ui::kGrey);
    FillSourceGrid(services(), dispatch_lines({{3, 4, 1, 1, 0}}), g, false);
    ASSERT_EQ(g.Rows(), 2);
    EXPECT_FALSE(g.RowHidden(1));
    EXPECT_EQ(g.RowData(1), 0);
    EXPECT_EQ(g.CellBackColor(1, 9), ui::kWhite);
    EXPECT_EQ(row_texts(g, 1), (Texts{"", "3", "01", "4.000", "1.0", "1.000", "0.0", "3.000", "1.0", "3.000", "1.0"}));

    FillSourceGrid(services(), dispatch_lines({}), g, true);
    EXPECT_EQ(g.Rows(), 1);
    EXPECT_EQ(row_texts(g, 0), (Texts{"选择", "autoid", "cWhCode", "iQuantity", "iNum", "fOutQuantity", "fOutNum",
                                      "未出库数量", "未出库件数", "本次出库数量", "本次出库件数"}));
    FillSourceGrid(services(), dispatch_lines({{4, 2, 0, 0, 0}}), g, true, true);  // appending to no rows rebuilds
    EXPECT_EQ(g.TextMatrix(1, 1), "4");
}

TEST_F(GridFill, AppendedAndInPlaceRowsTakeTheirStockRowsAmounts) {
    ui::Grid g("lstFhdBody");
    auto first = dispatch_lines({{1, 5, 1, 0, 0}, {2, 8, 2, 0, 0}});
    FillSourceGrid(services(), first, g, true);
    first->MoveFirst();
    first->Fields("iQuantity").put_Value(99);  // nor does an edit after the fill reach them
    first->Update();
    first->Close();  // the unread rows keep the values they were filled with

    // a line split over two stock rows; a third row without a stock row gets no amounts
    auto stock = stock_rows({{Variant(5.0), Variant(1.0), kNull, kNull}, {Variant(3.0), kNull, kNull, kNull}});
    FillSourceGrid(services(), dispatch_lines({{2, 8, 2, 0, 0}, {2, 8, 2, 0, 0}, {2, 8, 2, 0, 0}}), g, true, true,
                   stock, false);
    ASSERT_EQ(g.Rows(), 6);
    EXPECT_EQ(row_texts(g, 1), (Texts{"Y", "1", "01", "5.000", "1.0", "0.000", "0.0", "5.000", "1.0", "5.000", "1.0"}));
    EXPECT_EQ(row_texts(g, 3), (Texts{"Y", "2", "01", "8.000", "2.0", "0.000", "0.0", "8.000", "2.0", "5.000", "1.0"}));
    EXPECT_EQ(row_texts(g, 4).back(), "");
    EXPECT_EQ(g.TextMatrix(4, 9), "3.000");
    EXPECT_EQ(g.TextMatrix(5, 9), "");
    EXPECT_TRUE(stock->Eof());

    // one stock row rewrites the current row; a red line takes the returned amounts
    g.select(2, 1);
    FillSourceGrid(services(), dispatch_lines({{7, 8, 2, 1, 0}}), g, false, false,
                   stock_rows({{Variant(3.0), Variant(1.0), kNull, kNull}}), true);
    g.select(1, 1);
    FillSourceGrid(services(), dispatch_lines({{1, -5, -1, 0, 0}}), g, true, false,
                   stock_rows({{Variant(3.0), Variant(1.0), Variant(-2.0), Variant(-0.5)}}), true);
    ASSERT_EQ(g.Rows(), 6);
    EXPECT_EQ(row_texts(g, 2), (Texts{"", "7", "01", "8.000", "2.0", "1.000", "0.0", "7.000", "2.0", "3.000", "1.0"}));
    EXPECT_EQ(row_texts(g, 1), (Texts{"Y", "1", "01", "-5.000", "-1.0", "0.000", "0.0", "-5.000", "-1.0", "-2.000",
                                      "-0.5"}));
}

TEST_F(GridFill, FailingCellsStayEmptyAndTheFillGoesOn) {
    // no issued quantity in the set, a quantity that is no number, a fixed rate of 0
    ui::Grid g("lstFhdBody");
    FillSourceGrid(services(), make_set({{"iQuantity", ado::adVarWChar}, {"iNum", ado::adDecimal}, {"fOutNum", ado::adDecimal},
                             {"igrouptype", ado::adInteger}, {"iinvexchrate", ado::adDecimal}},
                            {{Variant("abc"), Variant(3.0), Variant(1.0), Variant(0), kNull},
                             {Variant("6"), Variant(3.0), kNull, Variant(1), Variant(0.0)}}),
                   g, true);
    EXPECT_EQ(row_texts(g, 1), (Texts{"Y", "abc", "3.0", "1.0", "0", "", "", "2.0", "", "2.0"}));
    EXPECT_EQ(row_texts(g, 2), (Texts{"Y", "6.000", "3.0", "", "1", "0.0000", "", "", "", ""}));

    testing::Services no_session;  // no number can be formatted, the rest still fills
    ui::Grid h("lstDdHead");
    FillSourceGrid(no_session.services, make_set({{"cPOID", ado::adVarWChar}, {"iQuantity", ado::adDecimal}}, {{Variant("P1"), Variant(2.0)}}),
                   h, false);
    EXPECT_EQ(row_texts(h, 1), (Texts{"", "P1", ""}));
    FillSourceGrid(no_session.services, nullptr, h, false);
    EXPECT_EQ(h.Rows(), 2);
    EXPECT_TRUE(h.Redraw());
    EXPECT_EQ(ModuleCtl::NvlValue(kNull, Variant(0)), Variant(0));
    EXPECT_EQ(ModuleCtl::NvlValue(Variant(""), Variant(0)), Variant(""));
}

TEST_F(GridFill, AmountsAreWrittenAsFormatWritesThem) {
    // Each column with its own decimals: halves as written (2.675 lies just
    // below its double), the sign of what rounds to zero, and values too
    // large for the fast text, which Format writes.
    std::vector<double> values = {0, 2.675, -2.675, 1.0005, 1.00049999, 0.0005, -0.0005, -0.0004, 0.05, 0.15, 0.25,
                                  0.35, 1e-9, 2147483.6475, 2147483.6485, 123456789.123456, -987654321.5, 1e15, 3e300};
    for (long k = 0; k < 200; ++k) values.push_back(double(k) / 2000.0);
    std::vector<std::vector<double>> lines;
    for (std::size_t i = 0; i < values.size(); ++i) {
        const double v = values[i], w = values[values.size() - 1 - i];
        lines.push_back({i % 2 ? 1.0 : 0.0, w, v, w, v / 7, 0, w / 3, 0});
    }
    ui::Grid g("lstDdBody");
    auto rs = order_lines(lines);
    FillSourceGrid(services(), rs, g, true);
    const long cols = g.Cols();
    long r = 1;
    for (rs->MoveFirst(); !rs->Eof(); rs->MoveNext(), ++r) {
        // the rate, quantities and pieces; the group type and iArrNum are no amounts
        for (long c : {6, 8, 9, 10, 12, 13}) {
            const std::string pattern = vb::decimals_pattern(c == 6 ? 4 : c == 9 || c == 13 ? 1 : 3);
            EXPECT_EQ(g.TextMatrix(r, c), vb::Format((*rs)(Variant(static_cast<int>(c - 1))), pattern)) << r << ":" << c;
        }
        const double left = vb::CDbl((*rs)(Variant("iQuantity"))) - vb::CDbl((*rs)(Variant("iArrQTY"))) -
                            vb::CDbl((*rs)(Variant("iReceivedQTY")));
        EXPECT_EQ(g.TextMatrix(r, cols - 4), vb::Format(Variant(left), "##0.000")) << r;
    }
}

TEST_F(GridFill, ListViewShowsPropertiesQuantitiesAndChecks) {
    options->set("FormatQuanDecString", Variant("#,##0.00"));
    ui::ListView lv("lstParent");
    lv.add_column("old", "old");
    auto rs = make_set({{"id", ado::adInteger}, {"ccode", ado::adVarWChar}, {"iproperty", ado::adInteger},
                        {"fquantity", ado::adDecimal}},
                       {{Variant(11), Variant(" MO01 "), Variant(1), Variant(1234.5)}, {Variant(12), kNull, Variant(0), kNull}});
    ModuleCtl::FillListView(services(), rs, lv, true, 900);
    EXPECT_TRUE(lv.Visible() && lv.Enabled() && lv.Checkboxes());
    ASSERT_EQ(lv.column_count(), 4);
    EXPECT_EQ(lv.column(4).align, ui::Alignment::Right);
    EXPECT_EQ(lv.column(1).width, 900);
    EXPECT_TRUE(lv.item("k11").text == "11" && lv.item("k11").checked);
    EXPECT_EQ(lv.item("k11").sub_items, (Texts{"MO01", "自制", "1,234.50"}));
    EXPECT_EQ(lv.item("k12").sub_items, (Texts{"", "外协", ""}));

    ModuleCtl::FillListView(services(), make_set({{"id", ado::adInteger}}, {}), lv, false);
    EXPECT_EQ(lv.column_count() + lv.item_count(), 0);
}

}  // namespace
}  // namespace korvane::generation
