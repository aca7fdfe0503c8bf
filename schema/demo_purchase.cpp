#include "schema/demo_purchase.h"

#include "platform/ado/connection.h"
#include "schema/account_schema.h"

namespace korvane::schema {

namespace {

struct ColumnRow {
    int kind;
    const char* caption;
    int enabled, reference;
};

// Purchase receipts (57) type their amounts, warehouse, batch and dates but
// pick units and in-voucher numbers from lists; sales issues (5) the same
// with their own amount columns. Shelf life and codes stay locked.
const ColumnRow kColumns[] = {
    {57, "仓库", 1, 0},         {57, "批号", 1, 0},         {57, "入库单号", 1, 1},     {57, "库存单位", 1, 1},
    {57, "生产日期", 1, 0},     {57, "失效日期", 1, 0},     {57, "保质期", 0, 0},       {57, "本次入库数量", 1, 0},
    {57, "本次入库件数", 1, 0}, {57, "存货编码", 0, 0},     {57, "计划到货日期", 0, 0}, {5, "仓库", 1, 0},
    {5, "批号", 1, 1},          {5, "入库单号", 1, 1},      {5, "库存单位", 1, 1},      {5, "生产日期", 0, 0},
    {5, "失效日期", 0, 0},      {5, "保质期", 0, 0},        {5, "本次出库数量", 1, 0},  {5, "本次出库件数", 1, 0},
    {5, "存货编码", 0, 0},
};

const char* kColourValues[][3] = {{"01", "红", "6901001"}, {"02", "蓝", "6901002"}, {"03", "白", "6901003"},
                                  {"04", "黑", "6901004"}, {"05", "灰", "6901005"}};
const char* kGradeValues[][3] = {{"A", "优等", "6903001"}, {"B", "一等", "6903002"}, {"C", "合格", "6903003"}};

}  // namespace

void fill_generation_settings(const std::string& path) {
    ado::Connection account;
    account.Open(account_connection_string(path));
    account.BeginTrans();
    for (const auto& c : kColumns)
        account.Execute("insert into VoucherColumnSet values (" + std::to_string(c.kind) + ", '" + c.caption + "', " +
                        std::to_string(c.enabled) + ", " + std::to_string(c.reference) + ")");
    // Every warehouse holds most inventories; each lacks about one in five,
    // a different fifth per warehouse.
    account.Execute(
        "insert into WarehouseInventory (cWhCode, cInvCode) select Warehouse.cWhCode, Inventory.cInvCode "
        "from Warehouse, Inventory where (Inventory.iId + cast(Warehouse.cWhCode as int)) % 5 <> 0");
    for (const auto& v : kColourValues)
        account.Execute(std::string("insert into FreeItemValue values (1, '") + v[0] + "', '" + v[1] + "', '" + v[2] +
                        "')");
    for (const auto& v : kGradeValues)
        account.Execute(std::string("insert into FreeItemValue values (3, '") + v[0] + "', '" + v[1] + "', '" + v[2] +
                        "')");
    account.CommitTrans();
}

}  // namespace korvane::schema
