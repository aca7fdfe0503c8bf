// The host's inventory business object, as far as the components read it.
#pragma once

#include <array>
#include <memory>
#include <string>

#include "platform/ado/connection.h"
#include "platform/vb/variant.h"

namespace korvane::host {

class Inventory : public Object {
public:
    std::string_view type_name() const override { return "Inventory"; }
    virtual const std::string& cInvCode() const = 0;
    virtual const std::string& cInvName() const = 0;
    // How pieces relate to quantity: 0 one unit only, 1 a fixed rate, 2 a
    // rate that varies per voucher line.
    virtual int ConversionKind() const = 0;
    // Quantity per piece of a fixed-rate inventory; 0 when there is none.
    virtual double ChangeRate() const = 0;
    // Whether the inventory uses free item i (1..10); false outside.
    virtual bool UsesFree(int i) const = 0;
    // True when the inventory's pieces are not checked against a source row:
    // an inventory kept in one unit has no pieces to compare.
    virtual bool SkipPieceCheck() const = 0;
};
using InventoryPtr = std::shared_ptr<Inventory>;

// Loads an inventory from the account; raises 3021 when there is no such code.
InventoryPtr load_inventory(const ado::ConnectionPtr& con, const std::string& code);

// A quoted SQL string literal: 'it''s'.
std::string sql_quoted(const std::string& text);

}  // namespace korvane::host
