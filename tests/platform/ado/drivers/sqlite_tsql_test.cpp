// T-SQL as the callers send it, and the exact SQLite statements the embedded
// driver's translation makes of it.
#include "platform/ado/drivers/sqlite/tsql.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace korvane::ado::sqlite {
namespace {

struct Case {
    const char* name;
    std::string batch;
    std::vector<std::string> expected;
};

void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }

class Translation : public ::testing::TestWithParam<Case> {};

TEST_P(Translation, GivesExactlyTheseStatements) {
    EXPECT_EQ(translate_batch(GetParam().batch), GetParam().expected);
}

// A statement right after one of its own shape is translated from that one:
// each statement said twice translates twice to the same text.
TEST_P(Translation, AStatementRepeatedTranslatesAsItDidAlone) {
    const std::vector<std::string> written = split_batch(GetParam().batch);
    if (written.size() != GetParam().expected.size()) GTEST_SKIP() << "statements that translate to nothing";
    std::string twice;
    std::vector<std::string> written_twice, expected;
    for (std::size_t i = 0; i < written.size(); ++i) {
        twice += written[i] + " ;\n" + written[i] + " ;\n";
        written_twice.insert(written_twice.end(), 2, written[i]);
        expected.insert(expected.end(), 2, GetParam().expected[i]);
    }
    if (split_batch(twice) != written_twice) GTEST_SKIP() << "a statement that runs to the batch's end";
    EXPECT_EQ(translate_batch(twice), expected);
}

const std::string kP = "ST_01_3";
const std::string kScratch = "tempdb..tmpa_btmp";

// The scratch tables of a stock allocation run.
const Case kAllocationCases[] = {
    {"stock scratch table create batch",
     " if  exists (select * from dbo.sysobjects where id = object_id(N'[dbo].[" + kP +
         "_CurrentS]') and OBJECTPROPERTY(id, N'IsUserTable') = 1) drop table " + kP + "_CurrentS create table " + kP +
         "_CurrentS ( AutoID int , fSumOutQ decimal(20,6),fSumOutN decimal(20,6)) insert into " + kP +
         "_CurrentS select Autoid,0,0 from CurrentStock ",
     {"DROP TABLE IF EXISTS ST_01_3_CurrentS",
      "create table ST_01_3_CurrentS ( AutoID int , fSumOutQ decimal(20,6),fSumOutN decimal(20,6))",
      "insert into ST_01_3_CurrentS select Autoid,0,0 from CurrentStock"}},
    {"receipt line scratch table create batch",
     " if  exists (select * from dbo.sysobjects where id = object_id(N'[dbo].[" + kP +
         "_TmpRdRecords]') and OBJECTPROPERTY(id, N'IsUserTable') = 1) drop table " + kP +
         "_TmpRdRecords create table " + kP +
         "_TmpRdRecords ( AutoID int , fSumOutQ decimal(20,6),fSumOutN decimal(20,6)) insert into " + kP +
         "_TmpRdRecords select Autoid,0,0 from rdrecords ",
     {"DROP TABLE IF EXISTS ST_01_3_TmpRdRecords",
      "create table ST_01_3_TmpRdRecords ( AutoID int , fSumOutQ decimal(20,6),fSumOutN decimal(20,6))",
      "insert into ST_01_3_TmpRdRecords select Autoid,0,0 from rdrecords"}},
    {"prefix without session id", " if  exists (select * from dbo.sysobjects where id = object_id(N'[dbo].[PC__CurrentS]') and OBJECTPROPERTY(id, N'IsUserTable') = 1) drop table PC__CurrentS ",
     {"DROP TABLE IF EXISTS PC__CurrentS"}},
    {"drop", " drop table " + kP + "_CurrentS ", {"drop table ST_01_3_CurrentS"}},
    {"add to stock scratch row", " update " + kP + "_CurrentS set  fSumOutQ = fSumOutQ + 2.5,fSumOutN = fSumOutN + 1 where AutoID= 4",
     {"update ST_01_3_CurrentS set  fSumOutQ = fSumOutQ + 2.5,fSumOutN = fSumOutN + 1 where AutoID= 4"}},
    {"add to receipt scratch row", " update " + kP + "_TmpRdRecords set  fSumOutQ =fSumOutQ + 3,fSumOutN =fSumOutN + 0 where AutoID= 9",
     {"update ST_01_3_TmpRdRecords set  fSumOutQ =fSumOutQ + 3,fSumOutN =fSumOutN + 0 where AutoID= 9"}},
    {"stock row lookup",
     " Select AutoID from CurrentStock where cWhCode='01' and  cInvCode='A1' and  cBatch='' and  cFree1='red'",
     {"Select AutoID from CurrentStock where cWhCode='01' and  cInvCode='A1' and  cBatch='' and  cFree1='red'"}},
    {"stock selection joined to its scratch table",
     "select currentstock.autoid,(iQuantity - IsNull(fSumOutQ, 0)) as q,(iNum-IsNull(fSumOutN,0)) as n from currentstock"
     "  left join  " + kP + "_CurrentS  on  " + kP + "_CurrentS.autoid=currentstock.autoid where (iQuantity - IsNull(fSumOutQ, 0))>0",
     {"select currentstock.autoid,(iQuantity - IFNULL(fSumOutQ, 0)) as q,(iNum-IFNULL(fSumOutN,0)) as n from currentstock"
      "  left join  ST_01_3_CurrentS  on  ST_01_3_CurrentS.autoid=currentstock.autoid where (iQuantity - IFNULL(fSumOutQ, 0))>0"}},
    {"receipt selection joined to its scratch table",
     "select rdid, abs(RdRecords.iQuantity) - IsNull(fSumOutQ, 0) as q from mainbatch  left join   " + kP +
         "_TmpRdRecords  on " + kP + "_TmpRdRecords.autoid=mainbatch.rdid where 1=1",
     {"select rdid, abs(RdRecords.iQuantity) - IFNULL(fSumOutQ, 0) as q from mainbatch  left join   "
      "ST_01_3_TmpRdRecords  on ST_01_3_TmpRdRecords.autoid=mainbatch.rdid where 1=1"}},
};
INSTANTIATE_TEST_SUITE_P(AllocationScratch, Translation, ::testing::ValuesIn(kAllocationCases));

// The inventory dialog's confirmation and the stock write-back.
const Case kDialogAndWriteBackCases[] = {
    {"confirm with two checked rows",
     "if exists (select * from tempdb..sysobjects where id=object_id(N'" + kScratch + "')) drop table " + kScratch +
         " create table " + kScratch + "(id nvarchar(255)) insert into " + kScratch + "(id) values('I001')  insert into " +
         kScratch + "(id) values('I002') ",
     {"DROP TABLE IF EXISTS tempdb.tmpa_btmp", "create table tempdb.tmpa_btmp(id nvarchar(255) COLLATE NOCASE)",
      "insert into tempdb.tmpa_btmp(id) values('I001')", "insert into tempdb.tmpa_btmp(id) values('I002')"}},
    {"confirm with nothing checked",
     "if exists (select * from tempdb..sysobjects where id=object_id(N'" + kScratch + "')) drop table " + kScratch +
         " create table " + kScratch + "(id nvarchar(255))",
     {"DROP TABLE IF EXISTS tempdb.tmpa_btmp", "create table tempdb.tmpa_btmp(id nvarchar(255) COLLATE NOCASE)"}},
    {"inventories of the scratch table",
     "select * from Inventory where cInvCode in (select id from " + kScratch + ") order by cInvCode  desc ",
     {"select * from Inventory where cInvCode in (select id from tempdb.tmpa_btmp) order by cInvCode  desc"}},
    {"receipt line write-back",
     "update RdRecords set cVouchCode = cVouchCode, iSOutQuantity = iSOutQuantity +5, iSOutNum =  iSOutNum+2 where AutoID = 7",
     {"update RdRecords set cVouchCode = cVouchCode, iSOutQuantity = iSOutQuantity +5, iSOutNum =  iSOutNum+2 where AutoID = 7"}},
    {"stock write-back",
     "update CurrentStock set iQuantity = iQuantity -3, iNum = iNum -1 where cWhCode = '01' and cInvCode = 'A' and cFree3 = 'red'",
     {"update CurrentStock set iQuantity = iQuantity -3, iNum = iNum -1 where cWhCode = '01' and cInvCode = 'A' and cFree3 = 'red'"}},
    {"receipt line check", "SELECT *  FROM RdRecords where AutoID =7", {"SELECT *  FROM RdRecords where AutoID =7"}},
    {"rows of one shape with values of every length",
     "insert into " + kScratch + "(id, n) values('A01', 1) insert into " + kScratch + "(id, n) values(N'it''s', 2.5)"
         " insert into " + kScratch + "(id, n) values('', 12345) insert into [dbo].t (id, n) values('x', 7)",
     {"insert into tempdb.tmpa_btmp(id, n) values('A01', 1)", "insert into tempdb.tmpa_btmp(id, n) values('it''s', 2.5)",
      "insert into tempdb.tmpa_btmp(id, n) values('', 12345)", "insert into t (id, n) values('x', 7)"}},
    {"checks of one shape that differ in their names",
     "if object_id(N'a') is not null drop table b if object_id(N'b') is not null drop table b "
     "select top 1 a from t select top 2 a from t",
     {"if object_id('a') is not null drop table b", "DROP TABLE IF EXISTS b", "select a from t LIMIT 1",
      "select a from t LIMIT 2"}},
    {"unclosed quote reaches SQLite as written",
     "update RdRecords set cVouchCode ='7, iSOutQuantity = iSOutQuantity +1 where AutoID = 7 select 1",
     {"update RdRecords set cVouchCode ='7, iSOutQuantity = iSOutQuantity +1 where AutoID = 7 select 1"}},
};
INSTANTIATE_TEST_SUITE_P(DialogAndWriteBack, Translation, ::testing::ValuesIn(kDialogAndWriteBackCases));

const Case kSplittingCases[] = {
    {"statements without separators", "select 1 select 2", {"select 1", "select 2"}},
    {"semicolons and blank statements", " ;select 1; ;select 2;; ", {"select 1", "select 2"}},
    {"empty batch", "  \n ", {}},
    {"insert from a query stays whole", "insert into t select a from u", {"insert into t select a from u"}},
    {"insert with columns from a query", "insert into t (a) select a from u select 3", {"insert into t (a) select a from u", "select 3"}},
    {"insert values then a query", "insert into t values(1) select * from t", {"insert into t values(1)", "select * from t"}},
    {"create table as select", "create table x as select 1 as a", {"create table x as select 1 as a"}},
    {"subquery", "select a from t where b in (select c from u) delete from t",
     {"select a from t where b in (select c from u)", "delete from t"}},
    {"union", "select 1 union all select 2 union select 3", {"select 1 union all select 2 union select 3"}},
    {"sqlite's own drop if exists", "drop table if exists x create table if not exists x(a int)",
     {"drop table if exists x", "create table if not exists x(a int)"}},
    {"alter table drop column", "alter table t drop column c", {"alter table t drop column c"}},
    {"common table expression", "with x as (select 1 as a) select a from x", {"with x as (select 1 as a) select a from x"}},
    {"keywords inside strings and names", "insert into t values('select 1 drop table x') select [update] from t",
     {"insert into t values('select 1 drop table x')", "select [update] from t"}},
    {"comments keep their text", "-- head\nselect 1 /* a; select b */ ; select 2",
     {"-- head\nselect 1 /* a; select b */", "select 2"}},
    {"foreign key actions", "create table c (p int references p(id) on delete cascade) select 1",
     {"create table c (p int references p(id) on delete cascade)", "select 1"}},
    {"a trigger's body is its own",
     "create trigger t_id after insert on t when new.id is null begin update t set id = (select case when max(id) is "
     "null then 1 else max(id) + 1 end from t) where rowid = new.rowid; end; select 1",
     {"create trigger t_id after insert on t when new.id is null begin update t set id = (select case when max(id) is "
      "null then 1 else max(id) + 1 end from t) where rowid = new.rowid; end",
      "select 1"}},
    {"a trigger ends at its END",
     "create temp trigger x after delete on t begin delete from u; insert into v select 1; end create table w (a int)",
     {"create temp trigger x after delete on t begin delete from u; insert into v select 1; end", "create table w (a int)"}},
    {"begin outside a trigger starts nothing", "begin; insert into t values (1); commit",
     {"begin", "insert into t values (1)", "commit"}},
};
INSTANTIATE_TEST_SUITE_P(Splitting, Translation, ::testing::ValuesIn(kSplittingCases));

const Case kRewriteCases[] = {
    {"strings never change", "select 'dbo.x', 'ISNULL(a,b)', 'it''s', N'中文', 'tempdb..y' from dbo.t",
     {"select 'dbo.x', 'ISNULL(a,b)', 'it''s', '中文', 'tempdb..y' from t"}},
    {"bracketed names stay, the owner goes", "select [code], [名称] from [dbo].[Inventory]",
     {"select [code], [名称] from [Inventory]"}},
    {"temporary database names", "select a from tempdb..x join tempdb.dbo.y on 1=1", {"select a from tempdb.x join tempdb.y on 1=1"}},
    {"isnull in any case", "select isnull(a,0), IsNull (b, 0), a isnull from t",
     {"select IFNULL(a,0), IFNULL (b, 0), a isnull from t"}},
    {"getdate", "update t set d = getdate()", {"update t set d = datetime('now','localtime')"}},
    {"top", "SELECT TOP 3 code FROM t ORDER BY code", {"SELECT code FROM t ORDER BY code LIMIT 3"}},
    {"top in a subquery", "select distinct top (1) a from t where b in (select top 2 c from u order by c )",
     {"select distinct a from t where b in (select c from u order by c LIMIT 2 ) LIMIT 1"}},
    {"top percent is left to SQLite", "select top 10 percent a from t", {"select top 10 percent a from t"}},
    {"top before a union is left to SQLite", "select top 1 a from t union select b from u",
     {"select top 1 a from t union select b from u"}},
    {"nolock", "select a from t with (nolock) where b = 1", {"select a from t where b = 1"}},
    {"server collations", "select a from t where a = 'x' collate Chinese_PRC_CI_AS or b = c COLLATE Latin1_General_BIN",
     {"select a from t where a = 'x' collate NOCASE or b = c COLLATE BINARY"}},
    {"text columns compare without case",
     "create table t (code nvarchar(20) not null, [name] varchar(50) collate BINARY, memo text, qty decimal(20,6), "
     "primary key (code))",
     {"create table t (code nvarchar(20) COLLATE NOCASE not null, [name] varchar(50) collate BINARY, memo text COLLATE "
      "NOCASE, qty decimal(20,6), primary key (code))"}},
    {"object_id check", "IF OBJECT_ID(N'tempdb..x') IS NOT NULL DROP TABLE tempdb..x", {"DROP TABLE IF EXISTS tempdb.x"}},
    {"check of another table is left to SQLite",
     "if exists (select * from dbo.sysobjects where id = object_id(N'[dbo].[A]')) drop table B",
     {"if exists (select * from sysobjects where id = object_id('[dbo].[A]')) drop table B"}},
};
INSTANTIATE_TEST_SUITE_P(Rewrites, Translation, ::testing::ValuesIn(kRewriteCases));

}  // namespace
}  // namespace korvane::ado::sqlite
