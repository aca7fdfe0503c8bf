// Accounts of many batch inventories in one warehouse, for the benchmarks
// that allocate stock: warehouse 01 holds `per_item` current-stock batches
// of 10 (5 pieces, a fixed rate of 2) of each of `items` inventories I00000,
// I00001, ..., batches B0000000, B0000001, ... in the order they run out.
// A session on such an account asks the account's batch query builder for
// an inventory's candidate rows, as the issue form does.
#pragma once

#include <sqlite3.h>

#include <cstdio>
#include <functional>
#include <stdexcept>
#include <string>

#include "bench/bench_account.h"
#include "host/stock_queries.h"
#include "schema/account_schema.h"
#include "session/login.h"
#include "session/permission_service.h"

namespace korvane::bench {

inline void check(int rc, sqlite3* db) {
    if (rc != SQLITE_OK && rc != SQLITE_DONE && rc != SQLITE_ROW)
        throw std::runtime_error(std::string("bench account: ") + sqlite3_errmsg(db));
}

// The account `name` as above; `more`, when given, adds its own rows in the
// same transaction.
inline std::string stock_account(const std::string& name, long items, long per_item,
                                 const std::function<void(sqlite3*)>& more = {}) {
    const std::string what = std::to_string(items * per_item) + " current-stock rows";
    return built_once(name, what.c_str(), [&](const std::string& tmp) {
        schema::create_account(tmp);
        sqlite3* db = nullptr;
        check(sqlite3_open(tmp.c_str(), &db), db);
        check(sqlite3_exec(db,
                           "BEGIN; insert into Warehouse (cWhCode, cWhName) values ('01', '原料仓'); "
                           "insert into UserDef values ('20', '自由项1', '颜色');",
                           nullptr, nullptr, nullptr),
              db);
        sqlite3_stmt* inv = nullptr;
        sqlite3_stmt* row = nullptr;
        check(sqlite3_prepare_v2(db,
                                 "insert into Inventory (cInvCode, cInvName, iGroupType, iChangRate, bInvBatch, "
                                 "bInvQuality, iMassDate) values (?, ?, 1, 2, 1, 1, 365)",
                                 -1, &inv, nullptr),
              db);
        check(sqlite3_prepare_v2(db,
                                 "insert into CurrentStock (AutoID, cWhCode, cInvCode, cBatch, iQuantity, iNum, dVDate, "
                                 "dMdate, iMassDate) values (?, '01', ?, ?, ?, ?, ?, ?, 365)",
                                 -1, &row, nullptr),
              db);
        long id = 0;
        for (long i = 0; i < items; ++i) {
            char code[24];
            std::snprintf(code, sizeof code, "I%05ld", i);
            sqlite3_bind_text(inv, 1, code, -1, SQLITE_TRANSIENT);
            sqlite3_bind_text(inv, 2, "基准存货", -1, SQLITE_STATIC);
            check(sqlite3_step(inv), db);
            sqlite3_reset(inv);
            for (long k = 0; k < per_item; ++k) {
                char batch[24], expiry[16], made[16];
                std::snprintf(batch, sizeof batch, "B%07ld", k);
                std::snprintf(made, sizeof made, "2024-%02ld-%02ld", 1 + k % 12, 1 + k % 28);
                std::snprintf(expiry, sizeof expiry, "2025-%02ld-%02ld", 1 + k % 12, 1 + k % 28);
                sqlite3_bind_int64(row, 1, ++id);
                sqlite3_bind_text(row, 2, code, -1, SQLITE_TRANSIENT);
                sqlite3_bind_text(row, 3, batch, -1, SQLITE_TRANSIENT);
                sqlite3_bind_double(row, 4, 10);
                sqlite3_bind_double(row, 5, 5);
                sqlite3_bind_text(row, 6, expiry, -1, SQLITE_TRANSIENT);
                sqlite3_bind_text(row, 7, made, -1, SQLITE_TRANSIENT);
                check(sqlite3_step(row), db);
                sqlite3_reset(row);
            }
        }
        sqlite3_finalize(inv);
        sqlite3_finalize(row);
        if (more) more(db);
        check(sqlite3_exec(db, "COMMIT;", nullptr, nullptr, nullptr), db);
        sqlite3_close(db);
    });
}

// A session on an account, the way a host holds one for a voucher window.
struct StockSession {
    session::LoginPtr login;
    session::PermissionServicePtr permission = session::PermissionService::create();
    explicit StockSession(const std::string& path)
        : login(session::AccountLogin::create("Provider=SQLite;Data Source=" + path, "demo")) {
        permission->InitFromSession(login);
    }
    std::string batch_sql(const std::string& inv) {
        std::string sql;
        return host::account_batch_query_builder(permission)->GetBatchSql(sql, "01", inv, {}, "");
    }
    std::string count_sql(const std::string& inv) {
        std::string sql;
        return host::account_batch_query_builder(permission)->GetStockCountSql(sql, "01", inv, {}, "");
    }
};

}  // namespace korvane::bench
