// The ODBC driver's own part: how connection strings map, and the errors a
// host sees when the server, the login or the driver is wrong. What every
// driver shares runs in conformance_test.cpp.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "platform/ado/driver.h"
#include "platform/ado/drivers/odbc/odbc_driver.h"
#include "platform/vb/error.h"
#include "tests/platform/ado/drivers/driver_testing.h"

namespace korvane::ado::odbc {
namespace {

using ado::testing::raised;

std::string mapped(const std::string& cs, const std::vector<std::string>& installed, const char* chosen = nullptr) {
    return odbc_connection_string(cs, parse_connection_string(cs), installed, chosen);
}

const std::string kHostString =
    "Provider=SQLOLEDB.1;Data Source=erp-db,1433;Initial Catalog=UFDATA_001_2024;User ID=sa;Password=p;w}d";

TEST(OdbcConnectionString, HostsAdoStringMapsToTheFirstServerDriverElseFreeTds) {
    EXPECT_EQ(mapped(kHostString, {"SQLite3", "ODBC Driver 18 for SQL Server", "FreeTDS"}),
              "DRIVER={ODBC Driver 18 for SQL Server};SERVER={erp-db,1433};DATABASE={UFDATA_001_2024};UID={sa};"
              "PWD={p};");
    EXPECT_EQ(mapped("Provider=SQLOLEDB;Data Source=erp-db;Initial Catalog=DB;User ID=sa;Password='p;w}d'",
                     {"SQLite3", "FreeTDS"}),
              "DRIVER={FreeTDS};SERVER={erp-db};PORT=1433;TDS_Version=7.4;ClientCharset=UTF-8;DATABASE={DB};UID={sa};"
              "PWD={p;w}}d};");
    // KORVANE_ODBC_DRIVER wins over what is listed.
    EXPECT_EQ(mapped("Provider=SQLOLEDB;Data Source=h;User ID=u;Password=x", {"ODBC Driver 18 for SQL Server"},
                     "FreeTDS"),
              "DRIVER={FreeTDS};SERVER={h};PORT=1433;TDS_Version=7.4;ClientCharset=UTF-8;UID={u};PWD={x};");
    const Error none = raised([] { mapped(kHostString, {"SQLite3"}); });
    EXPECT_EQ(none.number(), 3706);
    EXPECT_NE(none.description().find("KORVANE_ODBC_DRIVER"), std::string::npos);
}

TEST(OdbcConnectionString, OdbcStringsPassThroughAndWindowsLogonIsRefused) {
    const std::string odbc = "DRIVER={SQLite3};Database=/tmp/a.db;NoCreat=1";
    EXPECT_TRUE(wants_odbc(parse_connection_string(odbc)));
    EXPECT_EQ(mapped(odbc, {}), odbc);
    EXPECT_EQ(mapped("Provider=MSDASQL;DSN=erp;UID=u", {}), "DSN=erp;UID=u;");
    EXPECT_FALSE(wants_odbc(parse_connection_string("Provider=SQLite;Data Source=/tmp/a.db")));
    EXPECT_FALSE(wants_odbc(parse_connection_string("Data Source=/tmp/a.db")));

    for (const char* sspi : {"Integrated Security=SSPI", "Trusted_Connection=yes"}) {
        const Error e = raised([&] {
            open_driver(std::string("Provider=SQLOLEDB;Data Source=erp-db;Initial Catalog=DB;") + sspi);
        });
        EXPECT_EQ(e.number(), err::kProvider);
        EXPECT_NE(e.description().find("Windows logon"), std::string::npos) << e.description();
    }
}

TEST(OdbcConnectionString, PasswordIsBlankedWhereverItShows) {
    const Pairs pairs = parse_connection_string("UID=sa;PWD={s3cr;et}");
    EXPECT_EQ(without_password("login s3cr;et failed for {s3cr;et}", pairs), "login *** failed for ***");
}

// A server takes a batch whole, so a variable declared in its first statement
// is there in the last; only the SQLite driver's batches are cut, and translated.
TEST(OdbcBatchPlan, ServersGetTheBatchAsWrittenOnlyTheSqliteDriverCutsIt) {
    const std::string batch = "declare @n int set @n = (select count(*) from dbo.CurrentStock)"
                              " select @n as n, isnull(cFree1, N'') from dbo.CurrentStock";
    // Microsoft's driver and FreeTDS both report this name.
    EXPECT_EQ(batch_statements(dialect_of("Microsoft SQL Server"), batch), std::vector<std::string>{batch});
    EXPECT_TRUE(batch_statements(dialect_of("Microsoft SQL Server"), " \r\n\t").empty());
    EXPECT_EQ(dialect_of("sqlite"), Dialect::kSqlite);
    EXPECT_EQ(batch_statements(dialect_of("SQLite"), "create table T (a int) insert into dbo.T values (1)"
                                                     " select isnull(a, 0) from [dbo].T"),
              (std::vector<std::string>{"create table T (a int)", "insert into T values (1)",
                                        "select IFNULL(a, 0) from T"}));
}

bool installed(const std::string& name) {
    for (const auto& d : installed_drivers())
        if (d == name) return true;
    return false;
}

// Each wrong connection names what was wrong and never shows the password.
TEST(OdbcConnectionErrors, MissingDriverBadServerAndBadFileAreNamedWithoutThePassword) {
    const std::string secret = "Zq9-secret";
    const Error missing = raised([&] { open_driver("DRIVER={No Such Driver 9};SERVER=h;UID=sa;PWD=" + secret); });
    EXPECT_EQ(missing.number(), 3706);
    EXPECT_NE(missing.description().find("\"No Such Driver 9\" is not installed"), std::string::npos)
        << missing.description();
    EXPECT_EQ(missing.description().find(secret), std::string::npos);

    if (!installed("FreeTDS")) GTEST_SKIP() << "FreeTDS is not installed";
    // Nothing listens on port 9 of this machine.
    const Error refused = raised([&] {
        open_driver("DRIVER={FreeTDS};SERVER=127.0.0.1;PORT=9;TDS_Version=7.4;DATABASE=db;UID=sa;PWD=" + secret);
    });
    EXPECT_EQ(refused.number(), err::kProvider);
    EXPECT_NE(refused.description().find("SERVER=127.0.0.1"), std::string::npos) << refused.description();
    EXPECT_EQ(refused.description().find(secret), std::string::npos) << refused.description();

    ::setenv("KORVANE_ODBC_DRIVER", "FreeTDS", 1);
    const Error unknown = raised([&] {
        open_driver("Provider=SQLOLEDB;Data Source=no-such-host.invalid;Initial Catalog=db;User ID=sa;Password=" +
                    secret);
    });
    ::unsetenv("KORVANE_ODBC_DRIVER");
    EXPECT_NE(unknown.description().find("SERVER=no-such-host.invalid"), std::string::npos) << unknown.description();
    EXPECT_EQ(unknown.description().find(secret), std::string::npos) << unknown.description();
}

}  // namespace
}  // namespace korvane::ado::odbc
