// What a database driver gives the ADO layer: statements that change data,
// row readers that fill Variants straight into the record set's storage,
// statements prepared once and run with new parameter values, and
// transactions.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ado/types.h"
#include "platform/vb/variant.h"

namespace korvane::ado {

class RowReader {
public:
    virtual ~RowReader() = default;
    // The result's columns; complete before the first call to next().
    virtual const std::vector<ColumnInfo>& columns() const = 0;
    // Writes one row's values into out[0 .. columns().size()); false at the end.
    virtual bool next(Variant* out) = 0;
};

// One statement with '?' parameters, prepared once. Raises 3704 once its
// connection is closed.
class DriverStatement {
public:
    virtual ~DriverStatement() = default;
    virtual std::size_t parameter_count() const = 0;
    // Runs the statement to its end with values[i] for the (i+1)-th '?'
    // (Empty and Null as NULL, dates as 'YYYY-MM-DD[ HH:MM:SS]' text);
    // the rows it changed. `count` must equal parameter_count().
    virtual long execute(const Variant* values, std::size_t count) = 0;
};

class DriverConnection {
public:
    virtual ~DriverConnection() = default;
    // Runs every statement of a batch; the rows changed by all of them.
    virtual long execute(std::string_view sql) = 0;
    // Runs a batch whose last row-returning statement gives the rows.
    virtual std::unique_ptr<RowReader> query(std::string_view sql) = 0;
    // One statement (after the driver's translation), ready to run many times.
    virtual std::unique_ptr<DriverStatement> prepare(std::string_view sql) = 0;
    // No nesting: beginning inside a transaction, or committing or rolling
    // back outside one, raises the driver's error.
    virtual void begin_transaction() = 0;
    virtual void commit() = 0;
    virtual void rollback() = 0;
    virtual void close() noexcept = 0;
};

// An ODBC string (DRIVER=..., DSN=...) or the server's ADO string
// (Provider=SQLOLEDB;Data Source=HOST;...) opens the ODBC driver; see
// drivers/odbc/odbc_driver.h.
// "Provider=SQLite;Data Source=FILE" and "Data Source=:memory:" (the default provider).
// The file must exist. "Mode=Read" opens it for reading only; "Mode=ReadWrite"
// (the default) for both, or for reading only when it cannot be written;
// "Mode=Create" also creates a missing file, which only an account's creation
// asks for.
std::unique_ptr<DriverConnection> open_driver(std::string_view connection_string);

}  // namespace korvane::ado
