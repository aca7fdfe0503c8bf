#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

#include "platform/ado/recordset.h"
#include "platform/vb/convert.h"
#include "platform/vb/error.h"
#include "tests/platform/ado/drivers/driver_testing.h"
#include "tests/support/errors.h"

namespace korvane::ado {
namespace {

using korvane::testing::error_number;

class RecordsetOnDatabase : public ::testing::Test {
protected:
    void SetUp() override {
        con_ = Connection::create();
        con_->Open("Provider=SQLite;Data Source=" + db_.path());
        con_->Execute(
            "create table Inventory (cInvCode nvarchar(20) COLLATE NOCASE, cInvName nvarchar(60) COLLATE NOCASE) "
            "create table RdRecords (AutoID int primary key, cInvCode nvarchar(20) COLLATE NOCASE, "
            "iQuantity decimal(20,6), iSOutQuantity decimal(20,6), dVDate datetime, bFlag bit, iNum float) "
            "insert into Inventory values ('A001', N'不锈钢螺栓') "
            "insert into RdRecords values (1, 'A001', 10, 4, '2024-05-01', 1, 2.5) "
            "insert into RdRecords values (2, 'a001', -3, 0, null, 0, null)");
    }
    void TearDown() override { con_->Close(); }
    testing::DatabaseFile db_;
    ConnectionPtr con_;
};

TEST_F(RecordsetOnDatabase, FieldsCarryTypesAndBaseColumns) {
    auto rs = Recordset::create();
    rs->put_CursorLocation(adUseClient);
    rs->Open("select r.AutoID, r.iQuantity as 数量, i.cInvName, r.dVDate, r.bFlag, r.iNum, r.iQuantity * 2 as twice "
             "from RdRecords r join Inventory i on i.cInvCode = r.cInvCode order by r.AutoID",
             con_);
    EXPECT_EQ(rs->RecordCount(), 2);  // the join folds case, as the account does
    EXPECT_EQ(rs->Fields("AutoID").Type(), adInteger);
    EXPECT_EQ(rs->Fields("数量").Type(), adDecimal);
    EXPECT_EQ(rs->Fields("数量").NumericScale(), 6);
    EXPECT_EQ(rs->Fields("数量").Properties("BASECOLUMNNAME").str(), "iQuantity");
    EXPECT_EQ(rs->Fields("cInvName").Type(), adVarWChar);
    EXPECT_EQ(rs->Fields("cInvName").DefinedSize(), 60);
    EXPECT_EQ(rs->Fields("dVDate").Type(), adDBTimeStamp);
    EXPECT_EQ(rs->Fields("bFlag").Type(), adBoolean);
    EXPECT_EQ(rs->Fields("twice").Properties("BASECOLUMNNAME").str(), "");
    EXPECT_EQ(vb::CStr((*rs)("cInvName")), "不锈钢螺栓");
    EXPECT_EQ(vb::Format((*rs)("dVDate"), "YYYY-MM-DD"), "2024-05-01");
    EXPECT_TRUE((*rs)("bFlag").bool_value());
    rs->MoveNext();
    EXPECT_TRUE((*rs)("dVDate").is_null());
    EXPECT_DOUBLE_EQ((*rs)("数量").number(), -3);
}

TEST_F(RecordsetOnDatabase, ReadOnlySetsRefuseEditsAndDefaultSetsEditInMemoryOnly) {
    auto ro = Recordset::create();
    ro->Open("SELECT *  FROM RdRecords where AutoID =1", con_, adOpenStatic, adLockReadOnly);
    EXPECT_EQ(ro->RecordCount(), 1);
    EXPECT_EQ(error_number([&] { ro->Fields("iQuantity").put_Value(5); }), err::kNotUpdatable);
    auto rw = Recordset::create();
    rw->Open("select * from RdRecords", con_);
    rw->Fields("iQuantity").put_Value(99);
    rw->Update();
    auto again = Recordset::create();
    again->Open("select iQuantity from RdRecords where AutoID = 1", con_);
    EXPECT_DOUBLE_EQ((*again)("iQuantity").number(), 10);  // nothing written through
}

TEST_F(RecordsetOnDatabase, ExecuteCountsRowsAndFailuresKeepTheDriversText) {
    EXPECT_EQ(con_->Execute("update RdRecords set iSOutQuantity = iSOutQuantity + 1 update RdRecords set iNum = 0 "
                            "where AutoID = 1"),
              3);
    auto rs = Recordset::create();
    const Error e = korvane::testing::raised([&] { rs->Open("select * from NoSuchTable", con_); });
    EXPECT_EQ(e.number(), err::kProvider);
    EXPECT_NE(e.description().find("no such table"), std::string::npos);
    EXPECT_EQ(rs->State(), adStateClosed);
    con_->Close();
    EXPECT_EQ(error_number([&] { rs->Open("select * from RdRecords", con_); }), 3709);
    EXPECT_EQ(error_number([&] { con_->Execute("select 1"); }), err::kClosed);
    con_->Open();  // reopens with the connection string it had
    EXPECT_EQ(con_->State(), adStateOpen);
}

// A DATETIME column holding a day before VB's range reads as a Date; a LIKE
// filter on it raises VB's overflow as a catchable error, the set and the
// account stay as they were.
TEST_F(RecordsetOnDatabase, LikeOnADateBeforeVbsRangeRaisesAndChangesNothing) {
    con_->Execute("update RdRecords set dVDate = '0050-01-01' where AutoID = 2");
    auto rs = Recordset::create();
    rs->Open("select AutoID, dVDate from RdRecords order by AutoID", con_);
    rs->MoveLast();
    ASSERT_EQ((*rs)("dVDate").type(), VarType::Date);
    EXPECT_EQ(error_number([&] { rs->put_Filter(Variant("dVDate LIKE '0050*'")); }), err::kOverflow);
    EXPECT_EQ(rs->RecordCount(), 2);
    EXPECT_EQ(rs->AbsolutePosition(), 2);
    EXPECT_EQ(rs->Filter().str(), "");
    rs->put_Filter(Variant("dVDate < #1900-01-01#"));  // comparing needs no text
    EXPECT_EQ(rs->RecordCount(), 1);
    auto again = Recordset::create();
    again->Open("select count(*) as n from RdRecords where dVDate = '0050-01-01'", con_);
    EXPECT_EQ(vb::CStr((*again)("n")), "1");
}

// Currency holds about 9.2E+14; a money column beyond that fails the open
// with VB's overflow instead of reading a wrapped amount.
TEST_F(RecordsetOnDatabase, AMoneyAmountCurrencyCannotHoldFailsTheOpenWithOverflow) {
    con_->Execute("create table Prices (id int, mPrice money) insert into Prices values (1, 12.5) "
                  "insert into Prices values (2, 1e300)");
    auto rs = Recordset::create();
    EXPECT_EQ(error_number([&] { rs->Open("select mPrice from Prices order by id", con_); }), err::kOverflow);
    EXPECT_EQ(rs->State(), adStateClosed);
    rs->Open("select mPrice from Prices where id = 1", con_);
    EXPECT_EQ((*rs)("mPrice").type(), VarType::Currency);
    EXPECT_EQ(vb::CStr((*rs)("mPrice")), "12.5");
}

TEST_F(RecordsetOnDatabase, EmptyResultIsBofAndEofWithFields) {
    auto rs = Recordset::create();
    rs->Open("select AutoID, cInvCode from RdRecords where 1 = 0", con_);
    EXPECT_TRUE(rs->Eof());
    EXPECT_TRUE(rs->Bof());
    EXPECT_EQ(rs->Fields().Count(), 2);
    EXPECT_EQ(rs->Fields("cInvCode").Type(), adVarWChar);
}

}  // namespace
}  // namespace korvane::ado
