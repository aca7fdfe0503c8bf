// Sort keys and the value orders: any key list parses or raises 3001/3265;
// over the values a record set may hold (those the input spells among them)
// the sort order is a strict weak order, or a stable sort misplaces rows, and
// the filter's order is at least antisymmetric.
#include <algorithm>
#include <charconv>
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
using ado::detail::compare_values;
using ado::detail::sort_order;

constexpr const char* kNames[] = {"cInvCode", "iQuantity", "dDate", "[名称]", "名称", "a b"};

std::optional<ColumnRef> lookup(std::string_view name) {
    for (int i = 0; i < static_cast<int>(std::size(kNames)); ++i)
        if (vb::iequals_ascii(name, kNames[i])) return ColumnRef{i, ado::adVariant};
    return std::nullopt;
}

int sign(int v) { return (v > 0) - (v < 0); }

}  // namespace
}  // namespace korvane::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace korvane;
    using namespace korvane::fuzz;
    Input in(data, size);
    std::string_view keys = in.until('\n');
    try {
        (void)ado::detail::parse_sort(keys, lookup);
    } catch (const Error& e) {
        allowed(e, {err::kBadArgs, err::kItemNotFound});
    }

    // The rest gives a few more values: texts, and the numbers they spell.
    std::vector<Variant> values = {Variant(),
                                   Variant::null(),
                                   Variant(true),
                                   Variant(2),
                                   Variant(2.5),
                                   Variant(std::numeric_limits<double>::quiet_NaN()),
                                   Variant(-std::numeric_limits<double>::infinity()),
                                   Variant::currency_scaled(25000),
                                   Variant::date(2.5),
                                   Variant(9007199254740993LL),
                                   Variant("2.5"),
                                   Variant(" 2.5 "),
                                   Variant("abc"),
                                   Variant("ABC"),
                                   Variant("螺栓")};
    while (!in.empty() && values.size() < 24) {
        std::string_view part = in.until('\n');
        values.emplace_back(part);
        double d = 0;
        auto [p, ec] = std::from_chars(part.data(), part.data() + part.size(), d);
        if (ec == std::errc() && p == part.data() + part.size()) values.emplace_back(d);
        std::int64_t scaled = 0;
        auto [q, ec2] = std::from_chars(part.data(), part.data() + part.size(), scaled);
        if (ec2 == std::errc() && q == part.data() + part.size()) values.push_back(Variant::currency_scaled(scaled));
    }
    const std::size_t n = values.size();
    for (std::size_t a = 0; a < n; ++a) {
        check(compare_values(values[a], values[a]) == 0, "a value differs from itself");
        check(sort_order(values[a], values[a]) == 0, "a value sorts apart from itself");
        for (std::size_t b = 0; b < n; ++b) {
            check(sign(compare_values(values[a], values[b])) == -sign(compare_values(values[b], values[a])),
                  "the filter's order is not antisymmetric");
            const int ab = sign(sort_order(values[a], values[b]));
            check(ab == -sign(sort_order(values[b], values[a])), "the sort order is not antisymmetric");
            for (std::size_t c = 0; c < n; ++c) {
                const int bc = sign(sort_order(values[b], values[c]));
                const int ac = sign(sort_order(values[a], values[c]));
                if (ab < 0 && bc < 0) check(ac < 0, "the sort order is not transitive");
                if (ab == 0 && bc == 0) check(ac == 0, "equal values are not transitive");
                if ((ab < 0 && bc == 0) || (ab == 0 && bc < 0)) check(ac < 0, "incomparability is not transitive");
            }
        }
    }
    return 0;
}
