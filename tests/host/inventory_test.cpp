#include "host/inventory.h"

#include <gtest/gtest.h>

#include "platform/vb/error.h"
#include "tests/support/account.h"

namespace korvane::host {
namespace {

TEST(InventoryObject, PiecesAreSkippedOnlyForSingleUnitInventories) {
    testing::TestAccount account;
    account.exec(
        "insert into Inventory (cInvCode, cInvName, iGroupType) values ('A1', '螺栓', 0), ('a2', '纸箱', 1), "
        "('A3', '线缆', 2)");
    auto con = ado::Connection::create();
    con->Open(account.connection_string());
    EXPECT_TRUE(load_inventory(con, "A1")->SkipPieceCheck());
    EXPECT_FALSE(load_inventory(con, "A2")->SkipPieceCheck());
    EXPECT_EQ(load_inventory(con, "A2")->cInvCode(), "a2");
    EXPECT_FALSE(load_inventory(con, "A3")->SkipPieceCheck());
    try {
        load_inventory(con, "ZZ");
        ADD_FAILURE();
    } catch (const Error& e) {
        EXPECT_EQ(e.number(), err::kNoCurrentRecord);
    }
}

}  // namespace
}  // namespace korvane::host
