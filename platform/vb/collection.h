// VB's Collection: 1-based, optional text keys compared case-insensitively,
// items are Variants. A missing key or index raises error 5.
#pragma once

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/vb/variant.h"

namespace korvane {

class Collection : public Object {
public:
    std::string_view type_name() const override { return "Collection"; }

    // before/after: a 1-based index or a key (Variant Empty = not given); at most one.
    void Add(const Variant& item, const Variant& key = {}, const Variant& before = {}, const Variant& after = {});
    // By 1-based index (a number) or key (a text).
    const Variant& Item(const Variant& index_or_key) const;
    Variant& Item(const Variant& index_or_key);
    void Remove(const Variant& index_or_key);
    long Count() const noexcept { return static_cast<long>(items_.size()); }
    bool Exists(std::string_view key) const;

    // The key an item was added with ("" when none), 1-based like Item.
    const std::string& KeyAt(long index) const;

    auto begin() const { return items_.begin(); }
    auto end() const { return items_.end(); }

private:
    std::size_t position_of(const Variant& index_or_key) const;  // 0-based, raises 5
    void reindex_keys();

    std::vector<Variant> items_;
    std::vector<std::string> keys_;                            // as given, parallel to items_
    std::unordered_map<std::string, std::size_t> by_key_;      // folded key -> position
};

}  // namespace korvane
