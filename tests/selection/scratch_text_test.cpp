#include <gtest/gtest.h>

#include "selection/scratch_tables.h"

namespace korvane::selection {
namespace {

TEST(ScratchTableName, ReplacesDashesAndAppendsTheSession) {
    EXPECT_EQ(ScratchTableName("ST-01", "3"), "ST_01_3");
    EXPECT_EQ(ScratchTableName("A-B-C.x", "12"), "A_B_C.x_12");
    EXPECT_EQ(ScratchTableName("WS1", ""), "WS1_");
}

TEST(StockSelectionRewrite, JoinsTheScratchTableAndSubtractsTakenAmounts) {
    std::string sql =
        "select AutoID, cBatch, iQuantity as 数量, iNum as 件数 from currentstock Where cInvCode='A001' and iQuantity>0";
    std::string result = GetAllBSQL(sql, "ST_01_3");
    EXPECT_EQ(sql,
              "select AutoID, cBatch, (iQuantity - IsNull(fSumOutQ, 0)) as 数量, iNum as 件数 from currentstock   "
              "left join  ST_01_3_CurrentS  on  ST_01_3_CurrentS.autoid=currentstock.autoid where "
              "cInvCode='A001' and (iQuantity - IsNull(fSumOutQ, 0))>0");
    EXPECT_EQ(result,
              "select AutoID, cBatch, (iQuantity - IsNull(fSumOutQ, 0)) as 数量, (iNum-IsNull(fSumOutN,0)) as 件数 "
              "from currentstock   left join  ST_01_3_CurrentS  on  ST_01_3_CurrentS.autoid=currentstock.autoid "
              "where cInvCode='A001' and (iQuantity - IsNull(fSumOutQ, 0))>0");
}

TEST(StockSelectionRewrite, LowerCaseWhereAndMissingWhereAreLeftAlone) {
    std::string sql = "select iQuantity, iNum from currentstock where 1=1";
    EXPECT_EQ(GetAllBSQL(sql, "P_"),
              "select (iQuantity - IsNull(fSumOutQ, 0)), (iNum-IsNull(fSumOutN,0)) from currentstock where 1=1");
}

TEST(ReceiptSelectionRewrite, NamesMainbatchAndItsAmounts) {
    std::string sql =
        "select mainbatch.rdid, abs(RdRecords.iQuantity) as q, abs(RdRecords.inum) as n from mainbatch Where 1=1";
    std::string result = GetAllRDSSQL(sql, "W_2");
    EXPECT_EQ(sql,
              "select mainbatch.rdid, abs(RdRecords.iQuantity) - IsNull(fSumOutQ, 0) as q, abs(RdRecords.inum) as n "
              "from mainbatch   left join   W_2_TmpRdRecords  on W_2_TmpRdRecords.autoid=mainbatch.rdid where 1=1");
    EXPECT_EQ(result,
              "select mainbatch.rdid, abs(RdRecords.iQuantity) - IsNull(fSumOutQ, 0) as q, "
              "abs(RdRecords.inum)-IsNull(fSumOutN,0) as n "
              "from mainbatch   left join   W_2_TmpRdRecords  on W_2_TmpRdRecords.autoid=mainbatch.rdid where 1=1");
}

}  // namespace
}  // namespace korvane::selection
