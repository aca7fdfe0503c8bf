// The demo account's settings for generating purchase receipts and sales
// issues: which line columns take typing, the warehouses each inventory is
// registered for, and the values of the free items.
#pragma once

#include <string>

namespace korvane::schema {

// Fills the settings tables of a freshly generated account file.
void fill_generation_settings(const std::string& path);

}  // namespace korvane::schema
