// The layout of a freshly filled source-document list: Chinese captions for
// the known fields, hidden columns for the rest, user-defined items labelled
// from the account's definitions or hidden when unused. The list's name
// picks the layout, so every generation form shares one procedure.
#pragma once

#include <cstdint>

#include "platform/ado/recordset.h"
#include "platform/ui/grid.h"
#include "platform/ui/lists.h"

namespace korvane::generation::ModuleCtl {

// Module-wide layout state, read and cleared by the forms.
extern std::int16_t LayoutColumn;  // the column being laid out
extern std::int32_t WhNameCol;     // columns of cwhname, cwhcode and the line id
extern std::int32_t WhCodeCol;     //   in the last body list laid out
extern std::int32_t IdCol;
extern bool BodyLaidOutA;  // lstDhdBody, lstFhdBody or lstCldBody has been laid out
extern bool BodyLaidOutB;  // lstDdBody or lstZjdBody has been laid out

// The source-document grids (lstDdHead, lstDdBody, ...): rs is the record
// set the grid was just filled from. A body list whose flag is set is left
// as it is. Errors of the grid or of the user-defined items reach the caller.
void SetListLayout(ui::Grid& list, const ado::RecordsetPtr& rs);
// The production form's list views (lstParent, lstSub, lstChild); the
// headers are laid out as they stand, rs is not read.
void SetListLayout(ui::ListView& list, const ado::RecordsetPtr& rs);

// Back to the state of a fresh process (both flags clear, no columns).
void ResetLayoutState();

}  // namespace korvane::generation::ModuleCtl
