// The candidate queries run on a real account, plain and rewritten for a
// run over the scratch tables: their free items lead, their tails stand
// where the dialog counts them from the last column.
#include "host/stock_queries.h"

#include <gtest/gtest.h>

#include "platform/ado/recordset.h"
#include "platform/vb/convert.h"
#include "selection/scratch_tables.h"
#include "session/login.h"
#include "tests/support/account.h"
#include "tests/support/records.h"

namespace korvane::host {
namespace {

using Names = std::vector<std::string>;
using testing::column;
using testing::field_names;


struct StockQueries : ::testing::Test {
    testing::TestAccount account;
    session::PermissionServicePtr permission = session::PermissionService::create();
    ado::ConnectionPtr con = ado::Connection::create();

    void SetUp() override {
        account.add_warehouse("01", "成品库");
        testing::InventoryRow inv{.code = "A001", .name = "螺栓", .batch = true};
        inv.free[0] = inv.free[2] = true;
        account.add_inventory(inv);
        account.exec("insert into UserDef values ('20', '自由项1', '颜色'), ('21', '自由项2', null), "
                     "('28', '自由项3', null)");
        permission->InitFromSession(session::AccountLogin::create(account.connection_string(), "demo"));
        con->Open(account.connection_string());
    }
    ado::RecordsetPtr open(const std::string& sql) {
        auto rs = ado::Recordset::create();
        rs->Open(sql, con);
        return rs;
    }
    static Names tail(const Names& all, std::size_t n) { return Names(all.end() - static_cast<long>(n), all.end()); }
};

TEST_F(StockQueries, BatchesLeadWithTheFreeItemsAndEndInTheTail) {
    testing::StockRow red{.warehouse = "01", .inventory = "A001", .batch = "B1", .quantity = 4};
    red.free[0] = "红";
    red.free[2] = "一级";
    testing::StockRow blue = red;
    blue.batch = "B2";
    blue.quantity = 6;
    blue.free[0] = "蓝";
    long b1 = account.add_stock(red);
    account.add_stock(blue);
    account.add_stock(testing::StockRow{.warehouse = "02", .inventory = "A001", .batch = "B3", .quantity = 9});

    auto builder = account_batch_query_builder(permission);
    std::string sql;
    auto rs = open(builder->GetBatchSql(sql, "01", "A001", {}, ""));
    Names all = field_names(*rs);
    ASSERT_EQ(all.size(), 13u);
    // the second free item is unused; the third has no display name of its own
    EXPECT_EQ(Names(all.begin(), all.begin() + 2), (Names{"颜色", "自由项3"}));
    EXPECT_EQ(vb::CStr(rs->Fields("颜色").Properties("BASECOLUMNNAME")), "cFree1");
    EXPECT_EQ(vb::CStr(rs->Fields("自由项3").Properties("BASECOLUMNNAME")), "cFree3");
    EXPECT_EQ(tail(all, 11), (Names{"结存数量", "结存件数", "批号", "失效日期", "保质期", "生产日期", "出库数量", "出库件数",
                                    "仓库编码", "存货编码", "现存量编号"}));
    EXPECT_EQ(column(rs, "批号"), (Names{"B1", "B2"}));

    FreeValues blue_only{};
    blue_only[0] = "蓝";
    EXPECT_EQ(column(open(builder->GetBatchSql(sql, "01", "A001", blue_only, "")), "批号"), (Names{"B2"}));
    EXPECT_EQ(column(open(builder->GetBatchSql(sql, "01", "A001", {}, "B1")), "现存量编号"),
              (Names{std::to_string(b1)}));
    EXPECT_TRUE(open(builder->GetBatchSql(sql, "01", "NOSUCH", {}, ""))->Eof()) << "an unknown inventory has no rows";

    auto count = open(builder->GetStockCountSql(sql, "01", "A001", {}, ""));
    EXPECT_EQ(tail(field_names(*count), 11), (Names{"批号", "失效日期", "保质期", "生产日期", "账面数量", "账面件数", "盘点数量",
                                              "盘点件数", "仓库编码", "存货编码", "现存量编号"}));
    EXPECT_EQ(column(count, "账面数量"), (Names{"4", "6"}));
}

TEST_F(StockQueries, BatchTextsRewrittenForARunSubtractWhatItTook) {
    long b1 = account.add_stock(testing::StockRow{.warehouse = "01", .inventory = "A001", .batch = "B1", .quantity = 4,
                                                  .pieces = 2});
    account.add_stock(testing::StockRow{.warehouse = "01", .inventory = "A001", .batch = "B2", .quantity = 6});
    std::string sql;
    account_batch_query_builder(permission)->GetBatchSql(sql, "01", "A001", {}, "");
    EXPECT_NE(sql.find(" from CurrentStock Where "), std::string::npos);

    selection::ScratchTables t{"WS_1", sql};
    std::string text = sql;
    t.create(*con, selection::ScratchKind::CurrentStock);
    t.add(*con, selection::ScratchKind::CurrentStock, 3, 1, b1);
    std::string rewritten = selection::GetAllBSQL(text, "WS_1");
    auto rs = open(rewritten);
    EXPECT_EQ(column(rs, "结存数量"), (Names{"1", "6"}));
    EXPECT_EQ(column(rs, "结存件数"), (Names{"1", "0"}));

    account_batch_query_builder(permission)->GetStockCountSql(sql, "01", "A001", {}, "");
    text = sql;
    EXPECT_EQ(column(open(selection::GetAllBSQL(text, "WS_1")), "账面数量"), (Names{"1", "6"}));
}

TEST_F(StockQueries, ReceiptLinesRunPlainAndRewrittenAndRedLinesFindTheirReceipt) {
    testing::ReceiptLine in{.voucher_code = "R001", .date = "2024-03-01", .inventory = "A001", .batch = "B1",
                            .quantity = 10, .issued_quantity = 2};
    long first = account.add_receipt_line(in);
    in.voucher_code = "R002";
    in.date = "2024-02-01";
    in.quantity = 5;
    in.issued_quantity = 5;  // nothing left: not a candidate
    account.add_receipt_line(in);
    in.voucher_code = "R003";
    in.date = "2024-01-15";
    in.quantity = 7;
    in.issued_quantity = 0;
    long oldest = account.add_receipt_line(in);

    auto builder = account_receipt_line_query_builder(permission);
    std::string sql;
    auto rs = open(builder->GetReceiptLineSql(sql, "01", "A001", {}, "", ""));
    Names all = field_names(*rs);
    ASSERT_EQ(all.size(), 21u);
    EXPECT_EQ(Names(all.begin(), all.begin() + 2), (Names{"颜色", "自由项3"}));
    EXPECT_EQ(tail(all, 19), (Names{"结存数量", "结存件数", "入库数量", "入库件数", "累计出库数量", "累计出库件数", "出库数量",
                                    "出库件数", "入库单号", "入库日期", "批号", "失效日期", "保质期", "生产日期", "仓库编码",
                                    "存货编码", "货位", "入库系统编号", "出库系统编号"}));
    EXPECT_EQ(column(rs, "入库单号"), (Names{"R003", "R001"})) << "oldest first, spent lines left out";
    EXPECT_EQ(column(rs, "结存数量"), (Names{"7", "8"}));
    EXPECT_EQ(column(open(builder->GetReceiptLineSql(sql, "01", "A001", {}, "R001", "")), "入库系统编号"),
              (Names{std::to_string(first)}));
    EXPECT_NE(sql.find(") mainbatch "), std::string::npos);

    // a run that took 7 from the oldest line no longer offers it
    std::string text;
    builder->GetReceiptLineSql(text, "01", "A001", {}, "", "");
    selection::ScratchTables t{"WS_1", sql};
    t.create(*con, selection::ScratchKind::ReceiptLines);
    t.add(*con, selection::ScratchKind::ReceiptLines, 7, 0, oldest);
    t.add(*con, selection::ScratchKind::ReceiptLines, 3, 0, first);
    auto left = open(selection::GetAllRDSSQL(text, "WS_1"));
    EXPECT_EQ(column(left, "入库单号"), (Names{"R001"}));
    EXPECT_EQ(column(left, "结存数量"), (Names{"5"}));

    // an issue of 3 from the first receipt line, to be returned against
    account.exec("insert into RdRecord (ID, bRdFlag, cVouchType, cWhCode, dDate, cCode) values "
                 "(900, 0, '11', '01', '2024-04-01', 'C001')");
    account.exec("insert into RdRecords (AutoID, ID, cInvCode, cBatch, iQuantity, iNum, iSOutQuantity, iSOutNum, iTrIds) "
                 "values (901, 900, 'A001', 'B1', 3, 0, 1, 0, " + std::to_string(first) + ")");
    auto red = open(builder->GetRedReceiptLineSql(sql, "01", "A001", {}, "", ""));
    Names red_names = field_names(*red);
    ASSERT_EQ(red_names.size(), 19u);
    EXPECT_EQ(tail(red_names, 17), (Names{"结存数量", "结存件数", "退回数量", "退回件数", "原出库数量", "原出库件数", "出库单号",
                                          "出库日期", "入库单号", "入库日期", "批号", "失效日期", "保质期", "生产日期",
                                          "存货编码", "入库系统编号", "出库系统编号"}));
    EXPECT_EQ(column(red, "出库单号"), (Names{"C001"}));
    EXPECT_EQ(column(red, "入库单号"), (Names{"R001"}));
    EXPECT_EQ(column(red, "结存数量"), (Names{"2"})) << "what the issue has not yet had back";
    EXPECT_EQ(column(red, "出库系统编号"), (Names{"901"}));
    EXPECT_EQ(column(open(builder->GetRedReceiptLineSql(sql, "01", "A001", {}, "R002", "")), "出库单号"), Names{});
}

}  // namespace
}  // namespace korvane::host
