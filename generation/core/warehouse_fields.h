// The warehouse of a line or of a whole receipt (the receipt-warehouse field
// and the warehouse cells of the body lists), and the reference lists of a
// line's unit and free items. The purchase and sales forms share them.
#pragma once

#include <functional>
#include <string>

#include "generation/core/form_services.h"
#include "generation/core/texts.h"
#include "platform/ado/recordset.h"
#include "platform/ui/controls.h"
#include "platform/ui/grid.h"

namespace korvane::generation::ModuleCtl {

// What a warehouse list offers: the warehouses whose code or name holds the
// typed text (a receipt's field and cells) or every one (an issue line's
// cell), within the operator's warehouses, whose list `rights` introduces.
struct WarehouseOffer {
    bool by_text = true;
    const char* rights = texts::kWarehouseSqlIn;
};

// The warehouse list's query for the typed text.
std::string WarehouseLookupSql(const FormServices& services, const std::string& text,
                               const WarehouseOffer& offer = {});
// Shows the warehouse list; the picked warehouse's name ("" when none was
// picked), its code in sWhCode (left alone when none was).
std::string LookupWarehouse(const FormServices& services, const std::string& text, std::string& sWhCode,
                            const WarehouseOffer& offer = {});

// A body line's 仓库 or 库存单位 cell picked from its reference list; false
// when the column is neither, for the form's own cells.
bool LookupWarehouseOrUnitCell(const FormServices& services, ui::Grid& body, long row, long col,
                               const ado::RecordsetPtr& rs_body, std::string& sWhCode, const WarehouseOffer& offer);

// Resolves a typed warehouse: the text becomes its name and sWhCode its
// code. An unknown one tells the user, runs `refocus` and empties both.
// With CheckWareInv, the inventory of body's current row must be registered
// for it, or the user agrees to go on (No empties both). False when the
// text ends empty or unknown; an empty text is left alone (true).
bool ResolveWarehouse(const FormServices& services, std::string& text, std::string& sWhCode, const ui::Grid& body,
                      const std::function<void()>& refocus);

// The receipt warehouse typed into `field` goes to every line of `body`
// that is tied to no in-voucher and whose warehouse cell is empty or not
// locked (grey).
void ApplyReceiptWarehouse(const FormServices& services, ui::TextBox& field, std::string& sWhCode, ui::Grid& body);

// The unit list of an inventory filtered by the typed text; the picked
// unit's name, "" when none was picked.
std::string LookupUnit(const FormServices& services, const std::string& inventory, const std::string& typed);
// The value list of free item n; the picked value, "" when none was picked.
std::string LookupFreeItem(const FormServices& services, int n, const std::string& typed);

}  // namespace korvane::generation::ModuleCtl
