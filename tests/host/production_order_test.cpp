// The production-order component's queries on a real account, with the
// conditions the production form builds; the form's re-reading of its
// checked rows through these texts is driven in the form's own tests.
#include "host/production_order.h"

#include <gtest/gtest.h>

#include "platform/vb/convert.h"
#include "tests/support/account.h"
#include "tests/support/records.h"

namespace korvane::host {
namespace {

using Texts = std::vector<std::string>;
using testing::column;


struct ProductionQueries : ::testing::Test {
    testing::TestAccount account;
    ado::ConnectionPtr con = ado::Connection::create();
    std::unique_ptr<ProductionOrderComponent> c = account_production_order_component();
    std::string message;

    void SetUp() override {
        account.exec("insert into Department (cDepCode, cDepName, bDepEnd) values ('01', '生产部', 0), "
                     "('0101', '一车间', 1)");
        account.add_inventory("P001");
        account.add_inventory("M001");
        account.add_inventory("M002");
        account.exec("insert into pp_pohead (id, bPlan, iVouchType, cCode, dDate, cDepCode) values "
                     "(1, 0, 0, 'SC0002', '2024-03-01', '0101'), (2, 0, 0, 'SC0001', '2024-03-02', '01'), "
                     "(3, 0, 39, 'SC0003', '2024-03-03', null), (4, 1, 0, 'JH0001', '2024-03-04', '0101'), "
                     "(5, 0, 0, 'SC0004', '2024-03-05', '0101')");
        account.exec("update pp_pohead set bClosed = 1 where id = 5");
        account.exec("insert into pp_pomain (mainid, id, cInvCode, fQuantity, fInQuantity) values "
                     "(11, 1, 'P001', 100, 100), (21, 2, 'P001', 10, 0), (31, 3, 'P001', 8, 0), (41, 4, 'P001', 5, 0)");
        account.exec("insert into pp_pochild (subid, mainid, cInvCode, fQuantity, fOutQuantity) values "
                     "(111, 11, 'M001', 200, 50), (112, 11, 'M002', 100, 0)");
        con->Open(account.connection_string());
    }
};

TEST_F(ProductionQueries, HeadsOfEachKindTakeTheFormsConditions) {
    EXPECT_EQ(column(c->OrderHeads("", con, false, message), "cCode"), (Texts{"SC0001", "SC0002"}))
        << "type 39, plans and closed orders are left out";
    EXPECT_EQ(column(c->OrderHeads("", con, true, message), "cCode"), (Texts{"SC0001"}))
        << "fully received orders left out";
    EXPECT_EQ(column(c->OrderHeads39("", con, false, message), "cCode"), (Texts{"SC0003"}));
    EXPECT_EQ(column(c->PlanHeads("", con, message), "cCode"), (Texts{"JH0001"}));

    // the department scope of the form, unchanged: leaves of the tree or none
    const std::string scope =
        "( (cDepCode IN ( Select cDepCode From Department DD where DD.cDepCode = cDepCode and DD.bDepEnd = 1) ) "
        "OR ISNULL(cDepCode, '') = '' ) ";
    EXPECT_EQ(column(c->OrderHeads(scope + " and dDate >= '2024-03-01'", con, false, message), "cDepName"),
              (Texts{"一车间"}));
    EXPECT_EQ(column(c->OrderHeads39(scope, con, false, message), "cCode"), (Texts{"SC0003"}));
    EXPECT_EQ(message, "");
}

TEST_F(ProductionQueries, ProductsAndMaterialsOfTheCheckedRows) {
    EXPECT_EQ(column(c->OrderProducts("1", con, message), "mainid"), (Texts{"11"}));
    EXPECT_EQ(column(c->OrderProducts("4", con, message), "mainid"), Texts{}) << "a plan is no order";
    EXPECT_EQ(column(c->PlanProducts("4", con, message), "mainid"), (Texts{"41"}));
    EXPECT_EQ(column(c->OrderProducts39("3", con, message), "mainid"), (Texts{"31"}));

    // materials scaled to the quantity the user works with
    auto materials = c->Materials(con, 50, "11", "", message);
    EXPECT_EQ(column(materials, "cInvCode"), (Texts{"M001", "M002"}));
    EXPECT_EQ(column(materials, "fQuantity"), (Texts{"100", "50"}));
    EXPECT_EQ(column(materials, "cCode"), (Texts{"SC0002", "SC0002"}));
    EXPECT_EQ(message, "");
    const std::string inventory_scope =
        "cInvCode in ( select II.cInvCode From Inventory II where II.cInvCode = cInvCode and II.iid IN(" +
        account.scalar("select iId from Inventory where cInvCode = 'M002'") + "))";
    EXPECT_EQ(column(c->Materials(con, 100, "11", inventory_scope, message), "subid"), (Texts{"112"}));
    EXPECT_TRUE(c->Materials(con, 100, "21", "", message)->Eof());
    EXPECT_EQ(message, "该产品没有材料");
}

}  // namespace
}  // namespace korvane::host
