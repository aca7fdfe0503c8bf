// The layout of a freshly filled source-document list: Chinese captions for
// the known fields, hidden columns for the rest, user-defined items labelled
// from the account's definitions or hidden when unused. The list's name
// picks the layout, so every generation form shares one procedure.
#pragma once

#include <cstdint>

#include "generation/core/form_services.h"
#include "platform/ado/recordset.h"
#include "platform/ui/grid.h"
#include "platform/ui/lists.h"

namespace korvane::generation::ModuleCtl {

// The source-document grids (lstDdHead, lstDdBody, ...): rs is the record
// set the grid was just filled from. A body list whose flag is set in the
// services' layout state is left as it is. Errors of the grid or of the user-defined items reach the caller.
void SetListLayout(const FormServices& services, ui::Grid& list, const ado::RecordsetPtr& rs);
// The production form's list views (lstParent, lstSub, lstChild); the
// headers are laid out as they stand, rs is not read.
void SetListLayout(const FormServices& services, ui::ListView& list, const ado::RecordsetPtr& rs);

}  // namespace korvane::generation::ModuleCtl
