// The T-SQL the callers write, rewritten into statements SQLite runs.
//
// Pure text in, text out. A batch is cut into statements the way the server
// reads one written without separators: before each top-level IF, CREATE,
// DROP, ALTER, INSERT, UPDATE, DELETE or SELECT that does not continue the
// statement before it (the SELECT of INSERT ... SELECT, of CREATE ... AS
// SELECT, after UNION, or the body of an IF); a CREATE TRIGGER runs to the END
// of its BEGIN, the ';' and statements of its body included. Each statement is
// then rewritten:
//
//   IF EXISTS (SELECT * FROM [tempdb..|dbo.]sysobjects WHERE id = OBJECT_ID(N'x')
//     [AND OBJECTPROPERTY(id, N'IsUserTable') = 1]) DROP TABLE x
//                                     -> DROP TABLE IF EXISTS x
//   IF OBJECT_ID(N'x') IS NOT NULL DROP TABLE x   -> the same
//   ISNULL(        -> IFNULL(          N'text'      -> 'text'
//   [dbo].x, dbo.x -> x                tempdb..x    -> tempdb.x
//   getdate()      -> datetime('now','localtime')
//   SELECT TOP n … -> SELECT … LIMIT n             WITH (NOLOCK) -> dropped
//   COLLATE …_CI_… -> COLLATE NOCASE   COLLATE …_CS_… / …_BIN -> COLLATE BINARY
//   CREATE TABLE text columns without a collation get COLLATE NOCASE, so a
//   scratch table compares its codes as the server's default collation does.
//
// Strings, quoted names and comments are never altered. Whatever the rules do
// not recognise is passed through as written, so SQLite reports it.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace korvane::ado::sqlite {

// The statements of a batch, translated, in order; no separators, no blank
// ends, no empty statements.
std::vector<std::string> translate_batch(std::string_view batch);

// The statements of a batch as written, cut where translate_batch cuts them.
std::vector<std::string> split_batch(std::string_view batch);

}  // namespace korvane::ado::sqlite
