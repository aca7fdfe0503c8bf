// The server driver: an account on SQL Server through unixODBC, beside the
// embedded one.
//
// Statements go to the server as they are written. Against the SQLite ODBC
// driver (which the tests use, as no server runs here) they pass through the
// embedded driver's T-SQL translation first. Rows are fetched in blocks into
// column-wise buffers allocated once per result. Every native call goes
// through one checking helper, which turns the driver's diagnostics into a
// korvane::Error; no error text ever holds the connection's password.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ado/driver.h"
#include "platform/ado/drivers/connection_string.h"

namespace korvane::ado::odbc {

// A connection string for this driver names an ODBC DRIVER, DSN or FILEDSN,
// or one of the server's ADO providers (SQLOLEDB, SQLNCLI*, MSOLEDBSQL*), or
// MSDASQL.
bool wants_odbc(const Pairs& pairs);

// The string handed to SQLDriverConnect. An ODBC string passes through as
// written (less an MSDASQL Provider). An ADO string
//   Provider=SQLOLEDB;Data Source=HOST[,PORT];Initial Catalog=DB;User ID=U;Password=P
// becomes one for `driver` (KORVANE_ODBC_DRIVER), else the first driver in
// `installed` whose name holds "SQL Server", else the first FreeTDS one (with
// a TDS version the server accepts). Integrated security is refused: a Linux
// host has no Windows logon to pass on.
std::string odbc_connection_string(std::string_view connection_string, const Pairs& pairs,
                                   const std::vector<std::string>& installed, const char* driver);

// `text` with the connection string's password, wherever it appears, as ***.
std::string without_password(std::string text, const Pairs& pairs);

// DIALECT: which server a connection reached, from the DBMS name its driver
// reports (SQL_DBMS_NAME): the SQLite ODBC driver, the tests' stand-in, or a
// server, which takes the callers' T-SQL as written.
enum class Dialect { kServer, kSqlite };
Dialect dialect_of(std::string_view dbms);

// What an Execute or a query sends, one SQLExecDirect per element. A server
// gets the batch as written in one call, its results walked with
// SQLMoreResults, so a variable declared in one statement is there in the
// next. The SQLite driver runs only one statement a call: there the batch is
// cut into its statements, each translated. A blank batch sends nothing.
std::vector<std::string> batch_statements(Dialect dialect, std::string_view sql);

// The driver names unixODBC lists; none when the library was built without it.
std::vector<std::string> installed_drivers();

// Connects; raises 3706 naming what is missing when the library was built
// without unixODBC.
std::unique_ptr<DriverConnection> open(std::string_view connection_string, const Pairs& pairs);

}  // namespace korvane::ado::odbc
