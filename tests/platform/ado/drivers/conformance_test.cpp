// The driver conformance suite: what the record set and the services rely on
// from every database driver, run once per driver by its connection string.
//
// A driver joins by adding a Backend to the instantiation at the end. Every
// backend runs over a database file the suite creates itself, through the
// T-SQL the callers send (the ODBC driver with its translation on, over the
// SQLite ODBC driver), so the statements here are that dialect. Native error
// texts and codes, connection-string handling and the engine's own typing of
// computed columns are each driver's own: see sqlite_driver_test.cpp.
#include <gtest/gtest.h>

#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "platform/ado/driver.h"
#include "platform/vb/error.h"
#include "tests/platform/ado/drivers/driver_testing.h"

namespace korvane::ado {
namespace {

using testing::DatabaseFile;
using testing::query;
using testing::raised;
using testing::read_all;
using testing::Rows;

struct Backend {
    const char* name;
    // Opens (creating it when missing) the database file.
    std::string (*connection_string)(const std::string& file);
};

void PrintTo(const Backend& b, std::ostream* os) { *os << b.name; }

class DriverConformance : public ::testing::TestWithParam<Backend> {
protected:
    std::unique_ptr<DriverConnection> open() { return open_driver(GetParam().connection_string(file_.path())); }

    DatabaseFile file_;
};

// --- column descriptions and values ------------------------------------------

TEST_P(DriverConformance, DeclaredTypesGiveAdoTypesAndSizes) {
    auto c = open();
    c->execute(
        "create table T (a int, b integer, c smallint, d tinyint, e bigint, f bit, g decimal(20,6), h numeric(10, 2), "
        "i money, j float, k real, l datetime, m smalldatetime, n date, o time, p nvarchar(40), q varchar(12), "
        "r nchar(3), s char(2), t text, u ntext, v NVARCHAR(8) COLLATE NOCASE, w int identity(1,1))");
    struct Expected {
        int type;
        long size;
        int precision, scale;
    };
    const Expected expected[] = {
        {adInteger, 4, 10, 0},      {adInteger, 4, 10, 0},       {adSmallInt, 2, 5, 0},       {adUnsignedTinyInt, 1, 3, 0},
        {adBigInt, 8, 19, 0},       {adBoolean, 2, 0, 0},        {adDecimal, 19, 20, 6},      {adNumeric, 19, 10, 2},
        {adCurrency, 8, 19, 4},     {adDouble, 8, 15, 0},        {adSingle, 4, 7, 0},         {adDBTimeStamp, 16, 23, 3},
        {adDBTimeStamp, 16, 16, 0}, {adDBDate, 6, 10, 0},        {adDBTime, 6, 8, 0},         {adVarWChar, 40, 0, 0},
        {adVarChar, 12, 0, 0},      {adWChar, 3, 0, 0},          {adChar, 2, 0, 0},           {adLongVarWChar, 2147483647, 0, 0},
        {adLongVarWChar, 1073741823, 0, 0}, {adVarWChar, 8, 0, 0}, {adInteger, 4, 10, 0},
    };
    auto reader = c->query("select * from T");
    const auto& cols = reader->columns();
    ASSERT_EQ(cols.size(), std::size(expected));
    for (std::size_t i = 0; i < cols.size(); ++i) {
        SCOPED_TRACE(cols[i].name);
        EXPECT_EQ(cols[i].type, expected[i].type);
        EXPECT_EQ(cols[i].defined_size, expected[i].size);
        EXPECT_EQ(cols[i].precision, expected[i].precision);
        EXPECT_EQ(cols[i].scale, expected[i].scale);
        EXPECT_EQ(cols[i].base_table, "T");
    }
}

TEST_P(DriverConformance, ValuesComeInTheColumnsKinds) {
    auto c = open();
    c->execute("create table T (a int, c smallint, d tinyint, e bigint, f bit, g decimal(20,6), i money, j float, "
               "k real, p nvarchar(40), x int)"
               " insert into T values (7, 3, 200, 5000000000, 1, 2.5, 12.3456, 0.25, 1.5, N'abc', null)");
    const Rows rows = query(*c, "select * from T");
    ASSERT_EQ(rows.size(), 1u);
    const Rows expected{{Variant(7), Variant(std::int16_t{3}), Variant::byte(200), Variant(5000000000LL), Variant(true),
                         Variant::decimal(2.5), Variant::currency_scaled(123456), Variant(0.25), Variant::single(1.5f),
                         Variant("abc"), Variant::null()}};
    EXPECT_EQ(rows, expected);
}

TEST_P(DriverConformance, AliasedJoinNamesItsBaseColumns) {
    auto c = open();
    c->execute("create table Inventory (cInvCode nvarchar(20) not null, cInvName nvarchar(60))"
               " create table CurrentStock (cInvCode nvarchar(20), iQuantity decimal(20,6))");
    auto r = c->query("select s.cInvCode as code, i.cInvName as 名称, s.iQuantity - 1 as left_over from CurrentStock s "
                      "join Inventory i on i.cInvCode = s.cInvCode");
    const auto& cols = r->columns();
    ASSERT_EQ(cols.size(), 3u);
    EXPECT_EQ(cols[0].name, "code");
    EXPECT_EQ(cols[0].base_column, "cInvCode");
    EXPECT_EQ(cols[0].base_table, "CurrentStock");
    EXPECT_EQ(cols[1].name, "名称");
    EXPECT_EQ(cols[1].base_column, "cInvName");
    EXPECT_EQ(cols[1].base_table, "Inventory");
    EXPECT_EQ(cols[2].base_column, "");
    EXPECT_EQ(cols[2].base_table, "");
    EXPECT_FALSE(read_all(*r).size());
}

TEST_P(DriverConformance, DatesReadAsOleDatesAndOtherTextStaysText) {
    auto c = open();
    c->execute("create table T (k int, d datetime, t time)"
               " insert into T values (1, '2024-03-15', '06:00:00')"
               " insert into T values (2, '2024-03-15 13:30:00.500', '23:59')"
               " insert into T values (3, '1899-12-29 06:00:00', null)"
               " insert into T values (4, '2024-02-29T00:00:00', 'noon')"
               " insert into T values (5, '2023-02-29', '')"
               " insert into T values (6, 45366.25, '24:00:00')");
    const Rows rows = query(*c, "select d, t from T order by k");
    const Rows expected{
        {Variant::date(45366), Variant::date(0.25)},
        {Variant::date(45366 + (13.5 * 3600 + 0.5) / 86400), Variant::date((23 * 60 + 59) / 1440.0)},
        {Variant::date(-1.25), Variant::null()},
        {Variant::date(45351), Variant("noon")},
        {Variant("2023-02-29"), Variant("")},
        {Variant::date(45366.25), Variant("24:00:00")},
    };
    EXPECT_EQ(rows, expected);
}

TEST_P(DriverConformance, ChineseTextRoundTrips) {
    auto c = open();
    const std::string name = "华东一号仓库（原料区）";  // longer than a Variant holds inline
    c->execute("create table Warehouse (cWhCode nvarchar(10), cWhName nvarchar(60))"
               " insert into Warehouse values (N'01', N'" + name + "') insert into Warehouse values ('02', '库')");
    EXPECT_EQ(query(*c, "select cWhName from Warehouse where cWhName = N'" + name + "'"), Rows{{Variant(name)}});
    EXPECT_EQ(query(*c, "select cWhCode from Warehouse where cWhName like N'%库'"), (Rows{{Variant("02")}}));
}

// --- batches and errors -----------------------------------------------------

TEST_P(DriverConformance, MissingFileIsAnErrorNamingItAndIsNotCreated) {
    const std::string missing = file_.path() + ".absent";
    const Error e = raised([&] { open_driver(GetParam().connection_string(missing)); });
    EXPECT_EQ(e.number(), err::kProvider);
    EXPECT_NE(e.description().find(missing), std::string::npos) << e.description();
    EXPECT_FALSE(std::filesystem::exists(missing));
}

TEST_P(DriverConformance, FailingStatementRaisesTheProviderErrorAndKeepsTheSession) {
    auto c = open();
    const Error missing = raised([&] { c->execute("create table A (x int) update NoSuchTable set x = 1"); });
    EXPECT_EQ(missing.number(), err::kProvider);
    EXPECT_NE(missing.native_code(), 0);
    EXPECT_NE(missing.description().find("NoSuchTable"), std::string::npos) << missing.description();
    // What ran before the failing statement stays done.
    EXPECT_EQ(query(*c, "select count(*) from A"), Rows{{Variant(0)}});

    c->execute("create table U (x int primary key) insert into U values (1)");
    const Error dup = raised([&] { c->execute("insert into U values (1)"); });
    EXPECT_EQ(dup.number(), err::kProvider);
    EXPECT_NE(dup.native_code(), 0);
    EXPECT_EQ(raised([&] { c->query("select * from"); }).number(), err::kProvider);
    EXPECT_EQ(query(*c, "select count(*) from U"), Rows{{Variant(1)}});
}

TEST_P(DriverConformance, BatchCountsRowsChangedByAllStatements) {
    auto c = open();
    EXPECT_EQ(c->execute("create table T (a int) insert into T values (1) insert into T values (2)"
                         " update T set a = a + 1 create table U (b int) delete from T where a = 3 drop table U"),
              5);
    EXPECT_EQ(c->execute("update T set a = 9 where a = 0"), 0);
}

TEST_P(DriverConformance, QueryBatchReturnsTheLastQuerysRows) {
    auto c = open();
    EXPECT_EQ(query(*c, "create table tempdb.q (a int) insert into tempdb..q values (7) select 1 select a from tempdb..q"
                        " drop table tempdb..q"),
              Rows{{Variant(7)}});
    EXPECT_EQ(raised([&] { c->execute("select * from tempdb.q"); }).number(), err::kProvider);
    auto none = c->query("create table z (a int)");
    EXPECT_TRUE(none->columns().empty());
}

// The allocation run's scratch tables, created, filled and used for real.
TEST_P(DriverConformance, AllocationScratchTablesRunOnAFileDatabase) {
    auto c = open();
    c->execute("create table CurrentStock (AutoID integer primary key, cInvCode nvarchar(20), iQuantity decimal(20,6), "
               "iNum decimal(20,6))"
               " insert into CurrentStock values (1, 'A', 10, 2) insert into CurrentStock values (2, 'B', 5, 1)"
               " create table RdRecords (AutoID integer primary key, iQuantity decimal(20,6))"
               " insert into RdRecords values (11, 4)");
    const std::string p = "ST_01_3";
    const std::string create_stock =
        " if  exists (select * from dbo.sysobjects where id = object_id(N'[dbo].[" + p +
        "_CurrentS]') and OBJECTPROPERTY(id, N'IsUserTable') = 1) drop table " + p + "_CurrentS create table " + p +
        "_CurrentS ( AutoID int , fSumOutQ decimal(20,6),fSumOutN decimal(20,6)) insert into " + p +
        "_CurrentS select Autoid,0,0 from CurrentStock ";
    const std::string create_lines =
        " if  exists (select * from dbo.sysobjects where id = object_id(N'[dbo].[" + p +
        "_TmpRdRecords]') and OBJECTPROPERTY(id, N'IsUserTable') = 1) drop table " + p + "_TmpRdRecords create table " +
        p + "_TmpRdRecords ( AutoID int , fSumOutQ decimal(20,6),fSumOutN decimal(20,6)) insert into " + p +
        "_TmpRdRecords select Autoid,0,0 from rdrecords ";
    EXPECT_EQ(c->execute(create_stock), 2);
    EXPECT_EQ(c->execute(create_lines), 1);
    EXPECT_EQ(c->execute(" update " + p + "_CurrentS set  fSumOutQ = fSumOutQ + 2.5,fSumOutN = fSumOutN + 1 where AutoID= 1"), 1);
    EXPECT_EQ(query(*c, "select currentstock.AutoID, (iQuantity - IsNull(fSumOutQ, 0)) from currentstock  left join  " + p +
                            "_CurrentS  on  " + p + "_CurrentS.autoid=currentstock.autoid where cInvCode <> 'x' order by 1"),
              (Rows{{Variant(1), Variant(7.5)}, {Variant(2), Variant(5)}}));
    // A second create replaces the table and so resets the counts.
    EXPECT_EQ(c->execute(create_stock), 2);
    EXPECT_EQ(query(*c, "select sum(fSumOutQ) from " + p + "_CurrentS"), Rows{{Variant(0)}});
    c->execute(" drop table " + p + "_CurrentS ");
    c->execute(" drop table " + p + "_TmpRdRecords ");
    EXPECT_EQ(query(*c, "select count(*) from sqlite_master where name like 'ST_01_3%'"), Rows{{Variant(0)}});
}

// The inventory dialog's confirmation, twice in one session.
TEST_P(DriverConformance, InventoryConfirmationRunsTwiceInOneSession) {
    auto c = open();
    c->execute("create table Inventory (cInvCode nvarchar(20), cInvName nvarchar(60))"
               " insert into Inventory values ('A001', '螺丝') insert into Inventory values ('A002', '螺母')"
               " insert into Inventory values ('B001', '垫圈')");
    const std::string name = "tempdb..tmpa_btmp";
    auto confirm = [&](const std::vector<std::string>& codes) {
        std::string sql = "if exists (select * from tempdb..sysobjects where id=object_id(N'" + name +
                          "')) drop table " + name + " create table " + name + "(id nvarchar(255))";
        for (const auto& code : codes) sql += " insert into " + name + "(id) values('" + code + "') ";
        return c->execute(sql);
    };
    const std::string chosen = "select cInvCode from Inventory where cInvCode in (select id from " + name +
                               ") order by cInvCode  desc ";
    EXPECT_EQ(confirm({"A001", "b001"}), 2);
    EXPECT_EQ(query(*c, chosen), (Rows{{Variant("B001")}, {Variant("A001")}}));
    EXPECT_EQ(confirm({}), 0);
    EXPECT_EQ(query(*c, chosen), Rows{});
}

// --- sessions -----------------------------------------------------------------

TEST_P(DriverConformance, TwoConnectionsShareTheFileButNotTheirTempdb) {
    auto a = open();
    auto b = open();
    a->execute("create table Shared (x int) insert into Shared values (1)");
    EXPECT_EQ(query(*b, "select x from Shared"), Rows{{Variant(1)}});

    // A reader open on one connection does not block the other's commit.
    auto reading = a->query("select x from Shared");
    EXPECT_EQ(b->execute("insert into Shared values (2)"), 1);
    EXPECT_EQ(read_all(*reading), Rows{{Variant(1)}});
    EXPECT_EQ(query(*a, "select count(*) from Shared"), Rows{{Variant(2)}});

    a->execute("create table tempdb..scratch (v nvarchar(5)) insert into tempdb..scratch values ('a')");
    EXPECT_EQ(raised([&] { query(*b, "select v from tempdb..scratch"); }).number(), err::kProvider);
    b->execute("create table tempdb..scratch (v nvarchar(5)) insert into tempdb..scratch values ('b')");
    EXPECT_EQ(query(*a, "select v from tempdb..scratch"), Rows{{Variant("a")}});
    EXPECT_EQ(query(*b, "select v from tempdb..scratch"), Rows{{Variant("b")}});
}

TEST_P(DriverConformance, ClosedConnectionRefusesWorkButOpenReadersFinish) {
    auto c = open();
    c->execute("create table T (a int) insert into T values (1) insert into T values (2)");
    auto r = c->query("select a from T order by a");
    c->close();
    EXPECT_EQ(raised([&] { c->execute("select 1"); }).number(), err::kClosed);
    EXPECT_EQ(read_all(*r), (Rows{{Variant(1)}, {Variant(2)}}));
}

// --- prepared statements and transactions ----------------------------------------

TEST_P(DriverConformance, PreparedInsertRunsAgainWithEachRowsValues) {
    auto c = open();
    c->execute("create table W (code nvarchar(10), name nvarchar(60), qty decimal(20,6), n int, flag bit, "
               "price money, made datetime)");
    auto insert = c->prepare("insert into W values (?, ?, ?, ?, ?, ?, ?)");
    ASSERT_EQ(insert->parameter_count(), 7u);
    const std::string long_name = "华东一号仓库（原料区）";  // held outside the Variant
    const std::vector<Variant> first{Variant("01"),  Variant(long_name), Variant(2.5),      Variant(7),
                                     Variant(true),  Variant::currency_scaled(123456), Variant::date(45366)};
    const std::vector<Variant> second{Variant("02"), Variant::null(), Variant::decimal(0.25), Variant(5000000000LL),
                                      Variant(false), Variant::currency(3), Variant()};
    EXPECT_EQ(insert->execute(first.data(), first.size()), 1);
    EXPECT_EQ(insert->execute(second.data(), second.size()), 1);
    EXPECT_EQ(query(*c, "select * from W order by code"),
              (Rows{{Variant("01"), Variant(long_name), Variant::decimal(2.5), Variant(7), Variant(true),
                     Variant::currency_scaled(123456), Variant::date(45366)},
                    {Variant("02"), Variant::null(), Variant::decimal(0.25), Variant(5000000000LL), Variant(false),
                     Variant::currency_scaled(30000), Variant::null()}}));

    auto update = c->prepare("update W set qty = qty + ? where code like ?");
    const std::vector<Variant> all{Variant(1.0), Variant("0%")};
    EXPECT_EQ(update->execute(all.data(), all.size()), 2);
    const std::vector<Variant> none{Variant(1.0), Variant("x%")};
    EXPECT_EQ(update->execute(none.data(), none.size()), 0);
}

struct Thing : Object {
    std::string_view type_name() const override { return "Thing"; }
};

TEST_P(DriverConformance, PreparedStatementSurvivesAFailedRunAndRefusesBadCalls) {
    auto c = open();
    c->execute("create table U (x int primary key, y nvarchar(5))");
    auto insert = c->prepare("insert into U (x, y) values (?, ?)");
    const std::vector<Variant> one{Variant(1), Variant("a")};
    insert->execute(one.data(), one.size());
    const Error dup = raised([&] { insert->execute(one.data(), one.size()); });
    EXPECT_EQ(dup.number(), err::kProvider);
    EXPECT_NE(dup.native_code(), 0);
    const std::vector<Variant> two{Variant(2), Variant("b")};
    EXPECT_EQ(insert->execute(two.data(), two.size()), 1);

    EXPECT_EQ(raised([&] { insert->execute(two.data(), 1); }).number(), err::kBadArgs);
    // An object has no column type: refused before anything is written.
    const std::vector<Variant> object{Variant(3), Variant(ObjectPtr(std::make_shared<Thing>()))};
    EXPECT_EQ(raised([&] { insert->execute(object.data(), object.size()); }).number(), err::kDataConversion);
    EXPECT_EQ(query(*c, "select x, y from U order by x"), (Rows{{Variant(1), Variant("a")}, {Variant(2), Variant("b")}}));

    EXPECT_EQ(raised([&] { c->prepare("insert into U values (1, 'a') insert into U values (2, 'b')"); }).number(),
              err::kBadArgs);
    EXPECT_EQ(raised([&] { c->prepare("insert into NoSuchTable values (?)"); }).number(), err::kProvider);

    c->close();
    EXPECT_EQ(raised([&] { insert->execute(two.data(), two.size()); }).number(), err::kClosed);
    EXPECT_EQ(raised([&] { c->prepare("select 1"); }).number(), err::kClosed);
}

TEST_P(DriverConformance, TransactionsCommitForOthersOrRollBack) {
    auto a = open();
    auto b = open();
    a->execute("create table T (x int)");
    a->begin_transaction();
    a->execute("insert into T values (1)");
    EXPECT_EQ(query(*a, "select count(*) from T"), Rows{{Variant(1)}});
    EXPECT_EQ(query(*b, "select count(*) from T"), Rows{{Variant(0)}});
    a->rollback();
    EXPECT_EQ(query(*a, "select count(*) from T"), Rows{{Variant(0)}});

    a->begin_transaction();
    EXPECT_EQ(raised([&] { a->begin_transaction(); }).number(), err::kProvider);
    a->execute("insert into T values (2)");
    a->commit();
    EXPECT_EQ(query(*b, "select x from T"), Rows{{Variant(2)}});
    EXPECT_EQ(raised([&] { a->commit(); }).number(), err::kProvider);
    EXPECT_EQ(raised([&] { a->rollback(); }).number(), err::kProvider);

    // Closing with work outstanding throws it away.
    a->begin_transaction();
    a->execute("insert into T values (3)");
    a->close();
    EXPECT_EQ(query(*b, "select x from T"), Rows{{Variant(2)}});
}

std::string sqlite_connection(const std::string& file) { return "Provider=SQLite;Data Source=" + file; }

// The SQLite ODBC driver: the ODBC driver's whole path, its dialect branch
// included, wherever unixODBC lists it (scripts/install-deps installs it).
std::vector<Backend> backends() {
    std::vector<Backend> out{Backend{"Sqlite", sqlite_connection}};
    if (korvane::testing::odbc_sqlite_installed())
        out.push_back(Backend{"OdbcSqlite3", korvane::testing::odbc_sqlite_connection_string});
    return out;
}

INSTANTIATE_TEST_SUITE_P(Drivers, DriverConformance, ::testing::ValuesIn(backends()),
                         [](const ::testing::TestParamInfo<Backend>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace korvane::ado
