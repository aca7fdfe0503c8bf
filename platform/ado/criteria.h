// The parsers behind Recordset::Filter and Recordset::Sort, and the value
// orders they use. Internal to the record-set layer.
//
// A criteria text is compiled once into a flat tree: literals are already
// converted to their field's type and LIKE patterns split at their
// wildcards, so matches() neither parses nor allocates. A Null or Empty field
// value satisfies only `= Null`; every other comparison with it is false.
//
// Both parsers raise 3001 for malformed text (the description names the
// problem and its 1-based character position) and 3265 for an unknown field.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/vb/variant.h"

namespace korvane::ado::detail {

struct ColumnRef {
    int index;  // position in a row
    int type;   // ADO DataTypeEnum
};
// Finds a field by name (the caller folds case); nullopt when there is none.
using ColumnLookup = std::function<std::optional<ColumnRef>(std::string_view name)>;

class Criteria {
public:
    Criteria() = default;

    // No clauses: every row passes.
    bool empty() const noexcept { return nodes_.empty(); }
    // row holds the record's values, indexed by ColumnRef::index. LIKE on a
    // value CStr refuses (a date outside VB's range) raises CStr's error.
    bool matches(const Variant* row) const { return nodes_.empty() || eval(root_, row); }

private:
    friend class CriteriaParser;

    enum class Op : std::uint8_t { Eq, Ne, Lt, Gt, Le, Ge, Like, IsNull, NotNull, And, Or };

    // A LIKE pattern cut at its wildcards; the pieces are ASCII-folded.
    struct Pattern {
        std::string folded;
        std::vector<std::pair<std::uint32_t, std::uint32_t>> pieces;  // offset, length in folded
        bool anchored_start = true;  // no wildcard in front
        bool anchored_end = true;    // no wildcard at the back
    };

    struct Node {
        Op op = Op::And;
        int column = -1;
        std::uint32_t first = 0;  // And/Or: first child in kids_; Like: index in patterns_
        std::uint32_t count = 0;  // And/Or: number of children
        Variant literal;          // comparisons: the value in the field's type
    };

    bool eval(std::uint32_t node, const Variant* row) const;
    bool like(const Pattern& p, const Variant& v) const;

    std::vector<Node> nodes_;
    std::vector<std::uint32_t> kids_;
    std::vector<Pattern> patterns_;
    std::uint32_t root_ = 0;
};

// "field op value [AND|OR ...]" with parentheses; blank text gives an empty Criteria.
Criteria parse_criteria(std::string_view text, const ColumnLookup& lookup);

struct SortKey {
    int column;  // ColumnRef::index
    bool descending;
};
// "a, b DESC, [c] ASC"; blank text gives no keys.
std::vector<SortKey> parse_sort(std::string_view text, const ColumnLookup& lookup);

// Null and Empty first (equal to each other), then numbers (Boolean, Currency
// and Date included) by value, then text case-insensitively (ASCII folding,
// bytes otherwise); a number against a numeric text compares as numbers,
// else the number comes first. Objects come last.
int compare_values(const Variant& a, const Variant& b) noexcept;
// The order Sort uses: compare_values made a strict weak order for any mix
// of values, as a sort needs. Numbers compare by their exact value (as
// Doubles, 2^53 + 1 would equal 2^53 + 0.0 which equals 2^53), and every
// number comes before every text, numeric or not.
int sort_order(const Variant& a, const Variant& b) noexcept;

}  // namespace korvane::ado::detail
