#include "session/shared_helper.h"

#include "platform/vb/convert.h"

namespace korvane::session {

bool SharedHelper::IsBlank(std::string_view text) const {
    return text.find_first_not_of(' ') == std::string_view::npos;
}

bool SharedHelper::IsBlank(const Variant& v) const {
    if (v.is_empty() || v.is_null()) return true;
    if (v.is_string()) return IsBlank(v.str());
    return false;
}

Variant SharedHelper::NullSafe(const Variant& v) const { return v.is_null() ? Variant() : v; }

Variant SharedHelper::FieldValue(const ado::Recordset& rs, std::string_view field) const {
    return NullSafe(rs.Fields(Variant(field)).Value());
}

std::string SharedHelper::FieldText(const ado::Recordset& rs, std::string_view field) const {
    return vb::CStr(FieldValue(rs, field));
}

ado::RecordsetPtr SharedHelper::CopyRecordset(const ado::Recordset& rs) const { return rs.copy_detached(true); }

std::string SharedHelper::FormatNumber(const Variant& v, int decimals) const {
    return FormatNumber(v, vb::decimals_pattern(decimals));
}

std::string SharedHelper::FormatNumber(const Variant& v, std::string_view pattern) const {
    if (IsBlank(v)) return {};
    return vb::Format(v, pattern);
}

std::shared_ptr<ErrorInfoObject> SharedHelper::GetErrorInfo() {
    if (!error_info_) error_info_ = std::make_shared<ErrorInfoObject>();
    return error_info_;
}

}  // namespace korvane::session
