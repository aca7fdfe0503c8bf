#include "platform/vb/collection.h"

#include <cmath>

#include "platform/vb/ascii.h"
#include "platform/vb/error.h"

namespace korvane {

namespace {

std::string fold(std::string_view s) { return vb::lower_ascii(s); }

}  // namespace

std::size_t Collection::position_of(const Variant& index_or_key) const {
    switch (index_or_key.type()) {
    case VarType::String: {
        auto it = by_key_.find(fold(index_or_key.str()));
        if (it == by_key_.end()) err::raise(err::kInvalidCall);
        return it->second;
    }
    case VarType::Null: err::raise(err::kInvalidNull);
    case VarType::Object: case VarType::Error: err::raise(err::kTypeMismatch);
    default: {
        // Empty reads as index 0, which is out of range like any other bad index
        double d = std::nearbyint(index_or_key.number());
        if (d >= 1 && d <= static_cast<double>(items_.size())) return static_cast<std::size_t>(d) - 1;
        err::raise(err::kInvalidCall);
    }
    }
}

void Collection::reindex_keys() {
    by_key_.clear();
    for (std::size_t i = 0; i < keys_.size(); ++i)
        if (!keys_[i].empty()) by_key_.emplace(fold(keys_[i]), i);
}

void Collection::Add(const Variant& item, const Variant& key, const Variant& before, const Variant& after) {
    // Every check runs before anything changes, so a refused Add leaves the collection as it was.
    if (!before.is_empty() && !after.is_empty()) err::raise(err::kInvalidCall);
    std::string k, folded;
    if (!key.is_empty()) {
        if (key.is_null()) err::raise(err::kInvalidNull);
        if (!key.is_string()) err::raise(err::kTypeMismatch);
        k = std::string(key.str());
        folded = fold(k);
        if (by_key_.count(folded)) err::raise(err::kDuplicateKey);
    }
    std::size_t at = items_.size();
    if (!before.is_empty()) at = position_of(before);
    else if (!after.is_empty()) at = position_of(after) + 1;

    items_.reserve(items_.size() + 1);
    keys_.reserve(keys_.size() + 1);
    if (!k.empty()) by_key_.reserve(by_key_.size() + 1);
    bool keyed = !k.empty();
    items_.insert(items_.begin() + static_cast<std::ptrdiff_t>(at), item);
    keys_.insert(keys_.begin() + static_cast<std::ptrdiff_t>(at), std::move(k));
    if (at + 1 != items_.size())
        for (auto& entry : by_key_)
            if (entry.second >= at) ++entry.second;
    if (keyed) by_key_.emplace(std::move(folded), at);
}

const Variant& Collection::Item(const Variant& index_or_key) const { return items_[position_of(index_or_key)]; }
Variant& Collection::Item(const Variant& index_or_key) { return items_[position_of(index_or_key)]; }

void Collection::Remove(const Variant& index_or_key) {
    std::size_t at = position_of(index_or_key);
    if (!keys_[at].empty()) by_key_.erase(fold(keys_[at]));
    items_.erase(items_.begin() + static_cast<std::ptrdiff_t>(at));
    keys_.erase(keys_.begin() + static_cast<std::ptrdiff_t>(at));
    for (auto& entry : by_key_)
        if (entry.second > at) --entry.second;
}

bool Collection::Exists(std::string_view key) const { return by_key_.count(fold(key)) != 0; }

const std::string& Collection::KeyAt(long index) const {
    if (index < 1 || index > Count()) err::raise(err::kInvalidCall);
    return keys_[static_cast<std::size_t>(index - 1)];
}

}  // namespace korvane
