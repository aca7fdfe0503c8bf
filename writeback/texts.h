// The write-back's own texts: statement pieces and messages, byte for byte.
#pragma once

namespace korvane::writeback::texts {

inline constexpr const char* kReceiptHead = "update RdRecords set ";
// The receipt line's voucher code is assigned to itself: the line's AutoID,
// all the caller gives, is no voucher code, and the statement must still lead
// with an assignment for the pieces below to follow.
inline constexpr const char* kKeepVouchCode = "cVouchCode = cVouchCode";
inline constexpr const char* kSetOutQuantity = ", iSOutQuantity = iSOutQuantity ";
inline constexpr const char* kSetOutNum = ", iSOutNum =  iSOutNum";
inline constexpr const char* kWhereAutoID = " where AutoID = ";

inline constexpr const char* kStockHead = "update CurrentStock set iQuantity = iQuantity ";
inline constexpr const char* kSetNum = ", iNum = iNum ";
inline constexpr const char* kWhere = " where ";
inline constexpr const char* kAnd = " and ";

inline constexpr const char* kReceiptLineQuery = "SELECT *  FROM RdRecords where AutoID =";

// The checked write's conditions: the row must still hold what the line
// takes when the statement runs. A missing amount counts as nothing.
inline constexpr const char* kLineHoldsQuantity = " and abs(iQuantity) - COALESCE(iSOutQuantity, 0) >= ";
inline constexpr const char* kLineHoldsPieces = " and abs(COALESCE(iNum, 0)) - COALESCE(iSOutNum, 0) >= ";
inline constexpr const char* kStockHoldsQuantity = " and COALESCE(iQuantity, 0) >= ";
inline constexpr const char* kStockHoldsPieces = " and COALESCE(iNum, 0) >= ";

inline constexpr const char* kOverReceipt = "出库数大于了入库数量！";
inline constexpr const char* kOverStock = "出库数大于了结存数量！";

}  // namespace korvane::writeback::texts
