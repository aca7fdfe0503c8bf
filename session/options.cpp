#include "session/options.h"

#include <algorithm>

#include "platform/vb/ascii.h"
#include "platform/vb/convert.h"
#include "platform/vb/error.h"
#include "session/texts.h"

namespace korvane::session {

namespace {

const std::vector<OptionSet::Member>& system_members() {
    static const std::vector<OptionSet::Member> members = {
        {"QuanDecDgt", Variant(2)},
        {"NumDecDgt", Variant(2)},
        {"ExchRateDecDgt", Variant(2)},
        {"FormatQuanDecString", Variant()},
        {"FormatNumDecString", Variant()},
        {"FormatExchRateDecString", Variant()},
        {"InOutTrace", Variant(texts::kRuleManual)},
        {"BatchOut", Variant(texts::kRuleManual)},
        {"SysVersion", Variant(texts::kIndustrialEdition)},
        {"OverOrder", Variant(false)},
        {"OverDispOut", Variant(false)},
        {"CheckWareInv", Variant(false)},
        {"ShowStockFilter", Variant(true)},
    };
    return members;
}

const std::vector<OptionSet::Member>& stock_members() {
    static const std::vector<OptionSet::Member> members = {
        {"OverOrder", Variant(false)},
        {"CheckWareInv", Variant(false)},
        {"OverDispOut", Variant(false)},
    };
    return members;
}

}  // namespace

bool OptionSet::FoldLess::operator()(std::string_view a, std::string_view b) const {
    return vb::iless_ascii(a, b);
}

const OptionSet::Member* OptionSet::find(std::string_view name) const {
    for (const Member& m : members_) {
        if (vb::iequals_ascii(m.name, name)) return &m;
    }
    return nullptr;
}

bool OptionSet::knows(std::string_view name) const { return find(name) != nullptr; }

bool OptionSet::stored(std::string_view name) const { return values_.find(name) != values_.end(); }

Variant OptionSet::get(std::string_view name) const {
    const Member* m = find(name);
    if (!m) err::raise(err::kNoSuchMember);
    auto it = values_.find(name);
    return it != values_.end() ? it->second : m->default_value;
}

void OptionSet::set(std::string_view name, const Variant& value) {
    const Member* m = find(name);
    if (!m) err::raise(err::kNoSuchMember);
    values_[m->name] = value;
}

bool OptionSet::get_bool(std::string_view name) const { return vb::CBool(get(name)); }
std::int32_t OptionSet::get_long(std::string_view name) const { return vb::CLng(get(name)); }
std::string OptionSet::get_text(std::string_view name) const {
    return vb::text_or_empty(get(name));
}

SystemOptions::SystemOptions() : OptionSet(system_members()) {}

Variant SystemOptions::get(std::string_view name) const {
    // A format nobody stored is the pattern of the matching digits, so an
    // account that only sets QuanDecDgt still formats consistently.
    static constexpr std::pair<const char*, const char*> kFormats[] = {
        {"FormatQuanDecString", "QuanDecDgt"},
        {"FormatNumDecString", "NumDecDgt"},
        {"FormatExchRateDecString", "ExchRateDecDgt"},
    };
    const Member* m = find(name);
    if (m && !stored(name)) {
        for (const auto& [format, digits] : kFormats)
            if (std::string_view(m->name) == format) return Variant(vb::decimals_pattern(get_long(digits)));
    }
    return OptionSet::get(name);
}

StockOptions::StockOptions() : OptionSet(stock_members()) {}

}  // namespace korvane::session
