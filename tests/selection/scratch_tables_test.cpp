#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>

#include "platform/ado/recordset.h"
#include "platform/system/system.h"
#include "platform/vb/convert.h"
#include "platform/vb/error.h"
#include "selection/scratch_tables.h"
#include "tests/support/account.h"

namespace korvane::selection {
namespace {

// Runs on the embedded driver and, where it is installed, through ODBC over
// the SQLite ODBC driver.
class ScratchRun : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override {
        account_.exec(
            "insert into CurrentStock (AutoID, cWhCode, cInvCode, cBatch, iQuantity, iNum) values "
            "(1, '01', 'A001', 'B1', 100, 10), (2, '01', 'A001', 'B2', 40, 4), (3, '02', 'A002', '', 9, 0);"
            "insert into RdRecords (AutoID, ID, cInvCode, cBatch, iQuantity, iNum) values "
            "(11, 1, 'A001', 'B1', 80, 8), (12, 1, 'A001', 'B2', -30, -3);");
        con_->Open(GetParam() ? account_.odbc_connection_string() : account_.connection_string());
    }

    // The available amounts the rewritten selection reports, by AutoID.
    std::vector<std::pair<double, double>> available(const std::string& sql) {
        auto rs = ado::Recordset::create();
        rs->Open(sql, con_);
        std::vector<std::pair<double, double>> out;
        for (; !rs->Eof(); rs->MoveNext()) out.emplace_back(rs->Fields(Variant(1)).Value().number(), rs->Fields(Variant(2)).Value().number());
        return out;
    }

    testing::TestAccount account_;
    ado::ConnectionPtr con_ = ado::Connection::create();
    std::string sql_;
    ScratchTables tables_{"ST_01_3", sql_};
};

using Amounts = std::vector<std::pair<double, double>>;

TEST_P(ScratchRun, CurrentStockSelectionSeesWhatTheRunTook) {
    tables_.create(*con_, ScratchKind::CurrentStock);
    EXPECT_EQ(sql_,
              " if  exists (select * from dbo.sysobjects where id = object_id(N'[dbo].[ST_01_3_CurrentS]') and "
              "OBJECTPROPERTY(id, N'IsUserTable') = 1) drop table ST_01_3_CurrentS create table ST_01_3_CurrentS ( "
              "AutoID int , fSumOutQ decimal(20,6),fSumOutN decimal(20,6)) insert into ST_01_3_CurrentS select "
              "Autoid,0,0 from CurrentStock ");
    EXPECT_EQ(account_.scalar("select count(*) from ST_01_3_CurrentS"), "3");
    // a line's join and update find their row without reading the table
    EXPECT_EQ(account_.scalar("select sql from sqlite_master where type = 'index' and tbl_name = 'ST_01_3_CurrentS'"),
              "CREATE INDEX ST_01_3_CurrentS_AutoID on ST_01_3_CurrentS (AutoID)");

    std::string sql = "select currentstock.AutoID, iQuantity, iNum from currentstock Where cInvCode='A001' order by cBatch";
    std::string rewritten = GetAllBSQL(sql, tables_.prefix);
    EXPECT_EQ(available(rewritten), (Amounts{{100, 10}, {40, 4}}));

    tables_.add(*con_, ScratchKind::CurrentStock, 30, 3, 1);
    EXPECT_EQ(sql_, " update ST_01_3_CurrentS set  fSumOutQ = fSumOutQ + 30,fSumOutN = fSumOutN + 3 where AutoID= 1");
    tables_.add(*con_, ScratchKind::CurrentStock, 12.5, 1, 1);
    EXPECT_EQ(available(rewritten), (Amounts{{57.5, 6}, {40, 4}}));

    std::string free[10];
    EXPECT_EQ(GetAutoID(con_, sql_, "01", "A001", free, "B2"), 2);
    EXPECT_EQ(sql_,
              " Select AutoID from CurrentStock where cWhCode='01' and  cInvCode='A001' and  cBatch='B2' and  "
              "cFree1='' and  cFree2='' and  cFree3='' and  cFree4='' and  cFree5='' and  cFree6='' and  cFree7='' "
              "and  cFree8='' and  cFree9='' and  cFree10=''");
    EXPECT_EQ(GetAutoID(con_, sql_, "01", "A001", free, "B9"), 0);
    free[2] = "red";
    EXPECT_EQ(GetAutoID(con_, sql_, "01", "A001", free, "B2"), 0);  // every key is compared

    tables_.create(*con_, ScratchKind::CurrentStock);  // a second create starts the counts afresh
    EXPECT_EQ(available(rewritten), (Amounts{{100, 10}, {40, 4}}));
    tables_.drop(*con_, ScratchKind::CurrentStock);
    EXPECT_EQ(sql_, " drop table ST_01_3_CurrentS ");
    EXPECT_THROW(tables_.add(*con_, ScratchKind::CurrentStock, 1, 1, 1), Error);
    EXPECT_THROW(tables_.drop(*con_, ScratchKind::CurrentStock), Error);
}

TEST_P(ScratchRun, ReceiptLineSelectionSeesWhatTheRunTook) {
    tables_.create(*con_, ScratchKind::ReceiptLines);
    EXPECT_EQ(sql_,
              " if  exists (select * from dbo.sysobjects where id = object_id(N'[dbo].[ST_01_3_TmpRdRecords]') and "
              "OBJECTPROPERTY(id, N'IsUserTable') = 1) drop table ST_01_3_TmpRdRecords create table "
              "ST_01_3_TmpRdRecords ( AutoID int , fSumOutQ decimal(20,6),fSumOutN decimal(20,6)) insert into "
              "ST_01_3_TmpRdRecords select Autoid,0,0 from rdrecords ");
    std::string sql =
        "select mainbatch.rdid, abs(RdRecords.iQuantity) as q, abs(RdRecords.inum) as n from (select AutoID as rdid "
        "from RdRecords) mainbatch join RdRecords on RdRecords.AutoID = mainbatch.rdid Where RdRecords.cInvCode = "
        "'A001' order by mainbatch.rdid";
    std::string rewritten = GetAllRDSSQL(sql, tables_.prefix);
    tables_.add(*con_, ScratchKind::ReceiptLines, 5, 1, 12);
    EXPECT_EQ(sql_, " update ST_01_3_TmpRdRecords set  fSumOutQ =fSumOutQ + 5,fSumOutN =fSumOutN + 1 where AutoID= 12");
    EXPECT_EQ(available(rewritten), (Amounts{{80, 8}, {25, 2}}));
    tables_.drop(*con_, ScratchKind::ReceiptLines);
    EXPECT_EQ(sql_, " drop table ST_01_3_TmpRdRecords ");
}

INSTANTIATE_TEST_SUITE_P(Drivers, ScratchRun, ::testing::ValuesIn(testing::through_odbc_too()), testing::driver_name);

TEST(ScratchPrefix, ComesFromTheWorkstationAndItsSession) {
    setenv("KORVANE_COMPUTER_NAME", "ST-01", 1);
    setenv("KORVANE_SESSION_ID", "3", 1);
    system::ObjectFactories factories;
    EXPECT_EQ(ScratchTableName(factories), "ST_01_");  // no terminal component: the id is empty
    system::register_terminal_component(factories);
    EXPECT_EQ(ScratchTableName(factories), "ST_01_3");
    unsetenv("KORVANE_SESSION_ID");  // the terminal component reports the process's own session
    EXPECT_EQ(ScratchTableName(factories), "ST_01_" + system::terminal_session_id());
    EXPECT_NE(ScratchTableName(factories), "ST_01_");
    unsetenv("KORVANE_COMPUTER_NAME");
}

// Two workstations run whole allocation runs on one account at once; each
// sees only its own counts and nothing fails for the other's locks.
TEST(ScratchConcurrency, TwoWorkstationsKeepTheirOwnCounts) {
    testing::TestAccount account;
    std::string values;
    for (int i = 1; i <= 200; ++i) values += (i > 1 ? "," : "") + std::string("(") + std::to_string(i) + ", '01', 'A', 1000, 100)";
    account.exec("insert into CurrentStock (AutoID, cWhCode, cInvCode, iQuantity, iNum) values " + values);
    pid_t children[2];
    for (int w = 0; w < 2; ++w) {
        pid_t pid = fork();
        if (pid == 0) {
            int rc = 0;
            try {
                setenv("KORVANE_COMPUTER_NAME", w == 0 ? "WS-A" : "WS-B", 1);
                system::ObjectFactories factories;
                system::register_terminal_component(factories);
                auto con = ado::Connection::create();
                con->Open(account.connection_string());
                std::string sql;
                ScratchTables t{ScratchTableName(factories), sql};
                for (int run = 0; run < 5; ++run) {
                    t.create(*con, ScratchKind::CurrentStock);
                    for (int line = 1; line <= 40; ++line) t.add(*con, ScratchKind::CurrentStock, w + 1, 1, line);
                    std::string q = "select currentstock.AutoID, iQuantity, iNum from currentstock Where currentstock.AutoID <= 40";
                    auto rs = ado::Recordset::create();
                    rs->Open(GetAllBSQL(q, t.prefix), con);
                    for (; !rs->Eof(); rs->MoveNext())
                        if (rs->Fields(Variant(1)).Value().number() != 1000 - (w + 1)) rc = 2;
                    t.drop(*con, ScratchKind::CurrentStock);
                }
            } catch (const std::exception& e) {
                std::fprintf(stderr, "workstation %d: %s\n", w, e.what());
                rc = 1;
            }
            _exit(rc);
        }
        children[w] = pid;
    }
    for (pid_t pid : children) {
        int status = 0;
        waitpid(pid, &status, 0);
        EXPECT_TRUE(WIFEXITED(status));
        EXPECT_EQ(WEXITSTATUS(status), 0);
    }
    EXPECT_EQ(account.scalar("select count(*) from sqlite_master where name like 'WS_%'"), "0");
}

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
