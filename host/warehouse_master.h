// The host's warehouse master: a warehouse found by what a user typed, and
// the warehouse-inventory correspondence (which inventories a warehouse is
// registered to keep).
#pragma once

#include <memory>
#include <string>

#include "host/business_objects.h"
#include "session/permission_service.h"

namespace korvane::host {

class WarehouseMaster {
public:
    virtual ~WarehouseMaster() = default;
    virtual void put_Login(session::PermissionServicePtr login) = 0;
    // The warehouse whose code, else whose name, is `text`; false when none.
    virtual bool Find(const std::string& text, BusinessItem& warehouse) = 0;
    // True when the inventory is registered for the warehouse.
    virtual bool HasInventory(const std::string& wh_code, const std::string& inv_code) = 0;
};

// Ours over the account's Warehouse and WarehouseInventory tables; names
// are resolved as the warehouse business collection of `business` resolves them.
std::shared_ptr<WarehouseMaster> account_warehouse_master(std::shared_ptr<BusinessObjects> business);

}  // namespace korvane::host
