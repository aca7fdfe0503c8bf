// The parsers behind Recordset::Filter and Recordset::Sort, and the value
// order both share. Internal to the record-set layer.
//
// A criteria text is compiled once into a small tree whose literals are
// already converted to their field's type, so evaluating it per row neither
// parses nor allocates.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string_view>
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
    struct Node;
    Criteria();
    ~Criteria();
    Criteria(Criteria&&) noexcept;
    Criteria& operator=(Criteria&&) noexcept;

    bool matches(const Variant* row) const;
    bool empty() const noexcept { return root_ == nullptr; }

private:
    friend Criteria parse_criteria(std::string_view, const ColumnLookup&);
    std::unique_ptr<Node> root_;
};

// "field op value [AND|OR ...]" with parentheses; "" gives an empty Criteria.
// Raises 3001 for malformed text, 3265 for an unknown field.
Criteria parse_criteria(std::string_view text, const ColumnLookup& lookup);

struct SortKey {
    int column;
    bool descending;
};
// "a, b DESC, [c] ASC"; "" gives no keys. Raises 3265 for an unknown field.
std::vector<SortKey> parse_sort(std::string_view text, const ColumnLookup& lookup);

// Null and Empty first, numbers (Boolean, Currency and Date included) by
// value, text case-insensitively (ASCII folding, bytes otherwise); a number
// against a numeric text compares as numbers, else the number comes first.
int compare_values(const Variant& a, const Variant& b) noexcept;

}  // namespace korvane::ado::detail
