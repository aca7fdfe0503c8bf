// The host's components of production orders and of dispatch lists: the
// write-backs of executed quantities after a voucher was saved, and the
// queries the production generation form lists orders, products and
// materials with.
//
// Every operation takes the connection by reference and may hand back
// another one; a refusal leaves its reason in ErrMsg (an empty ErrMsg is
// success). Database errors travel as exceptions.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/ado/recordset.h"

namespace korvane::host {

class ProductionOrderComponent {
public:
    virtual ~ProductionOrderComponent() = default;

    // Adds a receipt of `quantity` to a product line of a production order
    // (first operation) or of a production plan (second), its inventory
    // checked when `cInvCode` is given.
    virtual bool WriteOrderQuantity(std::int32_t sSubId, const std::string& cInvCode, double quantity,
                                    ado::ConnectionPtr& con, std::string& ErrMsg, const std::string& reserved) = 0;
    virtual bool WritePlanQuantity(std::int32_t sSubId, const std::string& cInvCode, double quantity,
                                   ado::ConnectionPtr& con, std::string& ErrMsg, const std::string& reserved) = 0;
    // Closes (bThrow True) or reopens a product line.
    virtual bool WriteThrow(std::int32_t sSubId, bool bThrow, ado::ConnectionPtr& con, std::string& ErrMsg,
                            const std::string& reserved) = 0;

    // Heads carrying `id`: production plans; production orders (without
    // those fully executed when `leave_out_executed`); the orders of
    // voucher type 39. `where` is ANDed in when not empty.
    virtual ado::RecordsetPtr PlanHeads(const std::string& where, ado::ConnectionPtr& con, std::string& message) = 0;
    virtual ado::RecordsetPtr OrderHeads(const std::string& where, ado::ConnectionPtr& con, bool leave_out_executed,
                                         std::string& message) = 0;
    virtual ado::RecordsetPtr OrderHeads39(const std::string& where, ado::ConnectionPtr& con, bool leave_out_executed,
                                           std::string& message) = 0;
    // The products (keyed `mainid`, with `fquantity`, `citemcode`,
    // `citem_class`) of the head `id`, one operation per kind of head.
    virtual ado::RecordsetPtr PlanProducts(const std::string& id, ado::ConnectionPtr& con, std::string& message) = 0;
    virtual ado::RecordsetPtr OrderProducts(const std::string& id, ado::ConnectionPtr& con, std::string& message) = 0;
    virtual ado::RecordsetPtr OrderProducts39(const std::string& id, ado::ConnectionPtr& con,
                                              std::string& message) = 0;
    // The materials (keyed `subid`) of a product, their quantities scaled
    // from the product's line quantity to `fquantity`; `inventory_scope`
    // is ANDed in when not empty.
    virtual ado::RecordsetPtr Materials(ado::ConnectionPtr& con, double fquantity, const std::string& mainid,
                                        const std::string& inventory_scope, std::string& message) = 0;
};

class DispatchWriteBackComponent {
public:
    virtual ~DispatchWriteBackComponent() = default;
    // Adds an issue of `quantity` and `pieces` to a dispatch line.
    virtual bool WriteOutQuantity(ado::ConnectionPtr& con, std::int32_t sSubId, const std::string& reserved,
                                  double quantity, double pieces, std::string& ErrMsg) = 0;
};

// Ours, over the account's pp_pohead / pp_pomain / pp_pochild and
// DispatchList / DispatchLists.
std::unique_ptr<ProductionOrderComponent> account_production_order_component();
std::unique_ptr<DispatchWriteBackComponent> account_dispatch_write_back_component();

}  // namespace korvane::host
