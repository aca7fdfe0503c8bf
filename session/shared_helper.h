// SharedHelper: the small conversions every form and shared procedure needs,
// and the error-information object the error handlers read.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "platform/ado/recordset.h"
#include "platform/vb/error.h"
#include "platform/vb/variant.h"

namespace korvane::session {

// What an error handler reads of the error being handled.
class ErrorInfoObject : public Object {
public:
    std::string_view type_name() const override { return "ErrorInfo"; }
    // The error in flight; call only inside a catch block (0 and "" outside one).
    ErrorInfo current() const { return ErrorInfo::current(); }
    long Number() const { return current().number; }
    std::string Description() const { return current().description; }
};

class SharedHelper : public Object {
public:
    static std::shared_ptr<SharedHelper> create() { return std::make_shared<SharedHelper>(); }
    std::string_view type_name() const override { return "SharedHelper"; }

    // Empty, Null, or a text of blanks only.
    bool IsBlank(const Variant& v) const;
    bool IsBlank(std::string_view text) const;
    // Null and Empty become Empty, anything else is returned as it is; the
    // field form reads the current record (3265 for an unknown field).
    Variant NullSafe(const Variant& v) const;
    Variant FieldValue(const ado::Recordset& rs, std::string_view field) const;
    // Text of a field with Null as "".
    std::string FieldText(const ado::Recordset& rs, std::string_view field) const;
    // An independent copy bound to no connection: the same fields and the
    // rows of the current view, in view order.
    ado::RecordsetPtr CopyRecordset(const ado::Recordset& rs) const;
    // A number with `decimals` digits after the point ("##0.00" for 2);
    // blank text gives "".
    std::string FormatNumber(const Variant& v, int decimals) const;
    std::string FormatNumber(const Variant& v, std::string_view pattern) const;

    std::shared_ptr<ErrorInfoObject> GetErrorInfo();

private:
    std::shared_ptr<ErrorInfoObject> error_info_;
};

}  // namespace korvane::session
