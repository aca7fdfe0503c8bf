// ReturnInvSet: the inventory selection dialog's entry and its result.
#pragma once

#include <cstdint>
#include <string>

#include "component/by_ref.h"
#include "component/dispatch.h"
#include "platform/ado/recordset.h"
#include "session/login.h"

namespace korvane::component {

class ReturnInvSet : public Dispatchable {
public:
    ReturnInvSet();
    // Empties the module-wide where-text, whatever other instances live.
    ~ReturnInvSet() override;
    static std::shared_ptr<ReturnInvSet> create() { return std::make_shared<ReturnInvSet>(); }
    std::string_view type_name() const override { return "ReturnInvSet"; }
    // The class's dispatch table; reading it makes no object.
    static const ClassInfo& info();
    const ClassInfo& class_info() const override { return info(); }

    // The module-wide returned record set.
    ado::RecordsetPtr RecordsetValue() const;
    void put_RecordsetValue(ado::RecordsetPtr rs);
    // ShowMode 0 modeless, 1 modal.
    void frmShow(const session::LoginPtr& oLogin, std::int16_t ShowMode, Ref<std::string> sWhere = {});
};

}  // namespace korvane::component
