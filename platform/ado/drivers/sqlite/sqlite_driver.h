// The embedded driver: an account file (or :memory:) opened through SQLite.
//
// Each connection that can write runs in WAL mode (readers never wait for the writer), waits
// up to 10 s for a lock before giving up, and has its own empty temporary
// database attached as tempdb, the way the server gives each session its own
// temporary objects. Statements arrive as T-SQL and pass through translate_batch
// first. Every native call goes through one checking helper, which turns a
// failure into a korvane::Error (E_FAIL, SQLite's own text and the statement,
// the result code as native code).
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ado/driver.h"

struct sqlite3;

namespace korvane::ado::sqlite {

// How the file is opened: an existing file for reading and writing (read
// only when it cannot be written), an existing file for reading only, or a
// file created when missing (only an account's creation asks for that).
enum class OpenMode { kReadWrite, kRead, kCreate };

// "YYYY-MM-DD[ HH:MM[:SS[.fff]]]" (or '/' between the date's parts, 'T'
// before the time) or a time alone, as an OLE date; nothing for other text.
std::optional<double> parse_date_text(std::string_view text);

// Whether a translated statement reads rows (SELECT, WITH, VALUES, PRAGMA,
// EXPLAIN after blanks, comments and opening parentheses).
bool looks_like_query(std::string_view sql);

// What every prepared statement checks before it runs: its connection is
// open (3704) and it is given one value per parameter (3001).
void check_statement_call(bool open, std::size_t given, std::size_t takes);

// Appends " (in statement 2 of 3: SQL)" to an error text, the statement cut
// to its first 400 bytes (whole characters).
void append_where(std::string& text, const char* doing, std::size_t index, std::size_t count, std::string_view sql);

// What a batch with no row-returning statement gives: no columns, no rows.
class EmptyReader final : public RowReader {
public:
    const std::vector<ColumnInfo>& columns() const override { return columns_; }
    bool next(Variant*) override { return false; }

private:
    std::vector<ColumnInfo> columns_;
};

// The ADO type a column declared as `declared` ("nvarchar(20)", "decimal(20,
// 6)", "money") reads as; nothing for a type the account never declares.
struct DeclaredType {
    int type;
    long size;
    std::uint8_t precision;
    std::uint8_t scale;
};
std::optional<DeclaredType> declared_column_type(const char* declared);

class SqliteConnection final : public DriverConnection {
public:
    // Opens the database file as `mode` says; raises on failure, naming the file.
    explicit SqliteConnection(const std::string& file, OpenMode mode = OpenMode::kReadWrite);
    ~SqliteConnection() override;

    long execute(std::string_view sql) override;
    std::unique_ptr<RowReader> query(std::string_view sql) override;
    std::unique_ptr<DriverStatement> prepare(std::string_view sql) override;
    void begin_transaction() override;
    void commit() override;
    void rollback() override;
    void close() noexcept override;

private:
    sqlite3* db() const;  // raises 3704 once closed

    // Shared with the readers and statements still open, so closing the
    // connection never pulls the database from under a record set being read.
    std::shared_ptr<sqlite3> db_;
    // Statements see the connection closed through this, and refuse to run.
    std::shared_ptr<bool> open_;
};

}  // namespace korvane::ado::sqlite
