#include "platform/ado/statement_values.h"

#include <cctype>
#include <cmath>

#include "platform/vb/error.h"

namespace korvane::ado {

namespace {
[[noreturn]] void refuse(const std::string& value) {
    err::raise(err::kInvalidCall, std::string(kBadStatementValue) + "「" + value + "」");
}

bool digits(std::string_view s, std::size_t& i) {
    const std::size_t start = i;
    while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i]))) ++i;
    return i > start;
}
}  // namespace

const std::string& quoted_text(const std::string& value) {
    if (value.find('\'') != std::string::npos || value.find('\0') != std::string::npos) refuse(value);
    return value;
}

const std::string& numeric_text(const std::string& value) {
    std::string_view s = value;
    std::size_t i = 0;
    if (i < s.size() && (s[i] == '-' || s[i] == '+')) ++i;
    bool whole = digits(s, i);
    bool fraction = false;
    if (i < s.size() && s[i] == '.') {
        ++i;
        fraction = digits(s, i);
    }
    if (!whole && !fraction) refuse(value);
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        ++i;
        if (i < s.size() && (s[i] == '-' || s[i] == '+')) ++i;
        if (!digits(s, i)) refuse(value);
    }
    if (i != s.size()) refuse(value);
    return value;
}

double checked_amount(double amount) {
    if (!std::isfinite(amount) || std::fabs(amount) > kMaxAmount) err::raise(err::kOverflow);
    return amount;
}

}  // namespace korvane::ado
