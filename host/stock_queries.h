// The host's candidate queries for stock selection: the current-stock rows
// (batches) and the receipt lines one voucher line may take its stock from.
//
// Every text lists the free items the inventory uses first (named by what
// the account calls them, their base columns cFree1..cFree10), then the
// columns the selection dialog reads, ending in a fixed tail so that the
// balance and allocated columns stand at fixed places from the last column:
//
//   batches        ... 结存数量 结存件数 批号 失效日期 保质期 生产日期
//                      出库数量 出库件数 仓库编码 存货编码 现存量编号
//   stock count    ... 批号 失效日期 保质期 生产日期 账面数量 账面件数
//                      盘点数量 盘点件数 仓库编码 存货编码 现存量编号
//   receipt lines  ... 结存数量 结存件数 入库数量 入库件数 累计出库数量
//                      累计出库件数 出库数量 出库件数 入库单号 入库日期 批号
//                      失效日期 保质期 生产日期 仓库编码 存货编码 货位
//                      入库系统编号 出库系统编号
//   red lines      ... 结存数量 结存件数 退回数量 退回件数 原出库数量
//                      原出库件数 出库单号 出库日期 入库单号 入库日期 批号
//                      失效日期 保质期 生产日期 存货编码 入库系统编号
//                      出库系统编号
//
// The texts are written so the scratch-table rewriting applies: the current
// stock is read from CurrentStock unaliased with its amounts as iQuantity
// and iNum; the receipt lines come through mainbatch.rdid with their amounts
// as abs(RdRecords.iQuantity) and abs(RdRecords.inum); the one condition
// keyword the rewriting may touch is the outer "Where".
#pragma once

#include <array>
#include <memory>
#include <string>

#include "host/user_define.h"
#include "session/options.h"
#include "session/permission_service.h"

namespace korvane::host {

using FreeValues = std::array<std::string, 10>;

class BatchQueryBuilder {
public:
    virtual ~BatchQueryBuilder() = default;
    virtual void Init(std::shared_ptr<session::StockOptions> options) = 0;
    // The candidate current-stock rows of a line: its warehouse and
    // inventory, the free items it names and, when it names one, its batch.
    // Writes the text into `sql` and returns it.
    virtual std::string GetBatchSql(std::string& sql, const std::string& cWhCode, const std::string& cInvCode,
                                    const FreeValues& free, const std::string& cBatch) = 0;
    // The same rows as a stock count lists them (book and counted amounts).
    virtual std::string GetStockCountSql(std::string& sql, const std::string& cWhCode, const std::string& cInvCode,
                                         const FreeValues& free, const std::string& cBatch) = 0;
};

class ReceiptLineQueryBuilder {
public:
    virtual ~ReceiptLineQueryBuilder() = default;
    virtual void Init(std::shared_ptr<session::StockOptions> options) = 0;
    // Receipt lines of the warehouse and inventory with stock left, oldest
    // first; `cCode` (the receipt voucher) and `cbatch` narrow them when given.
    virtual std::string GetReceiptLineSql(std::string& sql, const std::string& cWhCode, const std::string& cInvCode,
                                          const FreeValues& free, const std::string& cCode,
                                          const std::string& cbatch) = 0;
    // For a red line: the earlier issue lines it may return against, with
    // the receipt line each took its stock from, newest first.
    virtual std::string GetRedReceiptLineSql(std::string& sql, const std::string& cWhCode, const std::string& cInvCode,
                                             const FreeValues& free, const std::string& cCode,
                                             const std::string& cbatch) = 0;
};

// Ours, over the account the service's session opens; the free items are
// named through `user_define` (empty: our definitions).
std::unique_ptr<BatchQueryBuilder> account_batch_query_builder(session::PermissionServicePtr service,
                                                               UserDefineFactory user_define = {});
std::unique_ptr<ReceiptLineQueryBuilder> account_receipt_line_query_builder(session::PermissionServicePtr service,
                                                                          UserDefineFactory user_define = {});

}  // namespace korvane::host
