// A demo account of any size with plausible data, the same for the same seed.
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace korvane::schema {

struct DemoOptions {
    std::string path;
    // CurrentStock rows; receipt lines are about half as many, purchase orders
    // and dispatch documents a twentieth, production orders a fortieth.
    long rows = 20000;
    unsigned seed = 1;
    // Called with a progress line now and then when the run takes longer than a second.
    std::function<void(std::string_view)> progress;
};

// The operator the demo account grants every right to (ST0118 among them);
// "clerk" holds the stock rights only and row authority on warehouses 01 and
// 02, department 03 and inventories 1 and 2.
inline constexpr const char* kDemoOperator = "demo";
// The options rows are stored under these keys; key 2 '' holds for every
// year, so a session with the default key 1 reads them whatever its date.
inline constexpr const char* kDemoOptionsKey1 = "001";
inline constexpr const char* kDemoOptionsKey2 = "";
// The receipts lie before this day and part of the batches expire around it:
// a good login date for the demo.
inline constexpr const char* kDemoLoginDate = "2024-12-31";

// Creates the account file (it must not exist) and fills it.
void generate_demo(const DemoOptions& options);

}  // namespace korvane::schema
