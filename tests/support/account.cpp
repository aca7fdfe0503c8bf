#include "tests/support/account.h"

#include <sqlite3.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <stdexcept>

#include "schema/account_schema.h"

namespace korvane::testing {

std::string temp_path(const std::string& stem) {
    static std::atomic<int> counter{0};
    const char* dir = std::getenv("KORVANE_TEST_TMP");
    std::filesystem::path base = dir && *dir ? dir : "/tmp";
    std::filesystem::create_directories(base);
    auto p = base / (stem + "-" + std::to_string(::getpid()) + "-" + std::to_string(counter++) + ".db");
    for (const char* ext : {"", "-wal", "-shm"}) std::filesystem::remove(p.string() + ext);
    return p.string();
}

TestAccount::TestAccount() : path_(temp_path("account")) { schema::create_account(path_); }

TestAccount::~TestAccount() {
    std::error_code ec;
    for (const char* ext : {"", "-wal", "-shm"}) std::filesystem::remove(path_ + ext, ec);
}

namespace {
struct Handle {
    sqlite3* db = nullptr;
    explicit Handle(const std::string& path) {
        if (sqlite3_open(path.c_str(), &db) != SQLITE_OK) throw std::runtime_error("cannot open " + path);
        sqlite3_busy_timeout(db, 10000);
    }
    ~Handle() { sqlite3_close(db); }
};
}  // namespace

void TestAccount::exec(const std::string& sql) const {
    Handle h(path_);
    char* m = nullptr;
    if (sqlite3_exec(h.db, sql.c_str(), nullptr, nullptr, &m) != SQLITE_OK) {
        std::string why = m ? m : "";
        sqlite3_free(m);
        throw std::runtime_error("fixture statement failed: " + why + ": " + sql);
    }
}

std::string TestAccount::scalar(const std::string& sql) const { return query_scalar(path_, sql); }

std::string query_scalar(const std::string& path, const std::string& sql) {
    Handle h(path);
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(h.db, sql.c_str(), -1, &st, nullptr) != SQLITE_OK)
        throw std::runtime_error(std::string("fixture query failed: ") + sqlite3_errmsg(h.db));
    std::string out;
    if (sqlite3_step(st) == SQLITE_ROW && sqlite3_column_type(st, 0) != SQLITE_NULL)
        out = reinterpret_cast<const char*>(sqlite3_column_text(st, 0));
    sqlite3_finalize(st);
    return out;
}

}  // namespace korvane::testing
