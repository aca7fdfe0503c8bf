// A fresh, empty account file per test, removed when the test ends, with
// helpers that insert the rows a scenario needs.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

namespace korvane::testing {

// Free items 1..10; unused ones stay "".
using FreeItems = std::array<std::string, 10>;

struct InventoryRow {
    std::string code;
    std::string name = "测试存货";
    std::string standard;             // cInvStd, the model and size
    std::string class_code;           // cInvCCode
    int group_type = 0;               // 0 single unit, 1 fixed rate, 2 floating rate
    double rate = 0;                  // iChangRate, quantity per piece
    bool batch = false;               // bInvBatch
    bool quality = false;             // bInvQuality
    int mass_days = 0;                // iMassDate, stored only when quality is set
    std::array<bool, 10> free{};      // bFree1..bFree10
    std::string main_unit;            // cComUnitCode
    std::string piece_unit;           // cAssComUnitCode
};

struct StockRow {
    std::string warehouse;
    std::string inventory;
    std::string batch;
    double quantity = 0;
    double pieces = 0;
    FreeItems free{};
    std::string expiry;               // dVDate, "" for Null
    std::string made;                 // dMdate, "" for Null
    int mass_days = 0;                // 0 for Null
};

struct ReceiptLine {
    std::string voucher_code = "0000000001";  // RdRecord.cCode; a head is made per code
    std::string date = "2024-03-01";          // RdRecord.dDate
    std::string warehouse = "01";
    std::string inventory;
    std::string batch;
    double quantity = 0;                      // negative for a red line
    double pieces = 0;
    double issued_quantity = 0;               // iSOutQuantity
    double issued_pieces = 0;                 // iSOutNum
    FreeItems free{};
    std::string expiry;                       // dVDate
    std::string made;                         // dMadeDate
    int mass_days = 0;
    double unit_cost = 0;
};

// An account file opened through the ODBC driver over the SQLite ODBC driver,
// and whether unixODBC lists that driver here (scripts/install-deps installs it).
std::string odbc_sqlite_connection_string(const std::string& path);
bool odbc_sqlite_installed();
// The parameters of a suite that runs on the embedded driver (false) and,
// where the SQLite ODBC driver is installed, through ODBC (true); and their names.
std::vector<bool> through_odbc_too();
std::string driver_name(const ::testing::TestParamInfo<bool>& info);

class TestAccount {
public:
    TestAccount();
    ~TestAccount();
    TestAccount(const TestAccount&) = delete;
    TestAccount& operator=(const TestAccount&) = delete;

    const std::string& path() const { return path_; }
    std::string connection_string() const { return "Provider=SQLite;Data Source=" + path_; }
    // The same file through the ODBC driver over the SQLite ODBC driver.
    std::string odbc_connection_string() const { return odbc_sqlite_connection_string(path_); }

    // Runs statements straight on the file, beside the layer under test.
    void exec(const std::string& sql) const;
    // The first column of the first row as text ("" for none or Null).
    std::string scalar(const std::string& sql) const;

    void add_warehouse(const std::string& code, const std::string& name = "测试仓库",
                       const std::string& department = "") const;
    // Returns the inventory's iId.
    long add_inventory(const InventoryRow& row) const;
    long add_inventory(const std::string& code, int group_type = 0, double rate = 0) const;
    // Returns the new row's AutoID.
    long add_stock(const StockRow& row) const;
    long add_stock(const std::string& warehouse, const std::string& inventory, const std::string& batch,
                   double quantity, double pieces = 0) const;
    // Adds the head of voucher_code when the account has none yet; returns the line's AutoID.
    long add_receipt_line(const ReceiptLine& line) const;
    long add_receipt_line(const std::string& warehouse, const std::string& inventory, const std::string& batch,
                          double quantity, double pieces = 0, double issued_quantity = 0,
                          double issued_pieces = 0) const;

    // Rights and options of the session layer.
    void grant(const std::string& user, const std::string& function_code) const;
    void restrict_rows(const std::string& user, const std::string& kind, const std::string& code,
                       const std::string& right = "W") const;
    void set_option(const std::string& key1, const std::string& key2, const std::string& name,
                    const std::string& value) const;

private:
    std::string path_;
};

// A generated demo account (seed 1) in a temporary file, removed with it.
class DemoAccount {
public:
    explicit DemoAccount(long rows);
    ~DemoAccount();
    DemoAccount(const DemoAccount&) = delete;
    DemoAccount& operator=(const DemoAccount&) = delete;
    const std::string& path() const { return path_; }
    std::string connection_string() const { return "Provider=SQLite;Data Source=" + path_; }
    // The same file through the ODBC driver over the SQLite ODBC driver.
    std::string odbc_connection_string() const { return odbc_sqlite_connection_string(path_); }

private:
    std::string path_;
};

// The first column of the first row of a query on any database file.
std::string query_scalar(const std::string& path, const std::string& sql);

// A unique file name under $KORVANE_TEST_TMP (or /tmp), the directory created.
std::string temp_path(const std::string& stem);

}  // namespace korvane::testing
