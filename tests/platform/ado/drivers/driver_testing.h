// What the driver tests share: a fresh database file per test, rows read into
// plain vectors, and the error a call raised.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ado/driver.h"
#include "platform/vb/error.h"
#include "tests/support/account.h"
#include "tests/support/errors.h"

namespace korvane::ado::testing {

using Rows = std::vector<std::vector<Variant>>;

inline Rows read_all(RowReader& r) {
    Rows rows;
    std::vector<Variant> row(r.columns().size());
    while (r.next(row.data())) rows.push_back(row);
    return rows;
}

inline Rows query(DriverConnection& c, std::string_view sql) { return read_all(*c.query(sql)); }

using korvane::testing::raised;

// A database file of its own, empty (a new database) until the test fills it,
// gone (with its journal files) when the test ends.
class DatabaseFile {
public:
    DatabaseFile() : path_(korvane::testing::temp_path("driver")) { std::ofstream(path_, std::ios::binary); }
    ~DatabaseFile() {
        std::error_code ec;
        for (const char* suffix : {"", "-wal", "-shm"}) std::filesystem::remove(path_ + suffix, ec);
    }
    DatabaseFile(const DatabaseFile&) = delete;
    DatabaseFile& operator=(const DatabaseFile&) = delete;
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

}  // namespace korvane::ado::testing
