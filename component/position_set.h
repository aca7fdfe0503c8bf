// PositionSet: inventory-position records and the batch-position dialog.
#pragma once

#include <string>

#include "component/dispatch.h"
#include "host/positions.h"
#include "platform/ui/form.h"
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

    // What the last BatchInvPos left: the filter's result code (1 confirmed)
    // and the form the list service handed back.
    std::int32_t filter_result() const { return filter_result_; }
    const std::shared_ptr<ui::Form>& bound_form() const { return form_; }

private:
    host::PositionServicePtr service_;
    ado::ConnectionPtr connection_;
    host::VoucherListServicePtr lists_;
    host::FilterServicePtr filter_;
    std::int32_t filter_result_ = 0;
    host::FilterConditionPtr condition_;
    std::shared_ptr<ui::Form> form_;
};

}  // namespace korvane::component
