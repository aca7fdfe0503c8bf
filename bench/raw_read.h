// The limit the record-set benchmarks compare with: every column of every
// row of a statement read through the SQLite C API by its storage class,
// nothing kept.
#pragma once

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <cstddef>
#include <string>

namespace korvane::bench {

inline void read_every_value(sqlite3* db, const std::string& sql) {
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db, sql.c_str(), -1, &st, nullptr);
    const int cols = sqlite3_column_count(st);
    double sum = 0;
    std::size_t bytes = 0;
    while (sqlite3_step(st) == SQLITE_ROW)
        for (int c = 0; c < cols; ++c) switch (sqlite3_column_type(st, c)) {
            case SQLITE_INTEGER: sum += double(sqlite3_column_int64(st, c)); break;
            case SQLITE_FLOAT: sum += sqlite3_column_double(st, c); break;
            case SQLITE_TEXT:
                benchmark::DoNotOptimize(sqlite3_column_text(st, c));
                bytes += static_cast<std::size_t>(sqlite3_column_bytes(st, c));
                break;
            default: break;
            }
    sqlite3_finalize(st);
    benchmark::DoNotOptimize(sum);
    benchmark::DoNotOptimize(bytes);
}

}  // namespace korvane::bench
