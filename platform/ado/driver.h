// What a database driver gives the ADO layer: statements that change data,
// and row readers that fill Variants straight into the record set's storage.
#pragma once

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

class DriverConnection {
public:
    virtual ~DriverConnection() = default;
    // Runs every statement of a batch; the rows changed by all of them.
    virtual long execute(std::string_view sql) = 0;
    // Runs a batch whose last row-returning statement gives the rows.
    virtual std::unique_ptr<RowReader> query(std::string_view sql) = 0;
    virtual void close() noexcept = 0;
};

// "Provider=SQLite;Data Source=FILE" and "Data Source=:memory:" (the default provider).
std::unique_ptr<DriverConnection> open_driver(std::string_view connection_string);

}  // namespace korvane::ado
