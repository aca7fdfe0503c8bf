// The body lists filled from the source queries of a generated account:
// every line's remaining amount is what its document has left to execute.
#include <gtest/gtest.h>

#include <cmath>

#include "generation/core/grid_fill.h"
#include "generation/core/list_layout.h"
#include "host/source_queries.h"
#include "platform/vb/convert.h"
#include "tests/support/account.h"
#include "tests/support/services.h"

namespace korvane::generation::ModuleCtl {
namespace {

double number(std::string_view text) { return text.empty() ? 0.0 : vb::CDbl(Variant(text)); }
double field(const ado::Recordset& rs, const char* name) {
    const Variant& v = rs(Variant(name));
    return v.is_null() ? 0.0 : vb::CDbl(v);
}

TEST(SourceLists, BodyListsOfTheDemoAccountShowWhatIsLeftToExecute) {
    testing::DemoAccount demo(2000);
    auto permission = testing::logged_in(demo.connection_string(), "demo", true);
    testing::Services fixture(permission);
    const FormServices& services = fixture.services;
    auto queries = services.source_query;

    auto heads = queries->GetOrderHeads(permission, "");
    ASSERT_FALSE(heads->Eof());
    long lines = 0;
    for (int h = 0; h < 20 && !heads->Eof(); ++h, heads->MoveNext()) {
        auto rs = queries->GetOrderLines(permission, (*heads)(Variant("poid")), "");
        ui::Grid body("lstDdBody");
        FillSourceGrid(services, rs, body, true);
        SetListLayout(services, body, rs);
        const long cols = body.Cols();
        ASSERT_EQ(body.TextMatrix(0, cols - 4), "未入库数量");
        EXPECT_EQ(GetColumnIndex("IQUANTITY", rs, cols), cols - 2);
        long r = 1;
        for (rs->MoveFirst(); !rs->Eof(); rs->MoveNext(), ++r, ++lines) {
            const double left = field(*rs, "iquantity") - field(*rs, "iarrqty") - field(*rs, "ireceivedqty");
            EXPECT_NEAR(number(body.TextMatrix(r, cols - 4)), left, 0.005) << "order line " << r;
            EXPECT_EQ(body.TextMatrix(r, cols - 2), body.TextMatrix(r, cols - 4)) << "this time starts at the rest";
            EXPECT_EQ(body.TextMatrix(r, 0), "Y");
        }
        EXPECT_GT(fixture.layout.WhNameCol, 0);
        EXPECT_EQ(body.ColWidth(fixture.layout.IdCol), 0);
        fixture.layout = {};
    }
    EXPECT_GT(lines, 0);

    ado::RecordsetPtr dispatch;
    std::string message;
    auto options = session::StockOptions::create();
    ASSERT_TRUE(queries->GetDispatchLines(options, "", dispatch, message)) << message;
    ui::Grid sales("lstFhdBody");
    FillSourceGrid(services, dispatch, sales, true);
    const long cols = sales.Cols();
    EXPECT_EQ(sales.TextMatrix(0, cols - 4), "未出库数量");
    long r = 1;
    for (dispatch->MoveFirst(); !dispatch->Eof() && r < 200; dispatch->MoveNext(), ++r)
        EXPECT_NEAR(number(sales.TextMatrix(r, cols - 4)),
                    field(*dispatch, "iquantity") - field(*dispatch, "foutquantity"), 0.005);
}

}  // namespace
}  // namespace korvane::generation::ModuleCtl
