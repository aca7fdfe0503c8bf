// The host's inventory business object, as far as the components read it.
#pragma once

#include <memory>
#include <string>

#include "platform/ado/connection.h"
#include "platform/vb/variant.h"

namespace korvane::host {

class Inventory : public Object {
public:
    std::string_view type_name() const override { return "Inventory"; }
    virtual const std::string& cInvCode() const = 0;
    // True when the inventory's pieces are not checked against a source row:
    // an inventory kept in one unit has no pieces to compare.
    virtual bool SkipPieceCheck() const = 0;
};
using InventoryPtr = std::shared_ptr<Inventory>;

// Loads an inventory from the account; raises 3021 when there is no such code.
InventoryPtr load_inventory(const ado::ConnectionPtr& con, const std::string& code);

}  // namespace korvane::host
