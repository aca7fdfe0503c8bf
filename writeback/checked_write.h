// The checked write: an issue line written back to its receipt line or
// current-stock row by one conditional statement, which changes the row only
// while the row still holds what the line takes. The check and the write are
// one statement, so two workstations saving at once can never together issue
// more than the row holds, and no transaction is needed: a refused statement
// changed nothing, and the rows it changed say which it was.
//
// An issue adds to the receipt line's issued amounts (iSOutQuantity,
// iSOutNum) or takes from the stock row's balance (iQuantity, iNum). The
// pieces are checked unless the inventory skips its piece check.
#pragma once

#include <string>
#include <vector>

#include "platform/ado/recordset.h"

namespace korvane::writeback {

struct CheckedWrite {
    long rows = 0;          // rows the accepted statements changed
    long refused_line = 0;  // the body line (1-based) that found too little left; 0 for none
    std::string ErrMsg;     // the over-issue message of the refused line
    bool accepted() const { return refused_line == 0; }
};

// The current body line; the rows its statement changed (0: refused, nothing
// written). oInventory may be null: the pieces are then checked.
long CheckedWritLine(std::string& sql, const std::string& sRdsID, const ado::RecordsetPtr& rsHead,
                     const ado::RecordsetPtr& rsBody, const ado::ConnectionPtr& oCon, const ObjectPtr& oInventory,
                     bool bRDorCS);

// Every body line, first to last, line i from the receipt line rds_ids[i]
// (unused for current stock). On a refusal the lines written before it are
// given back, so the voucher as a whole writes nothing.
CheckedWrite CheckedWritCount(std::string& sql, const std::vector<std::string>& rds_ids,
                              const ado::RecordsetPtr& rsHead, const ado::RecordsetPtr& rsBody,
                              const ado::ConnectionPtr& oCon, const ObjectPtr& oInventory, bool bRDorCS);

}  // namespace korvane::writeback
