// The session the form benchmarks run on: the demo operator logged in to a
// bench account with the account's options loaded, and the services a form
// takes. Beside it, for the limit of a raw read, a read-only sqlite3 handle
// on the same file (kept, as the session keeps its connection) and the
// measured query as the driver runs it.
#pragma once

#include <sqlite3.h>

#include <memory>
#include <string>

#include "platform/ado/drivers/sqlite/tsql.h"
#include "platform/ado/recordset.h"
#include "schema/account_schema.h"
#include "schema/demo_generator.h"
#include "session/login.h"
#include "session/options_loader.h"
#include "tests/support/services.h"

namespace korvane::bench {

struct FormSession {
    session::PermissionServicePtr permission = session::PermissionService::create();
    std::unique_ptr<testing::Services> services;
    std::string raw_sql;
    sqlite3* raw_db = nullptr;

    explicit FormSession(const std::string& account) {
        permission->InitFromSession(
            session::AccountLogin::create(schema::account_connection_string(account), schema::kDemoOperator));
        session::load_session_options(permission);
        services = std::make_unique<testing::Services>(permission);
    }
    ~FormSession() { sqlite3_close(raw_db); }
    FormSession(const FormSession&) = delete;
    FormSession& operator=(const FormSession&) = delete;

    // Once the fixture can run it: the query of `measured` read raw on `account`.
    void open_raw(const std::string& account, const ado::RecordsetPtr& measured) {
        raw_sql = ado::sqlite::translate_batch(measured->Source()).front();
        sqlite3_open_v2(account.c_str(), &raw_db, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX, nullptr);
    }
};

}  // namespace korvane::bench
