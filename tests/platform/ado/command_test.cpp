// Loading rows through a prepared command, and the connection's transactions.
#include "platform/ado/command.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/ado/connection.h"
#include "platform/ado/driver.h"
#include "platform/vb/error.h"
#include "tests/platform/ado/drivers/driver_testing.h"
#include "tests/support/errors.h"

namespace korvane::ado {
namespace {

using korvane::testing::error_number;
using testing::Rows;

class CommandOnDatabase : public ::testing::Test {
protected:
    void SetUp() override {
        con_.Open("Provider=SQLite;Data Source=" + db_.path());
        con_.Execute("create table Warehouse (cWhCode nvarchar(10) primary key, cWhName nvarchar(40), bWhPos bit)");
    }
    void TearDown() override { con_.Close(); }
    Rows rows(std::string_view sql) { return testing::query(con_.driver(), sql); }

    testing::DatabaseFile db_;
    Connection con_;
};

TEST_F(CommandOnDatabase, EachRowTakesItsOwnValuesAndUnsetOnesAreNull) {
    PreparedCommand insert(con_, "insert into Warehouse (cWhCode, cWhName, bWhPos) values (?, ?, ?)");
    EXPECT_EQ(insert.parameter_count(), 3u);
    insert.set(1, Variant("01"));
    insert.set(2, Variant("原料仓"));
    insert.set(3, Variant(true));
    EXPECT_EQ(insert.Execute(), 1);
    insert.set(1, Variant("02"));  // name and flag left out: Null, not the first row's
    EXPECT_EQ(insert.Execute(), 1);
    EXPECT_EQ(rows("select cWhCode, cWhName, bWhPos from Warehouse order by cWhCode"),
              (Rows{{Variant("01"), Variant("原料仓"), Variant(true)}, {Variant("02"), Variant::null(), Variant::null()}}));
}

TEST_F(CommandOnDatabase, RefusesParametersItDoesNotHaveAndRunsAfterAFailure) {
    PreparedCommand insert(con_, "insert into Warehouse (cWhCode) values (?)");
    EXPECT_EQ(error_number([&] { insert.set(0, Variant("x")); }), err::kItemNotFound);
    EXPECT_EQ(error_number([&] { insert.set(2, Variant("x")); }), err::kItemNotFound);
    insert.set(1, Variant("01"));
    insert.Execute();
    insert.set(1, Variant("01"));
    EXPECT_EQ(error_number([&] { insert.Execute(); }), err::kProvider);
    insert.set(1, Variant("02"));
    EXPECT_EQ(insert.Execute(), 1);
    EXPECT_EQ(rows("select count(*) from Warehouse"), Rows{{Variant(2)}});
}

TEST_F(CommandOnDatabase, ClosedConnectionRefusesCommands) {
    PreparedCommand insert(con_, "insert into Warehouse (cWhCode) values (?)");
    con_.Close();
    insert.set(1, Variant("01"));
    EXPECT_EQ(error_number([&] { insert.Execute(); }), err::kClosed);
    EXPECT_EQ(error_number([&] { PreparedCommand again(con_, "select 1"); }), err::kClosed);
    EXPECT_EQ(error_number([&] { con_.BeginTrans(); }), err::kClosed);
}

TEST_F(CommandOnDatabase, RolledBackRowsAreGoneCommittedOnesStay) {
    EXPECT_EQ(con_.BeginTrans(), 1);
    con_.Execute("insert into Warehouse (cWhCode) values ('01')");
    con_.RollbackTrans();
    EXPECT_EQ(con_.BeginTrans(), 1);
    con_.Execute("insert into Warehouse (cWhCode) values ('02')");
    con_.CommitTrans();
    EXPECT_EQ(rows("select cWhCode from Warehouse"), Rows{{Variant("02")}});
    EXPECT_EQ(error_number([&] { con_.CommitTrans(); }), err::kProvider);
}

}  // namespace
}  // namespace korvane::ado
