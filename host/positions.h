// The host's position components: the inventory-position object, the
// position service that keeps position records, the filter dialog of the
// batch-position function and the list service that binds a voucher list.
//
// Positions live in Position (one row per storage place of a warehouse);
// what lies at each place is in InvPositionSum.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "platform/ado/recordset.h"
#include "platform/ui/form.h"
#include "platform/ui/grid.h"
#include "platform/vb/variant.h"

namespace korvane::host {

// One storage place, as the host's voucher windows edit it.
class InvPosition : public Object {
public:
    std::string_view type_name() const override { return "InvPosition"; }
    std::string cPosCode;  // the key
    std::string cPosName;
    std::string cWhCode;   // the warehouse it belongs to
    std::string cPosMemo;
    static std::shared_ptr<InvPosition> create(std::string code, std::string name, std::string warehouse,
                                               std::string memo = {});
};
using InvPositionPtr = std::shared_ptr<InvPosition>;

// Keeps position records. Each operation takes the position object, two
// record sets and a connection the service may use instead of its own (our
// service uses its own when they are empty), and sets `result`: False when
// it refused, with the reason in reason().
class PositionService : public Object {
public:
    std::string_view type_name() const override { return "PositionService"; }
    virtual void Insert(const ObjectPtr& oInvPos, const ado::RecordsetPtr& rs1, const ado::RecordsetPtr& rs2,
                        const ado::ConnectionPtr& con, bool& result) = 0;
    virtual void Update(const ObjectPtr& oInvPos, const ado::RecordsetPtr& rs1, const ado::RecordsetPtr& rs2,
                        const ado::ConnectionPtr& con, bool& result) = 0;
    virtual void Delete(const ObjectPtr& oInvPos, const ado::RecordsetPtr& rs1, const ado::RecordsetPtr& rs2,
                        const ado::ConnectionPtr& con, bool& result) = 0;
    // Why the last operation was refused; "" after one that succeeded.
    virtual const std::string& reason() const = 0;
};
using PositionServicePtr = std::shared_ptr<PositionService>;

// Our service over the account `account` gives (91 when it gives none);
// or over a connection of its own, opened on first use.
PositionServicePtr account_position_service(std::function<ado::ConnectionPtr()> account);
PositionServicePtr account_position_service(const std::string& connection_string);

// What a confirmed filter dialog chose.
class FilterCondition : public Object {
public:
    std::string_view type_name() const override { return "FilterCondition"; }
    // A WHERE condition over Position (columns qualified "Position."); ""
    // when the user left every field empty.
    std::string ConditionText;
};
using FilterConditionPtr = std::shared_ptr<FilterCondition>;

class FilterService : public Object {
public:
    std::string_view type_name() const override { return "FilterService"; }
    // Runs the filter dialog named `filter_name` of a subsystem; 1 when the
    // user confirmed, 0 when cancelled.
    virtual std::int32_t OpenFilter(const std::string& filter_name, const std::string& subsystem,
                                    const ado::ConnectionPtr& con) = 0;
    // The condition of the last confirmed dialog; null before one.
    virtual FilterConditionPtr GetCondition() = 0;
    virtual void Close() = 0;
};
using FilterServicePtr = std::shared_ptr<FilterService>;

// Our filter dialog (frmPositionFilter), shown through `ui`.
FilterServicePtr account_filter_service(ui::UiHost& ui);

// The voucher list a form carries: a grid whose Load asks the service that
// bound it for its rows.
class VoucherListControl : public ui::Grid {
public:
    using ui::Grid::Grid;
    // Fills the list from what it is bound to; nothing when unbound.
    void Load();
    std::function<void(VoucherListControl&)> loader;
};

class VoucherListService : public Object {
public:
    std::string_view type_name() const override { return "VoucherListService"; }
    // The first option: the list shows a line of totals under its rows.
    virtual void put_ShowTotal(bool on) = 0;
    // Binds the voucher list of `form` to the positions of the account
    // behind `con`; `form` may be replaced. The out values: the list's key,
    // its caption and its column count.
    virtual void Init(const std::string& subsystem, const std::string& position_key, const ado::ConnectionPtr& con,
                      std::shared_ptr<ui::Form>& form, std::string& list_key, std::string& caption,
                      std::int32_t& columns) = 0;
    // The condition the bound lists load by (a WHERE over Position; "" all).
    virtual void put_Condition(std::string where) = 0;
    // Binds one more list (a form made after Init).
    virtual void bind(VoucherListControl& list) = 0;
};
using VoucherListServicePtr = std::shared_ptr<VoucherListService>;

VoucherListServicePtr account_voucher_list_service();

// The first voucher list of a form; null when it has none.
VoucherListControl* voucher_list_of(ui::Form& form);

// The statement the voucher list runs for a condition.
std::string position_list_sql(const std::string& where);

}  // namespace korvane::host
