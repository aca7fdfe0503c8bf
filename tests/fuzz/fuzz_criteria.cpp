// Filter criteria: any text compiles or raises 3001 (malformed) or 3265
// (unknown field); a compiled filter runs on rows of every value kind and
// raises at most CStr's overflow, for a date VB cannot show.
#include <cmath>
#include <limits>
#include <optional>
#include <vector>

#include "platform/ado/criteria.h"
#include "platform/ado/types.h"
#include "platform/vb/ascii.h"
#include "tests/fuzz/fuzz_support.h"

namespace korvane::fuzz {
namespace {

using ado::detail::ColumnRef;

struct Column {
    const char* name;
    int type;
};
constexpr Column kColumns[] = {
    {"cInvCode", ado::adVarWChar}, {"cInvName", ado::adVarWChar},   {"iQuantity", ado::adDecimal},
    {"iNum", ado::adInteger},      {"dDate", ado::adDBTimeStamp},  {"bFree", ado::adBoolean},
    {"mPrice", ado::adCurrency},   {"fRate", ado::adDouble},       {"名称", ado::adVarWChar},
    {"vAny", ado::adVariant},      {"sRate", ado::adSingle},       {"tTime", ado::adDBTime},
};
constexpr int kWidth = static_cast<int>(std::size(kColumns));

std::optional<ColumnRef> lookup(std::string_view name) {
    for (int i = 0; i < kWidth; ++i)
        if (vb::iequals_ascii(name, kColumns[i].name)) return ColumnRef{i, kColumns[i].type};
    return std::nullopt;
}

// Rows as a driver or a host may hand them over, the odd ones included.
std::vector<std::vector<Variant>> make_rows() {
    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    std::vector<std::vector<Variant>> rows;
    auto add = [&rows](std::vector<Variant> r) {
        r.resize(kWidth);
        rows.push_back(std::move(r));
    };
    add({Variant("A001"), Variant("不锈钢螺栓 M8"), Variant::decimal(10), Variant(1), Variant::date(45413),
         Variant(true), Variant::currency(12.5), Variant(5.6789e-5), Variant("名"), Variant("x"),
         Variant::single(0.1f), Variant::date(0.5)});
    add({Variant("a002"), Variant("O'Brien 垫片"), Variant::decimal(-2.5), Variant(-2147483647 - 1),
         Variant::date(-700000), Variant(false), Variant::currency_scaled(INT64_MIN), Variant(nan), Variant(),
         Variant(3), Variant::single(-1e30f), Variant::date(-1.25)});
    add({Variant::null(), Variant(), Variant(inf), Variant(9007199254740993LL), Variant::date(3e6), Variant::null(),
         Variant::currency_scaled(INT64_MAX), Variant(-inf), Variant::null(), Variant::date(1e300),
         Variant::single(1e-40f), Variant::date(-657434.5)});
    add({Variant(std::string(300, 'z')), Variant("\xff\xfe\x80"), Variant::decimal(1e-300), Variant::byte(255),
         Variant::date(nan), Variant(), Variant::null(), Variant(-0.0), Variant("12"), Variant::error_value(5),
         Variant(), Variant::date(2958465.99999)});
    return rows;
}

}  // namespace
}  // namespace korvane::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace korvane;
    using namespace korvane::fuzz;
    static const std::vector<std::vector<Variant>> rows = make_rows();
    std::string_view text(reinterpret_cast<const char*>(data), size);
    ado::detail::Criteria criteria;
    try {
        criteria = ado::detail::parse_criteria(text, lookup);
    } catch (const Error& e) {
        allowed(e, {err::kBadArgs, err::kItemNotFound});
        return 0;
    }
    for (const auto& row : rows) {
        try {
            (void)criteria.matches(row.data());
        } catch (const Error& e) {
            allowed(e, {err::kOverflow});
        }
    }
    return 0;
}
