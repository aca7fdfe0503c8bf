#include "host/stock_queries.h"

#include <set>

#include "host/inventory.h"
#include "host/user_define.h"
#include "platform/vb/error.h"

namespace korvane::host {

namespace {

// The free-item columns of `table` the inventory uses, each under what the
// account calls it, ready to lead a select list; and the conditions of the
// free items the line names.
struct FreeParts {
    std::string columns;
    std::string conditions;
};

FreeParts free_parts(const session::PermissionServicePtr& service, const UserDefineFactory& user_define,
                     const std::string& inventory, const std::string& table, const FreeValues& free) {
    FreeParts parts;
    InventoryPtr inv;
    try {
        inv = load_inventory(service->GetConnection(), inventory);
    } catch (const Error&) {
        // An unknown inventory simply has no candidate rows; its free items
        // cannot be named either.
    }
    auto defs = user_define ? user_define() : account_user_define();
    defs->put_Login(service);
    std::set<std::string> taken;
    for (int i = 1; i <= 10; ++i) {
        const std::string column = table + ".cFree" + std::to_string(i);
        if (inv && inv->UsesFree(i)) {
            std::string caption = defs->item(free_item_key(i)).display_name;
            for (char& c : caption)
                if (c == ']' || c == '[') c = '_';
            if (!taken.insert(caption).second) caption += std::to_string(i);
            parts.columns += column + " as [" + caption + "], ";
        }
        const std::string& value = free[static_cast<std::size_t>(i - 1)];
        if (!value.empty()) parts.conditions += " and " + column + " = " + sql_quoted(value);
    }
    return parts;
}

class AccountBatchQueryBuilder : public BatchQueryBuilder {
public:
    AccountBatchQueryBuilder(session::PermissionServicePtr service, UserDefineFactory user_define)
        : service_(std::move(service)), user_define_(std::move(user_define)) {}
    void Init(std::shared_ptr<session::StockOptions> options) override { options_ = std::move(options); }

    std::string GetBatchSql(std::string& sql, const std::string& cWhCode, const std::string& cInvCode,
                            const FreeValues& free, const std::string& cBatch) override {
        FreeParts f = free_parts(service_, user_define_, cInvCode, "CurrentStock", free);
        sql = "select " + f.columns +
              "iQuantity as 结存数量, iNum as 结存件数, CurrentStock.cBatch as 批号, CurrentStock.dVDate as 失效日期, "
              "CurrentStock.iMassDate as 保质期, CurrentStock.dMdate as 生产日期, cast(0 as float) as 出库数量, "
              "cast(0 as float) as 出库件数, " + tail();
        return sql = sql + from(cWhCode, cInvCode, f, cBatch);
    }

    std::string GetStockCountSql(std::string& sql, const std::string& cWhCode, const std::string& cInvCode,
                                 const FreeValues& free, const std::string& cBatch) override {
        FreeParts f = free_parts(service_, user_define_, cInvCode, "CurrentStock", free);
        sql = "select " + f.columns +
              "CurrentStock.cBatch as 批号, CurrentStock.dVDate as 失效日期, CurrentStock.iMassDate as 保质期, "
              "CurrentStock.dMdate as 生产日期, iQuantity as 账面数量, iNum as 账面件数, cast(0 as float) as 盘点数量, "
              "cast(0 as float) as 盘点件数, " + tail();
        return sql = sql + from(cWhCode, cInvCode, f, cBatch);
    }

private:
    static std::string tail() {
        return "CurrentStock.cWhCode as 仓库编码, CurrentStock.cInvCode as 存货编码, CurrentStock.AutoID as 现存量编号";
    }
    static std::string from(const std::string& wh, const std::string& inv, const FreeParts& f,
                            const std::string& batch) {
        std::string s = " from CurrentStock Where CurrentStock.cWhCode = " + sql_quoted(wh) +
                        " and CurrentStock.cInvCode = " + sql_quoted(inv) + " and CurrentStock.bStopFlag = 0" +
                        f.conditions;
        if (!batch.empty()) s += " and CurrentStock.cBatch = " + sql_quoted(batch);
        return s + " order by CurrentStock.AutoID";
    }

    session::PermissionServicePtr service_;
    UserDefineFactory user_define_;
    std::shared_ptr<session::StockOptions> options_;
};

class AccountReceiptLineQueryBuilder : public ReceiptLineQueryBuilder {
public:
    AccountReceiptLineQueryBuilder(session::PermissionServicePtr service, UserDefineFactory user_define)
        : service_(std::move(service)), user_define_(std::move(user_define)) {}
    void Init(std::shared_ptr<session::StockOptions> options) override { options_ = std::move(options); }

    std::string GetReceiptLineSql(std::string& sql, const std::string& cWhCode, const std::string& cInvCode,
                                  const FreeValues& free, const std::string& cCode,
                                  const std::string& cbatch) override {
        FreeParts f = free_parts(service_, user_define_, cInvCode, "RdRecords", free);
        sql = "select " + f.columns +
              "abs(RdRecords.iQuantity) - RdRecords.iSOutQuantity as 结存数量, "
              "abs(RdRecords.inum) - RdRecords.iSOutNum as 结存件数, RdRecords.iQuantity as 入库数量, "
              "RdRecords.iNum as 入库件数, RdRecords.iSOutQuantity as 累计出库数量, RdRecords.iSOutNum as 累计出库件数, "
              "cast(0 as float) as 出库数量, cast(0 as float) as 出库件数, RdRecord.cCode as 入库单号, "
              "RdRecord.dDate as 入库日期, RdRecords.cBatch as 批号, RdRecords.dVDate as 失效日期, "
              "RdRecords.iMassDate as 保质期, RdRecords.dMadeDate as 生产日期, RdRecord.cWhCode as 仓库编码, "
              "RdRecords.cInvCode as 存货编码, RdRecords.cPosition as 货位, mainbatch.rdid as 入库系统编号, "
              "null as 出库系统编号" +
              lines(cInvCode, cbatch, f) +
              " Where RdRecord.bRdFlag = 1 and RdRecord.cWhCode = " + sql_quoted(cWhCode) +
              " and RdRecords.iQuantity > 0 and abs(RdRecords.iQuantity) - RdRecords.iSOutQuantity > 0";
        if (!cCode.empty()) sql += " and RdRecord.cCode = " + sql_quoted(cCode);
        return sql += " order by RdRecord.dDate, RdRecords.AutoID";
    }

    std::string GetRedReceiptLineSql(std::string& sql, const std::string& cWhCode, const std::string& cInvCode,
                                     const FreeValues& free, const std::string& cCode,
                                     const std::string& cbatch) override {
        FreeParts f = free_parts(service_, user_define_, cInvCode, "RdRecords", free);
        sql = "select " + f.columns +
              "abs(RdRecords.iQuantity) - abs(RdRecords.iSOutQuantity) as 结存数量, "
              "abs(RdRecords.inum) - abs(RdRecords.iSOutNum) as 结存件数, cast(0 as float) as 退回数量, "
              "cast(0 as float) as 退回件数, RdRecords.iQuantity as 原出库数量, RdRecords.iNum as 原出库件数, "
              "RdRecord.cCode as 出库单号, RdRecord.dDate as 出库日期, ReceiptHead.cCode as 入库单号, "
              "ReceiptHead.dDate as 入库日期, RdRecords.cBatch as 批号, RdRecords.dVDate as 失效日期, "
              "RdRecords.iMassDate as 保质期, RdRecords.dMadeDate as 生产日期, RdRecords.cInvCode as 存货编码, "
              "RdRecords.iTrIds as 入库系统编号, mainbatch.rdid as 出库系统编号" +
              lines(cInvCode, cbatch, f) +
              " left join RdRecords ReceiptLine on ReceiptLine.AutoID = RdRecords.iTrIds"
              " left join RdRecord ReceiptHead on ReceiptHead.ID = ReceiptLine.ID"
              " Where RdRecord.bRdFlag = 0 and RdRecord.cWhCode = " + sql_quoted(cWhCode) +
              " and RdRecords.iQuantity > 0 and abs(RdRecords.iQuantity) - abs(RdRecords.iSOutQuantity) > 0";
        if (!cCode.empty()) sql += " and ReceiptHead.cCode = " + sql_quoted(cCode);
        return sql += " order by RdRecord.dDate desc, RdRecords.AutoID desc";
    }

private:
    // The lines of the inventory, narrowed in the inner query where the
    // index on (cInvCode, cBatch) serves; its lower-case "where" is not the
    // condition keyword the scratch rewriting looks for.
    static std::string lines(const std::string& inv, const std::string& batch, const FreeParts& f) {
        std::string inner = "select RdRecords.AutoID as rdid from RdRecords where RdRecords.cInvCode = " + sql_quoted(inv);
        if (!batch.empty()) inner += " and RdRecords.cBatch = " + sql_quoted(batch);
        inner += f.conditions;
        return " from (" + inner +
               ") mainbatch inner join RdRecords on RdRecords.AutoID = mainbatch.rdid"
               " inner join RdRecord on RdRecord.ID = RdRecords.ID";
    }

    session::PermissionServicePtr service_;
    UserDefineFactory user_define_;
    std::shared_ptr<session::StockOptions> options_;
};

}  // namespace

std::unique_ptr<BatchQueryBuilder> account_batch_query_builder(session::PermissionServicePtr service,
                                                               UserDefineFactory user_define) {
    return std::make_unique<AccountBatchQueryBuilder>(std::move(service), std::move(user_define));
}

std::unique_ptr<ReceiptLineQueryBuilder> account_receipt_line_query_builder(session::PermissionServicePtr service,
                                                                          UserDefineFactory user_define) {
    return std::make_unique<AccountReceiptLineQueryBuilder>(std::move(service), std::move(user_define));
}

}  // namespace korvane::host
