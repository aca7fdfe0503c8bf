#include "tests/support/account.h"

#include <sqlite3.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <utility>

#include "platform/ado/drivers/odbc/odbc_driver.h"
#include "schema/account_schema.h"
#include "schema/demo_generator.h"

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

std::string odbc_sqlite_connection_string(const std::string& path) {
    return "DRIVER={SQLite3};Database=" + path + ";NoCreat=1;Timeout=10000";
}

bool odbc_sqlite_installed() {
    for (const auto& d : ado::odbc::installed_drivers())
        if (d == "SQLite3") return true;
    return false;
}

std::vector<bool> through_odbc_too() {
    if (odbc_sqlite_installed()) return {false, true};
    return {false};
}

std::string driver_name(const ::testing::TestParamInfo<bool>& info) { return info.param ? "Odbc" : "Embedded"; }

TestAccount::TestAccount() : path_(temp_path("account")) { schema::create_account(path_); }

DemoAccount::DemoAccount(long rows) : path_(temp_path("demo")) {
    schema::DemoOptions o;
    o.path = path_;
    o.rows = rows;
    schema::generate_demo(o);
}

DemoAccount::~DemoAccount() {
    std::error_code ec;
    for (const char* ext : {"", "-wal", "-shm"}) std::filesystem::remove(path_ + ext, ec);
}

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

// A bound value: "" text stays text (keys are '' when unused), Null only on request.
struct Null {};
struct Value {
    enum Kind { kNull, kText, kReal, kInteger } kind;
    std::string text;
    double real = 0;
    long long integer = 0;
    Value(Null) : kind(kNull) {}
    Value(std::string s) : kind(kText), text(std::move(s)) {}
    Value(const char* s) : kind(kText), text(s) {}
    Value(double d) : kind(kReal), real(d) {}
    Value(long long i) : kind(kInteger), integer(i) {}
};

Value text_or_null(const std::string& s) { return s.empty() ? Value(Null{}) : Value(s); }

// Runs one statement with its values bound; the rowid it inserted.
long long run(const std::string& path, const std::string& sql, const std::vector<Value>& values) {
    Handle h(path);
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(h.db, sql.c_str(), -1, &st, nullptr) != SQLITE_OK)
        throw std::runtime_error(std::string("fixture statement failed: ") + sqlite3_errmsg(h.db) + ": " + sql);
    for (std::size_t i = 0; i < values.size(); ++i) {
        int n = static_cast<int>(i + 1);
        const Value& v = values[i];
        switch (v.kind) {
            case Value::kText: sqlite3_bind_text(st, n, v.text.data(), int(v.text.size()), SQLITE_TRANSIENT); break;
            case Value::kReal: sqlite3_bind_double(st, n, v.real); break;
            case Value::kInteger: sqlite3_bind_int64(st, n, v.integer); break;
            case Value::kNull: sqlite3_bind_null(st, n); break;
        }
    }
    int rc = sqlite3_step(st);
    sqlite3_finalize(st);
    if (rc != SQLITE_DONE && rc != SQLITE_ROW)
        throw std::runtime_error(std::string("fixture statement failed: ") + sqlite3_errmsg(h.db) + ": " + sql);
    return sqlite3_last_insert_rowid(h.db);
}

std::string placeholders(int n) {
    std::string s;
    for (int i = 0; i < n; ++i) s += i ? ",?" : "?";
    return s;
}

const char* kFreeColumns = "cFree1,cFree2,cFree3,cFree4,cFree5,cFree6,cFree7,cFree8,cFree9,cFree10";

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

void TestAccount::add_warehouse(const std::string& code, const std::string& name, const std::string& department) const {
    run(path_, "insert into Warehouse (cWhCode, cWhName, cDepCode) values (?,?,?)",
        {code, name, text_or_null(department)});
}

long TestAccount::add_inventory(const InventoryRow& r) const {
    std::vector<Value> v = {r.code,
                            r.name,
                            text_or_null(r.standard),
                            text_or_null(r.class_code),
                            text_or_null(r.main_unit),
                            text_or_null(r.piece_unit),
                            static_cast<long long>(r.group_type),
                            r.group_type ? Value(r.rate) : Value(Null{}),
                            static_cast<long long>(r.batch),
                            static_cast<long long>(r.quality),
                            r.quality ? Value(static_cast<long long>(r.mass_days)) : Value(Null{})};
    for (bool f : r.free) v.push_back(static_cast<long long>(f));
    run(path_,
        "insert into Inventory (cInvCode, cInvName, cInvStd, cInvCCode, cComUnitCode, cAssComUnitCode, iGroupType, "
        "iChangRate, bInvBatch, bInvQuality, iMassDate, bFree1, bFree2, bFree3, bFree4, bFree5, bFree6, bFree7, "
        "bFree8, bFree9, bFree10) values (" +
            placeholders(21) + ")",
        v);
    return std::stol(scalar("select iId from Inventory where cInvCode = '" + r.code + "'"));
}

long TestAccount::add_inventory(const std::string& code, int group_type, double rate) const {
    return add_inventory(InventoryRow{.code = code, .group_type = group_type, .rate = rate});
}

long TestAccount::add_stock(const StockRow& r) const {
    std::vector<Value> v = {r.warehouse, r.inventory, r.batch};
    for (const auto& f : r.free) v.push_back(f);
    v.push_back(r.quantity);
    v.push_back(r.pieces);
    v.push_back(text_or_null(r.expiry));
    v.push_back(text_or_null(r.made));
    v.push_back(r.mass_days ? Value(static_cast<long long>(r.mass_days)) : Value(Null{}));
    return static_cast<long>(run(path_,
                                 std::string("insert into CurrentStock (cWhCode, cInvCode, cBatch, ") + kFreeColumns +
                                     ", iQuantity, iNum, dVDate, dMdate, iMassDate) values (" + placeholders(18) + ")",
                                 v));
}

long TestAccount::add_stock(const std::string& warehouse, const std::string& inventory, const std::string& batch,
                            double quantity, double pieces) const {
    return add_stock(
        StockRow{.warehouse = warehouse, .inventory = inventory, .batch = batch, .quantity = quantity, .pieces = pieces});
}

long TestAccount::add_receipt_line(const ReceiptLine& l) const {
    std::string head = scalar("select ID from RdRecord where cCode = '" + l.voucher_code + "'");
    long long id = head.empty() ? run(path_,
                                      "insert into RdRecord (bRdFlag, cVouchType, cWhCode, dDate, cCode, cMaker) "
                                      "values (1, '01', ?, ?, ?, 'demo')",
                                      {l.warehouse, l.date, l.voucher_code})
                                : std::stoll(head);
    std::vector<Value> v = {id, l.inventory, l.batch, l.quantity, l.pieces, l.issued_quantity, l.issued_pieces};
    for (const auto& f : l.free) v.push_back(f);
    v.push_back(text_or_null(l.expiry));
    v.push_back(text_or_null(l.made));
    v.push_back(l.mass_days ? Value(static_cast<long long>(l.mass_days)) : Value(Null{}));
    v.push_back(l.unit_cost);
    v.push_back(l.unit_cost * l.quantity);
    return static_cast<long>(run(path_,
                                 std::string("insert into RdRecords (ID, cInvCode, cBatch, iQuantity, iNum, "
                                             "iSOutQuantity, iSOutNum, ") +
                                     kFreeColumns +
                                     ", dVDate, dMadeDate, iMassDate, iUnitCost, iPrice) values (" + placeholders(22) +
                                     ")",
                                 v));
}

long TestAccount::add_receipt_line(const std::string& warehouse, const std::string& inventory,
                                   const std::string& batch, double quantity, double pieces, double issued_quantity,
                                   double issued_pieces) const {
    return add_receipt_line(ReceiptLine{.warehouse = warehouse, .inventory = inventory, .batch = batch,
                                        .quantity = quantity, .pieces = pieces, .issued_quantity = issued_quantity,
                                        .issued_pieces = issued_pieces});
}

void TestAccount::grant(const std::string& user, const std::string& function_code) const {
    run(path_, "insert or ignore into Operator (cUserId, cUserName) values (?, ?)", {user, user});
    run(path_, "insert or ignore into OperatorRight (cUserId, cFuncCode) values (?, ?)", {user, function_code});
}

void TestAccount::restrict_rows(const std::string& user, const std::string& kind, const std::string& code,
                                const std::string& right) const {
    run(path_, "insert or ignore into Operator (cUserId, cUserName) values (?, ?)", {user, user});
    run(path_, "update Operator set bAllRows = 0 where cUserId = ?", {user});
    run(path_, "insert into RowAuthority (cUserId, cBusObject, cCode, cRight) values (?,?,?,?)",
        {user, kind, code, right});
}

void TestAccount::set_option(const std::string& key1, const std::string& key2, const std::string& name,
                             const std::string& value) const {
    run(path_, "insert or replace into AccountOption (cKey1, cKey2, cName, cValue) values (?,?,?,?)",
        {key1, key2, name, value});
}

}  // namespace korvane::testing
