// The one check on values a host or a record set hands in before they are
// concatenated into a statement. Texts stand between single quotes without
// escaping, as the statements are written, so a valid value leaves the text
// byte for byte as it was; a value that would close its quotes, or an id or
// amount that is no plain number, is refused before anything runs.
#pragma once

#include <string>
#include <string_view>

namespace korvane::ado {

// The message of every refusal, followed by the value in 「」.
inline constexpr const char* kBadStatementValue = "值不能用于SQL语句：";

// `value` unchanged; raises 5 (invalid argument) with kBadStatementValue when
// it holds a quote or a NUL.
const std::string& quoted_text(const std::string& value);
// `value` unchanged when it is a plain decimal number (optional sign, digits,
// one point, an optional exponent); raises 5 likewise for anything else.
const std::string& numeric_text(const std::string& value);
// The largest magnitude an amount may have: beyond it a quantity loses its
// millionths in a Double, and the allocation's micro-units overflow.
inline constexpr double kMaxAmount = 9.0e12;
// `amount` unchanged when finite and within kMaxAmount; raises 6 (overflow).
double checked_amount(double amount);

}  // namespace korvane::ado
