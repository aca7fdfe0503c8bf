// The account database: every host table the components read or write.
//
// Text columns compare case-insensitively (COLLATE NOCASE), as the host
// database's default collation does; dates are kept as 'YYYY-MM-DD' text in
// datetime columns, so that conditions on quoted dates compare as text.
// Stock keys (batch, free items) are '' when unused, never Null, so that a
// key compared with '' finds them.
//
// Inventory.iId is an identity: left Null on insert, the next free id is
// filled in. Row authority on inventories lists these ids, not codes.
//
// Rights and options:
//   Operator (cUserId, cUserName, bAllRows)     bAllRows: no row authority applies
//   OperatorRight (cUserId, cFuncCode)          function rights, e.g. 'ST0118'
//   RowAuthority (cUserId, cBusObject, cCode, cRight)   cBusObject 'warehouse', ...; cRight 'W'/'R'
//   AccountOption (cKey1, cKey2, cName, cValue) option rows per options key pair;
//     cName is the options object's member name, cValue its text
#pragma once

#include <string>
#include <string_view>

namespace korvane::schema {

std::string_view account_ddl();

// The connection string that opens the account file through the embedded driver.
std::string account_connection_string(const std::string& path);

// Creates a fresh account file (WAL journal) holding every table, empty.
// Raises korvane::Error when the file exists or cannot be written, and then
// leaves no file behind.
void create_account(const std::string& path);

}  // namespace korvane::schema
