// A connection string's key=value pairs, as ADO and ODBC both write them.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace korvane::ado {

using Pairs = std::vector<std::pair<std::string, std::string>>;

// key=value;key=value, blanks around either ignored; a value may be quoted
// with " or ' to hold a ';' (a doubled quote stands for itself). An ODBC value
// in {...} keeps its braces.
Pairs parse_connection_string(std::string_view cs);

// The value of `key` (any case); the last one given wins, as ADO reads it.
const std::string* find_value(const Pairs& pairs, std::string_view key);

}  // namespace korvane::ado
