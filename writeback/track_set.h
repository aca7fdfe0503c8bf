// Write-back of issued amounts to the receipt line or current-stock row an
// issue line was taken from, and the check that comes before it.
//
// Both take the module-wide SQL text buffer by reference: the statement is
// built there and executed from there, so the caller can show what ran.
// Errors travel as exceptions; the public class turns them into its message.
#pragma once

#include <string>

#include "host/inventory.h"
#include "platform/ado/recordset.h"

namespace korvane::writeback {

// The amounts of the body line as a statement writes them.
struct WrittenAmounts {
    std::string quantity, pieces;
};

// The statement WritCountofRD_CS runs, built into sql and not run.
void BuildWritCount(std::string& sql, const std::string& sRdsID, const ado::RecordsetPtr& rsHead,
                    const ado::RecordsetPtr& rsBody, bool bRDorCS, bool bIO, WrittenAmounts* written = nullptr);

// Adds (bIO) or subtracts the current body line's iSOutQuantity/iSOutNum on
// the receipt line sRdsID (bRDorCS) or on the current-stock row of the
// line's key. Returns true when the statement ran.
bool WritCountofRD_CS(std::string& sql, const std::string& sRdsID, const ado::RecordsetPtr& rsHead,
                      const ado::RecordsetPtr& rsBody, const ado::ConnectionPtr& oCon, bool bRDorCS,
                      bool bIO = true);

// Leaves the refusal text in ErrMsg when the current body line asks for more
// than the receipt line sRdsID allows; never clears ErrMsg. Returns true.
bool AllowWritCount(std::string& sql, const std::string& sRdsID, const ado::RecordsetPtr& rsHead,
                    const ado::RecordsetPtr& rsBody, const ado::ConnectionPtr& oCon, const ObjectPtr& oInventory,
                    std::string& ErrMsg, bool bRDorCS = true);

}  // namespace korvane::writeback
