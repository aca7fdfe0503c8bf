#include "writeback/checked_write.h"

#include "host/inventory.h"
#include "platform/vb/error.h"
#include "writeback/texts.h"
#include "writeback/track_set.h"

namespace korvane::writeback {

namespace {

bool checks_pieces(const ObjectPtr& oInventory) {
    if (!oInventory) return true;
    auto inv = std::dynamic_pointer_cast<host::Inventory>(oInventory);
    if (!inv) err::raise(err::kNoSuchMember);
    return !inv->SkipPieceCheck();
}

// An issue adds to what a receipt line has issued and takes from a stock
// row's balance.
bool issue_sign(bool bRDorCS) { return bRDorCS; }

}  // namespace

long CheckedWritLine(std::string& sql, const std::string& sRdsID, const ado::RecordsetPtr& rsHead,
                     const ado::RecordsetPtr& rsBody, const ado::ConnectionPtr& oCon, const ObjectPtr& oInventory,
                     bool bRDorCS) {
    WrittenAmounts amounts;
    BuildWritCount(sql, sRdsID, rsHead, rsBody, bRDorCS, issue_sign(bRDorCS), &amounts);
    // a stock row without key conditions: the statement ends in its bare " where "
    const bool bare = sql.size() >= 7 && sql.compare(sql.size() - 7, 7, texts::kWhere) == 0;
    std::string q_cond = bRDorCS ? texts::kLineHoldsQuantity : texts::kStockHoldsQuantity;
    std::string n_cond = bRDorCS ? texts::kLineHoldsPieces : texts::kStockHoldsPieces;
    if (bare) q_cond.erase(0, 5);
    sql += q_cond + amounts.quantity;
    if (checks_pieces(oInventory)) sql += n_cond + amounts.pieces;
    if (!oCon) err::raise(err::kObjectNotSet);
    return oCon->Execute(sql);
}

CheckedWrite CheckedWritCount(std::string& sql, const std::vector<std::string>& rds_ids,
                              const ado::RecordsetPtr& rsHead, const ado::RecordsetPtr& rsBody,
                              const ado::ConnectionPtr& oCon, const ObjectPtr& oInventory, bool bRDorCS) {
    if (!rsBody) err::raise(err::kObjectNotSet);
    CheckedWrite result;
    auto id = [&rds_ids](long line) {
        return static_cast<std::size_t>(line) <= rds_ids.size() ? rds_ids[static_cast<std::size_t>(line - 1)]
                                                                : std::string();
    };
    long line = 0;
    for (rsBody->MoveFirst(); !rsBody->Eof(); rsBody->MoveNext()) {
        ++line;
        const long changed = CheckedWritLine(sql, id(line), rsHead, rsBody, oCon, oInventory, bRDorCS);
        if (changed > 0) {
            result.rows += changed;
            continue;
        }
        result.refused_line = line;
        result.ErrMsg = bRDorCS ? texts::kOverReceipt : texts::kOverStock;
        // what the earlier lines took goes back, each by one plain statement
        long back = 0;
        std::string undo;
        for (rsBody->MoveFirst(); ++back < line; rsBody->MoveNext())
            WritCountofRD_CS(undo, id(back), rsHead, rsBody, oCon, bRDorCS, !issue_sign(bRDorCS));
        result.rows = 0;
        return result;
    }
    return result;
}

}  // namespace korvane::writeback
