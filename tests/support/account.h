// A fresh, empty account file per test, removed when the test ends.
#pragma once

#include <string>

namespace korvane::testing {

class TestAccount {
public:
    TestAccount();
    ~TestAccount();
    TestAccount(const TestAccount&) = delete;
    TestAccount& operator=(const TestAccount&) = delete;

    const std::string& path() const { return path_; }
    std::string connection_string() const { return "Provider=SQLite;Data Source=" + path_; }

    // Runs statements straight on the file, beside the layer under test.
    void exec(const std::string& sql) const;
    // The first column of the first row as text ("" for none or Null).
    std::string scalar(const std::string& sql) const;

private:
    std::string path_;
};

// The first column of the first row of a query on any database file.
std::string query_scalar(const std::string& path, const std::string& sql);

// A unique file name under $KORVANE_TEST_TMP (or /tmp), the directory created.
std::string temp_path(const std::string& stem);

}  // namespace korvane::testing
