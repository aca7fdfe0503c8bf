#include "platform/vb/collection.h"

#include <cmath>

#include "platform/vb/error.h"

namespace korvane {

namespace {

constexpr long kDuplicateKey = 457;

std::string fold(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return out;
}

}  // namespace

std::size_t Collection::position_of(const Variant& index_or_key) const {
    if (index_or_key.is_string()) {
        auto it = by_key_.find(fold(index_or_key.str()));
        if (it == by_key_.end()) err::raise(err::kInvalidCall);
        return it->second;
    }
    if (index_or_key.is_number() || index_or_key.is_bool()) {
        double d = std::nearbyint(index_or_key.number());
        if (d >= 1 && d <= static_cast<double>(items_.size())) return static_cast<std::size_t>(d) - 1;
        err::raise(err::kInvalidCall);
    }
    err::raise(index_or_key.is_null() ? err::kInvalidNull : err::kTypeMismatch);
}

void Collection::reindex_keys() {
    by_key_.clear();
    for (std::size_t i = 0; i < keys_.size(); ++i)
        if (!keys_[i].empty()) by_key_.emplace(fold(keys_[i]), i);
}

void Collection::Add(const Variant& item, const Variant& key, const Variant& before, const Variant& after) {
    if (!before.is_empty() && !after.is_empty()) err::raise(err::kInvalidCall);
    std::string k;
    if (!key.is_empty()) {
        if (!key.is_string()) err::raise(err::kTypeMismatch);
        k = std::string(key.str());
        if (by_key_.count(fold(k))) err::raise(kDuplicateKey, "This key is already associated with an element of this collection");
    }
    std::size_t at = items_.size();
    if (!before.is_empty()) at = position_of(before);
    else if (!after.is_empty()) at = position_of(after) + 1;
    items_.insert(items_.begin() + static_cast<long>(at), item);
    keys_.insert(keys_.begin() + static_cast<long>(at), k);
    if (at == items_.size() - 1) {
        if (!k.empty()) by_key_.emplace(fold(k), at);
    } else {
        reindex_keys();
    }
}

const Variant& Collection::Item(const Variant& index_or_key) const { return items_[position_of(index_or_key)]; }
Variant& Collection::Item(const Variant& index_or_key) { return items_[position_of(index_or_key)]; }

void Collection::Remove(const Variant& index_or_key) {
    std::size_t at = position_of(index_or_key);
    items_.erase(items_.begin() + static_cast<long>(at));
    keys_.erase(keys_.begin() + static_cast<long>(at));
    reindex_keys();
}

bool Collection::Exists(std::string_view key) const { return by_key_.count(fold(key)) != 0; }

const std::string& Collection::KeyAt(long index) const {
    if (index < 1 || index > Count()) err::raise(err::kInvalidCall);
    return keys_[static_cast<std::size_t>(index - 1)];
}

}  // namespace korvane
