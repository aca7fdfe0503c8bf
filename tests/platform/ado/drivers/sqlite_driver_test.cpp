// The embedded driver's own side: its connection strings and session
// settings, the engine's typing of computed columns, and the exact texts and
// codes its native errors carry. What every driver must do is in
// conformance_test.cpp.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "platform/ado/driver.h"
#include "platform/vb/error.h"
#include "tests/platform/ado/drivers/driver_testing.h"

namespace korvane::ado {
namespace {

namespace fs = std::filesystem;

using testing::DatabaseFile;
using testing::query;
using testing::raised;
using testing::read_all;
using testing::Rows;

class SqliteDriver : public ::testing::Test {
protected:
    std::unique_ptr<DriverConnection> open() { return open_driver("Provider=SQLite;Data Source=" + file_); }

    DatabaseFile db_file_;
    const std::string file_ = db_file_.path();
};

TEST_F(SqliteDriver, ConnectionStringKeysIgnoreCaseAndBlanksAndMemoryNeedsNoProvider) {
    auto c = open_driver("  provider = sqlite ;  DATA SOURCE = " + file_ + " ; User ID=sa");
    EXPECT_TRUE(fs::exists(file_));
    EXPECT_EQ(query(*c, "PRAGMA journal_mode"), Rows{{Variant("wal")}});
    EXPECT_EQ(query(*c, "PRAGMA busy_timeout"), Rows{{Variant(10000)}});
    auto memory = open_driver("Data Source=:memory:");
    EXPECT_EQ(memory->execute("create table t (a int) insert into t values (1)"), 1);
    EXPECT_EQ(query(*memory, "select a from t"), Rows{{Variant(1)}});
    const Error e = raised([] { open_driver("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=server"); });
    EXPECT_EQ(e.number(), 3706);
    EXPECT_EQ(e.description(), "Provider cannot be found. It may not be properly installed.");
}

TEST_F(SqliteDriver, OnlyModeCreateMakesAMissingFile) {
    const std::string missing = file_ + ".absent";
    const std::pair<std::string, const char*> opens[] = {
        {missing, ""}, {missing, ";Mode=ReadWrite"}, {missing, ";Mode=Read"}, {file_ + ".missing/x.db", ""}};
    for (const auto& [path, mode] : opens) {
        const Error e = raised([&] { open_driver("Data Source=" + path + mode); });
        EXPECT_EQ(e.number(), err::kProvider) << path << mode;
        EXPECT_EQ(e.native_code(), 14) << path << mode;
        EXPECT_EQ(e.description(), "unable to open database file (opening: " + path + ")") << path << mode;
        EXPECT_FALSE(fs::exists(path)) << path << mode;
    }
    EXPECT_EQ(raised([&] { open_driver("Data Source=" + file_ + ";Mode=Share Deny None"); }).description(),
              "The connection string's Mode is not Read, ReadWrite or Create: Share Deny None");
    {
        auto c = open_driver("Data Source=" + missing + "; mode = create");
        EXPECT_EQ(query(*c, "PRAGMA journal_mode"), Rows{{Variant("wal")}});
        c->execute("create table T (x int)");
    }
    EXPECT_TRUE(fs::exists(missing));
    std::error_code ec;
    for (const char* suffix : {"", "-wal", "-shm"}) fs::remove(missing + suffix, ec);
}

// A read-only open reads, refuses every write with the database's own text,
// and leaves the file's journal as it was.
TEST_F(SqliteDriver, ReadOnlyOpenReadsAndRefusesWrites) {
    {
        auto c = open();
        c->execute("create table T (x int) insert into T values (1)");
        c->execute("PRAGMA journal_mode='delete'");
    }
    const std::string read_only[] = {
        "Data Source=" + file_ + ";Mode=Read",
        // Read only by the file's own URI, with the default mode: the
        // connection finds out it cannot write and keeps off the journal.
        "Data Source=file:" + file_ + "?mode=ro",
    };
    for (const std::string& cs : read_only) {
        auto r = open_driver(cs);
        EXPECT_EQ(query(*r, "select x from T"), Rows{{Variant(1)}}) << cs;
        EXPECT_EQ(query(*r, "PRAGMA journal_mode"), Rows{{Variant("delete")}}) << cs;
        const Error e = raised([&] { r->execute("insert into T values (2)"); });
        EXPECT_EQ(e.number(), err::kProvider) << cs;
        EXPECT_EQ(e.native_code(), 8) << cs;
        EXPECT_EQ(e.description(), "attempt to write a readonly database (in statement: insert into T values (2))")
            << cs;
        // The session's own temporary tables still take writes.
        r->execute("create table tempdb.W (a int) insert into tempdb.W values (5)");
        EXPECT_EQ(query(*r, "select a from tempdb.W"), Rows{{Variant(5)}}) << cs;
    }
    EXPECT_FALSE(fs::exists(file_ + "-wal"));
    EXPECT_EQ(query(*open(), "select count(*) from T"), Rows{{Variant(1)}});
}

TEST_F(SqliteDriver, FileThatCannotBeWrittenOpensForReading) {
    if (::geteuid() == 0) GTEST_SKIP() << "root writes any file";
    {
        auto c = open();
        c->execute("create table T (x int) insert into T values (1)");
    }
    fs::permissions(file_, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    auto r = open();
    EXPECT_EQ(query(*r, "select x from T"), Rows{{Variant(1)}});
    EXPECT_EQ(raised([&] { r->execute("insert into T values (2)"); }).native_code(), 8);
}

TEST_F(SqliteDriver, ComputedColumnsAreTypedByTheirFirstValue) {
    auto c = open();
    c->execute("create table T (q decimal(20,6)) insert into T values (1.5)");
    auto r = c->query("select 1 as a, 5000000000 as b, q * 2 as c, 'x' || 'y' as d, count(*) as n, q from T");
    const auto& cols = r->columns();
    ASSERT_EQ(cols.size(), 6u);
    EXPECT_EQ(cols[0].type, adInteger);
    EXPECT_EQ(cols[1].type, adBigInt);
    EXPECT_EQ(cols[2].type, adDouble);
    EXPECT_EQ(cols[3].type, adVarWChar);
    EXPECT_EQ(cols[4].type, adInteger);
    EXPECT_EQ(cols[2].base_column, "");
    EXPECT_EQ(cols[5].base_column, "q");
    EXPECT_EQ(read_all(*r), (Rows{{Variant(1), Variant(5000000000LL), Variant(3.0), Variant("xy"), Variant(1),
                                   Variant::decimal(1.5)}}));
}

// --- native errors ----------------------------------------------------------------

// Every SQLite failure reaches the caller as the provider error (E_FAIL) with
// SQLite's result code as native code, its text, and the statement it failed in.
struct NativeError {
    const char* name;
    std::string setup;  // run first, on the same connection
    bool as_query;      // the failing batch is read through query() rather than run by execute()
    std::string batch;
    int native_code;
    std::string description;
};

void PrintTo(const NativeError& c, std::ostream* os) { *os << c.name; }

class SqliteNativeErrors : public SqliteDriver, public ::testing::WithParamInterface<NativeError> {};

TEST_P(SqliteNativeErrors, CarryCodeTextAndStatement) {
    const NativeError& c = GetParam();
    auto db = open();
    if (!c.setup.empty()) db->execute(c.setup);
    const Error e = raised([&] {
        if (c.as_query)
            read_all(*db->query(c.batch));
        else
            db->execute(c.batch);
    });
    EXPECT_EQ(e.number(), err::kProvider);
    EXPECT_EQ(e.native_code(), c.native_code);
    EXPECT_EQ(e.description(), c.description);
    EXPECT_EQ(query(*db, "select 1"), Rows{{Variant(1)}}) << "the session goes on";
}

std::string repeated(std::string_view s, int n) {
    std::string r;
    for (int i = 0; i < n; ++i) r += s;
    return r;
}

const NativeError kNativeErrors[] = {
    {"second statement of a batch", "", false, "create table A (x int) update NoSuchTable set x = 1", 1,
     "no such table: NoSuchTable (in statement 2 of 2: update NoSuchTable set x = 1)"},
    {"unique key", "create table U (x int primary key) insert into U values (1)", false, "insert into U values (1)", 19,
     "UNIQUE constraint failed: U.x (in statement: insert into U values (1))"},
    // A T-SQL construct the translation does not know is SQLite's to refuse.
    {"untranslated T-SQL", "", true, "if 1 = 1 select 1", 1,
     "near \"if\": syntax error (in statement: if 1 = 1 select 1)"},
    {"dropped scratch table", "create table tempdb.q (a int) drop table tempdb..q", false, "select * from tempdb.q", 1,
     "no such table: tempdb.q (in statement: select * from tempdb.q)"},
    {"query after the rows", "create table T (a int)", true, "select a from T insert into NoSuchTable values (1)", 1,
     "no such table: NoSuchTable (in statement 2 of 2: insert into NoSuchTable values (1))"},
    // 400 bytes of the statement at most, cut between whole characters.
    {"long statement", "", false, "select '" + repeated("库", 200) + "' from NoSuchTable", 1,
     "no such table: NoSuchTable (in statement: select '" + repeated("库", 130) + "...)"},
};
INSTANTIATE_TEST_SUITE_P(Batches, SqliteNativeErrors, ::testing::ValuesIn(kNativeErrors));

// A batch commits once at its end; one that fails keeps what ran before the
// failing statement, visible to others, and leaves no transaction open. In
// the caller's transaction it is the caller's to keep or undo.
TEST_F(SqliteDriver, ABatchFailingHalfWayKeepsItsEarlierStatements) {
    auto c = open();
    auto other = open();
    c->execute("create table U (x int primary key) insert into U values (1)");
    raised([&] { c->execute("insert into U values (2) insert into U values (3) insert into U values (1) "
                            "insert into U values (4)"); });
    EXPECT_EQ(query(*other, "select count(*) from U"), Rows{{Variant(3)}});
    // a run of one-row inserts goes as one; a failing row still names itself and keeps the rows before it
    const Error e = raised([&] {
        c->execute("insert into U (x) values (10) insert into U (x) values (11) insert into U (x) values (2) "
                   "insert into U (x) values (12)");
    });
    EXPECT_EQ(e.description(), "UNIQUE constraint failed: U.x (in statement 3 of 4: insert into U (x) values (2))");
    EXPECT_EQ(query(*other, "select count(*) from U"), Rows{{Variant(5)}});
    EXPECT_EQ(c->execute("create table V (s nvarchar(9)) insert into V (s) values ('it''s') "
                         "insert into V (s) values ('a)b') insert into V (s) values (upper('c'))"),
              3);
    EXPECT_EQ(query(*other, "select group_concat(s, '|') from V"), Rows{{Variant("it's|a)b|C")}});
    c->begin_transaction();
    c->execute("insert into U values (5) insert into U values (6)");
    c->rollback();
    EXPECT_EQ(query(*other, "select count(*) from U"), Rows{{Variant(5)}});
}

// A run of one-row inserts binds its values: what is stored is what each
// statement alone stores, types and affinities included.
TEST_F(SqliteDriver, RowsOfOneShapeStoreWhatEachStatementAloneStores) {
    auto c = open();
    c->execute("create table B (t nvarchar(9), i int, r real, n int) create table L (t nvarchar(9), i int, r real, n int)");
    const std::string rows[] = {"('007', '42', 7, null)", "(12, 'x', '1.5', 'it''s')", "(0012, 0012, '', NULL)",
                                "('a', 2.5, -1, 3)", "('b', 1, 99999999999999999999, 'z')"};
    std::string batch;
    for (const auto& row : rows) {
        batch += " insert into B (t, i, r, n) values " + row;
        c->execute("insert into L (t, i, r, n) values " + row);
    }
    EXPECT_EQ(c->execute(batch), 5);
    const std::string read = "select typeof(t), t, typeof(i), i, typeof(r), r, typeof(n), n from ";
    EXPECT_EQ(query(*c, read + "B order by rowid"), query(*c, read + "L order by rowid"));
    EXPECT_EQ(query(*c, "select count(*) from B"), Rows{{Variant(5)}});
    // a refusal that undoes the whole batch is reported, not run again on its own
    c->execute("create table R (x int unique on conflict rollback)");
    EXPECT_EQ(raised([&] { c->execute("insert into R (x) values (1) insert into R (x) values (1)"); }).description(),
              "UNIQUE constraint failed: R.x (in statement 2 of 2: insert into R (x) values (1))");
    EXPECT_EQ(query(*c, "select count(*) from R"), Rows{{Variant(0)}});
}

TEST_F(SqliteDriver, PreparedStatementErrorsNameTheirStatement) {
    auto c = open();
    c->execute("create table U (x int primary key)");
    auto insert = c->prepare("insert into [dbo].U (x) values (?)");
    const Variant one[] = {Variant(1)};
    insert->execute(one, 1);
    const Error e = raised([&] { insert->execute(one, 1); });
    EXPECT_EQ(e.native_code(), 19);
    EXPECT_EQ(e.description(), "UNIQUE constraint failed: U.x (in statement: insert into U (x) values (?))");
    EXPECT_EQ(raised([&] { c->prepare("insert into V values (?)"); }).description(),
              "no such table: V (in statement: insert into V values (?))");
}

TEST_F(SqliteDriver, AnotherConnectionsTempdbIsNotFound) {
    auto a = open();
    auto b = open();
    a->execute("create table tempdb..scratch (v nvarchar(5)) insert into tempdb..scratch values ('a')");
    EXPECT_EQ(raised([&] { query(*b, "select v from tempdb..scratch"); }).description(),
              "no such table: tempdb.scratch (in statement: select v from tempdb.scratch)");
}

}  // namespace
}  // namespace korvane::ado
