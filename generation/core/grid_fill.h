// Filling the source-document lists straight from record sets: the grids of
// the purchase and sales forms, the list views of the production form, the
// grid column of a field and Null with a default.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "generation/core/form_services.h"
#include "platform/ado/recordset.h"
#include "platform/ui/grid.h"
#include "platform/ui/lists.h"
#include "platform/vb/variant.h"

namespace korvane::generation::ModuleCtl {

// Fills a grid column-for-field: column 0 the mark ("Y" when bMark), field k
// in column k + 1, and in lstDhdBody, lstDdBody and lstFhdBody four computed
// columns after the fields (remaining quantity and pieces, this time's
// quantity and pieces). The list is rebuilt unless bAppend finds rows to add
// below; bInPlace writes into the current row instead. rsStock, when given,
// moves with rs and gives each row this time's amounts. Decimals come from
// the services' session options.
//
// Never raises: a cell whose value cannot be had stays empty and the fill
// goes on. Redraw is off while it runs and on afterwards. Every row's texts
// are written during the fill: a source list is soon read whole (marked,
// confirmed), and closing or changing rs afterwards does not change it.
void FillSourceGrid(const FormServices& services, const ado::RecordsetPtr& rs, ui::Grid& list, bool bMark,
                    bool bAppend = false, const ado::RecordsetPtr& rsStock = nullptr, bool bInPlace = false);

// Refills a report-style list view: one header per field, one item per
// record keyed "k" + its first value, every item checked as bCheck says,
// every header `width` twips wide when given. Errors reach the caller.
void FillListView(const FormServices& services, const ado::RecordsetPtr& rs, ui::ListView& list, bool bCheck,
                  std::optional<int> width = std::nullopt);

// The grid column that shows a field: "iquantity" and "inum" are this
// time's quantity and pieces (cols - 2, cols - 1), any other name its field
// position + 1, 0 when rs has no such field.
std::int32_t GetColumnIndex(const std::string& name, const ado::RecordsetPtr& rs, long cols);

// The value, or default_value when the value is Null.
Variant NvlValue(const Variant& value, const Variant& default_value);

}  // namespace korvane::generation::ModuleCtl
