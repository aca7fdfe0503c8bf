// PositionSet: inventory-position records and the batch-position dialog.
#pragma once

#include <string>

#include "component/dispatch.h"
#include "session/login.h"

namespace korvane::component {

class PositionSet : public Dispatchable {
public:
    PositionSet();
    static std::shared_ptr<PositionSet> create() { return std::make_shared<PositionSet>(); }
    std::string_view type_name() const override { return "PositionSet"; }
    // The class's dispatch table; reading it makes no object.
    static const ClassInfo& info();
    const ClassInfo& class_info() const override { return info(); }

    bool Delete(const ObjectPtr& oInvPos);
    bool Insert(const ObjectPtr& oInvPos);
    bool Update(const ObjectPtr& oInvPos);
    void BatchInvPos(const session::LoginPtr& oLogin, const std::string& StrName, std::string& sReturnWhere);
};

}  // namespace korvane::component
