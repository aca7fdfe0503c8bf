// Allocating one voucher line over its candidate stock rows, automatically
// and through the dialog, on a real account.
#include <gtest/gtest.h>

#include "component/module_state.h"
#include "component/ref_select.h"
#include "host/stock_queries.h"
#include "selection/scratch_tables.h"
#include "platform/vb/convert.h"
#include "session/login.h"
#include "tests/support/account.h"
#include "tests/support/module_ui.h"

namespace korvane::selection {
namespace {

using component::RefSelect;
using Rows = std::vector<std::pair<std::string, std::string>>;  // 批号, 出库数量

// Runs on the embedded driver and, where it is installed, through ODBC over
// the SQLite ODBC driver.
struct Allocation : ::testing::TestWithParam<bool> {
    testing::TestAccount account;
    testing::ModuleUi module_ui;
    ui::HeadlessUi& ui = module_ui.ui;
    session::LoginPtr login;
    session::PermissionServicePtr permission = session::PermissionService::create();

    void SetUp() override {
        account.add_warehouse("01", "成品库");
        account.add_inventory(testing::InventoryRow{.code = "A001", .name = "螺栓", .batch = true});
        login = session::AccountLogin::create(GetParam() ? account.odbc_connection_string() : account.connection_string(), "demo");
        permission->InitFromSession(login);
    }
    void rule(const char* name, const char* value) { account.set_option("001", "", name, value); }
    long stock(const std::string& batch, double q, const std::string& expiry = "", double pieces = 0,
               const std::string& inv = "A001") {
        return account.add_stock(
            testing::StockRow{.warehouse = "01", .inventory = inv, .batch = batch, .quantity = q, .pieces = pieces,
                              .expiry = expiry});
    }
    std::string batch_sql(const std::string& inv = "A001") {
        std::string sql;
        return host::account_batch_query_builder(permission)->GetBatchSql(sql, "01", inv, {}, "");
    }
    static Rows rows_of(const ado::RecordsetPtr& rs, const char* out = "出库数量", const char* key = "批号") {
        Rows r;
        if (!rs) return r;
        for (rs->MoveFirst(); !rs->Eof(); rs->MoveNext())
            r.emplace_back(vb::text_or_empty((*rs)(Variant(key))), vb::CStr((*rs)(Variant(out))));
        return r;
    }
    // AutoRefer in text mode; returns the message.
    std::string auto_refer(RefSelect& s, double q, std::int32_t ref_type, std::string sql, bool red = false,
                           bool multi = true, double num = 0, double rate = 0, std::string from = "",
                           const std::string& inv = "A001") {
        std::string err = "?";
        s.AutoRefer(login, std::string("01"), inv, RefSelect::CollectionPtr(), q, num, rate, ref_type, sql, red, multi,
                    from, err);
        return err;
    }
};

TEST_P(Allocation, BatchRulesSortTheRowsBeforeTheQuantityIsTaken) {
    stock("B3", 8, "2025-01-10");
    stock("B1", 4, "2025-06-01");
    stock("B2", 3, "2024-12-01");
    stock("B4", 5, "2026-01-01");
    RefSelect s;

    rule("BatchOut", "批号先进先出");
    EXPECT_EQ(auto_refer(s, 10, 0, batch_sql()), "");
    EXPECT_EQ(rows_of(s.ReturnData()), (Rows{{"B1", "4"}, {"B2", "3"}, {"B3", "3"}}));
    EXPECT_EQ(s.dialog()->spgList().TextMatrix(4, 0), "") << "the fourth batch is not touched";

    rule("BatchOut", "近效期先出");
    EXPECT_EQ(auto_refer(s, 10, 0, batch_sql()), "");
    EXPECT_EQ(rows_of(s.ReturnData()), (Rows{{"B2", "3"}, {"B3", "7"}}));

    rule("BatchOut", "手工确定");  // no sort: the selection's own order
    EXPECT_EQ(auto_refer(s, 10, 0, batch_sql()), "");
    EXPECT_EQ(rows_of(s.ReturnData()), (Rows{{"B3", "8"}, {"B1", "2"}}));
    EXPECT_EQ(auto_refer(s, 20.5, 0, batch_sql()), "没有完全分配，还有0.5没有分配");

    // The result keeps every column of the selection, in its order.
    auto rs = s.ReturnData();
    EXPECT_EQ(rs->Fields().Count(), 11);
    EXPECT_EQ(rs->Fields().Item(Variant(0L)).Name(), "结存数量");
    EXPECT_EQ(rs->Fields().Item(Variant(10L)).Name(), "现存量编号");
}

TEST_P(Allocation, ReceiptRulesTakeTheOldestOrTheNewestLineFirst) {
    auto line = [&](const std::string& code, const std::string& date, double q, double issued) {
        return account.add_receipt_line(testing::ReceiptLine{.voucher_code = code, .date = date, .inventory = "A001",
                                                             .batch = "R" + code, .quantity = q,
                                                             .issued_quantity = issued});
    };
    line("0002", "2024-03-05", 10, 4);   // 6 left
    line("0001", "2024-01-02", 5, 0);
    line("0003", "2024-04-01", 20, 20);  // nothing left: not offered
    line("0004", "2024-05-01", 7, 0);
    std::string sql;
    host::account_receipt_line_query_builder(permission)->GetReceiptLineSql(sql, "01", "A001", {}, "", "");
    RefSelect s;

    rule("InOutTrace", "先进先出");
    EXPECT_EQ(auto_refer(s, 8, 1, sql), "");
    EXPECT_EQ(rows_of(s.ReturnData()), (Rows{{"R0001", "5"}, {"R0002", "3"}}));
    s.ReturnData()->MoveFirst();
    EXPECT_EQ(vb::CStr((*s.ReturnData())(Variant("入库单号"))), "0001");

    rule("InOutTrace", "后进先出");
    EXPECT_EQ(auto_refer(s, 8, 1, sql), "");
    EXPECT_EQ(rows_of(s.ReturnData()), (Rows{{"R0004", "7"}, {"R0002", "1"}}));

    EXPECT_EQ(auto_refer(s, 30, 1, sql), "没有完全分配，还有12没有分配");
    EXPECT_EQ(rows_of(s.ReturnData()).size(), 3u);
}

TEST_P(Allocation, PiecesFollowTheRateUnlessBothAreEditable) {
    account.add_inventory(testing::InventoryRow{.code = "F001", .group_type = 1, .rate = 2.5});
    account.add_inventory(testing::InventoryRow{.code = "V001", .group_type = 2, .rate = 10});
    stock("F1", 5, "", 2, "F001");
    stock("F2", 20, "", 8, "F001");
    stock("V1", 30, "", 3, "V001");
    stock("V2", 50, "", 4, "V001");
    RefSelect s;

    EXPECT_EQ(auto_refer(s, 6, 0, batch_sql("F001"), false, true, 0, 2.5, "", "F001"), "");
    EXPECT_EQ(rows_of(s.ReturnData(), "出库件数", "出库数量"), (Rows{{"5", "2"}, {"1", "0.4"}}));
    auto& d = *s.dialog();
    EXPECT_FALSE(d.both_editable());
    EXPECT_TRUE(d.hdiNum().Editable());
    EXPECT_FALSE(d.hdiQuantity().Editable());
    EXPECT_EQ(d.spgList().TextMatrix(1, d.out_pieces_col()), "2.00");
    EXPECT_EQ(d.spgList().TextMatrix(1, d.balance_pieces_col()), "2.00") << "kind 1 shows balance / rate";

    // Floating rate: quantity and pieces are allocated each on its own.
    EXPECT_EQ(auto_refer(s, 40, 0, batch_sql("V001"), false, true, 5, 0, "", "V001"), "");
    EXPECT_EQ(rows_of(s.ReturnData(), "出库件数", "出库数量"), (Rows{{"30", "3"}, {"10", "2"}}));
    EXPECT_TRUE(s.dialog()->both_editable());
    EXPECT_EQ(s.dialog()->remaining_pieces(), 0);

    // Single unit: no pieces column, pieces item empty and locked.
    EXPECT_EQ(auto_refer(s, 3, 0, batch_sql()), "没有找到对应的批次结存信息，不能自动分配");
    EXPECT_EQ(s.ReturnData(), nullptr);
    EXPECT_EQ(s.dialog()->out_pieces_col(), -1);
    EXPECT_EQ(s.dialog()->hdiNum().Value(), "");
    EXPECT_FALSE(s.dialog()->hdiNum().Editable());
}

TEST_P(Allocation, StockCountChoosesEveryRowWithItsBookQuantity) {
    stock("B1", 4);
    stock("B2", 0);
    stock("B3", 9);
    std::string sql;
    host::account_batch_query_builder(permission)->GetStockCountSql(sql, "01", "A001", {}, "");
    RefSelect s;
    EXPECT_EQ(auto_refer(s, 0, 0, sql, false, true, 0, 0, "18"), "");
    EXPECT_EQ(rows_of(s.ReturnData(), "盘点数量"), (Rows{{"B1", "4"}, {"B3", "9"}})) << "a zero request counts too";
    EXPECT_EQ(auto_refer(s, 1, 0, sql, false, true, 0, 0, "18"), "没有完全分配，还有1没有分配");
    EXPECT_EQ(rows_of(s.ReturnData(), "盘点数量"), (Rows{{"B1", "4"}, {"B3", "9"}}));
    EXPECT_EQ(s.dialog()->remaining_quantity(), 1) << "the count leaves the request as it was";
    EXPECT_FALSE(s.dialog()->tbrTool().button("auto").enabled);
    EXPECT_FALSE(s.dialog()->hdiQuantity().Editable());
}

TEST_P(Allocation, OutcomesAsMessageBoxesWhenNoTextIsAsked) {
    RefSelect s;
    ui.answer("没有找到对应的批次结存信息，不能自动分配", ui::vb::vbOK);
    std::string none;
    s.AutoRefer(login, std::string("01"), std::string("A001"), RefSelect::CollectionPtr(), 5.0, 0.0, 0.0, 0,
                batch_sql(), false, true, std::string(), none);
    ASSERT_EQ(ui.messages().size(), 1u);
    EXPECT_EQ(ui.messages()[0].title, "批次分配");
    EXPECT_EQ(ui.messages()[0].icon, ui::vb::vbInformation);
    EXPECT_EQ(none, "");

    std::string sql;
    host::account_receipt_line_query_builder(permission)->GetReceiptLineSql(sql, "01", "A001", {}, "", "");
    EXPECT_EQ(auto_refer(s, 5, 1, sql), "没有找到对应的入库信息，不能自动分配");
    host::account_receipt_line_query_builder(permission)->GetRedReceiptLineSql(sql, "01", "A001", {}, "", "");
    EXPECT_EQ(auto_refer(s, 5, 2, sql), "") << "returns report nothing";
}

TEST_P(Allocation, ASelectionWithoutTheColumnsTheDialogReadsIsRefusedByName) {
    stock("B1", 6);
    RefSelect s;
    std::string err = " ";
    auto refused = [&](const std::string& sql, std::int32_t ref_type) {
        try {
            s.AutoRefer(login, std::string("01"), std::string("A001"), RefSelect::CollectionPtr(), 5.0, 0.0, 0.0,
                        ref_type, sql, false, true, std::string(), err);
            return std::string("allocated");
        } catch (const Error& e) {
            EXPECT_EQ(e.number(), err::kItemNotFound);
            return e.description();
        }
    };
    EXPECT_EQ(refused("select cBatch as 批号, iQuantity as 结存数量 from CurrentStock", 0), "选择语句的结尾缺少列“出库数量”");
    std::string receipt;
    host::account_receipt_line_query_builder(permission)->GetReceiptLineSql(receipt, "01", "A001", {}, "", "");
    EXPECT_EQ(refused(receipt, 2), "选择语句的结尾缺少列“退回数量”") << "a receipt-line text is no return text";
    EXPECT_EQ(refused(batch_sql(), 0), "allocated");
    EXPECT_EQ(s.ReturnData()->RecordCount(), 1);
}

// The demo account's first batch-managed stock, allocated by AutoRefer through
// each driver: the same rows, the same amounts, nothing asked of the user.
TEST(AllocationOnTheDemoAccount, AutoReferTakesTheSameRowsThroughOdbcAsEmbedded) {
    if (!testing::odbc_sqlite_installed()) GTEST_SKIP() << "the SQLite3 ODBC driver is not installed";
    testing::DemoAccount demo(2000);
    const std::string key = testing::query_scalar(
        demo.path(), "select s.cWhCode || '|' || s.cInvCode from CurrentStock s join Inventory i on i.cInvCode = "
                     "s.cInvCode where i.bInvBatch = 1 and s.iQuantity > 0 and s.cBatch <> '' order by s.AutoID limit 1");
    ASSERT_NE(key.find('|'), std::string::npos);
    const std::string wh = key.substr(0, key.find('|')), inv = key.substr(key.find('|') + 1);
    ASSERT_FALSE(inv.empty());
    const double total = vb::Val(testing::query_scalar(
        demo.path(), "select sum(iQuantity) from CurrentStock where cWhCode = '" + wh + "' and cInvCode = '" + inv + "'"));
    auto allocate = [&](const std::string& cs) {
        testing::ModuleUi module_ui;
        ui::HeadlessUi& ui = module_ui.ui;
        auto login = session::AccountLogin::create(cs, "demo");
        auto permission = session::PermissionService::create();
        permission->InitFromSession(login);
        std::string sql;
        host::account_batch_query_builder(permission)->GetBatchSql(sql, wh, inv, {}, "");
        RefSelect s;
        std::string err = "?";
        s.AutoRefer(login, wh, inv, RefSelect::CollectionPtr(), total / 2, 0.0, 0.0, 0, sql, false, true,
                    std::string(), err);
        EXPECT_EQ(err, "");
        EXPECT_TRUE(ui.messages().empty());
        return Allocation::rows_of(s.ReturnData());
    };
    const auto embedded = allocate(demo.connection_string());
    ASSERT_FALSE(embedded.empty());
    EXPECT_EQ(allocate(demo.odbc_connection_string()), embedded);
}

INSTANTIATE_TEST_SUITE_P(Drivers, Allocation, ::testing::ValuesIn(testing::through_odbc_too()), testing::driver_name);

using Reasons = std::vector<std::tuple<std::string, std::string, TraceReason>>;  // key, taken, reason

Reasons reasons_of(const AllocationTrace& t) {
    Reasons r;
    for (const TraceRow& row : t.rows)
        r.emplace_back(t.keys(row).at(0), decimal_text(row.quantity), row.reason);
    return r;
}

struct Traced : Allocation {
    void SetUp() override {
        Allocation::SetUp();
        rule("BatchOut", "批号先进先出");
    }
};
INSTANTIATE_TEST_SUITE_P(Drivers, Traced, ::testing::ValuesIn(testing::through_odbc_too()), testing::driver_name);

TEST_P(Traced, EveryCandidateIsExplainedInTheRulesOrder) {
    stock("B3", 8, "2025-01-10");
    stock("B1", 4, "2025-06-01");
    stock("B0", 0);
    stock("B2", 3, "2024-12-01");
    stock("B4", 5, "2026-01-01");
    RefSelect s;
    EXPECT_EQ(auto_refer(s, 10, 0, batch_sql()), "");
    EXPECT_EQ(s.trace(), nullptr) << "nothing is traced unless asked";

    s.set_tracing(true);
    EXPECT_EQ(auto_refer(s, 10, 0, batch_sql()), "");
    auto t = s.trace();
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->rule, "批号先进先出");
    EXPECT_EQ(t->sort, "批号");
    EXPECT_EQ(reasons_of(*t), (Reasons{{"B0", "0", TraceReason::NoBalance},
                                       {"B1", "4", TraceReason::RowExhausted},
                                       {"B2", "3", TraceReason::RowExhausted},
                                       {"B3", "3", TraceReason::RequestCovered},
                                       {"B4", "0", TraceReason::NotReached}}));
    EXPECT_EQ(t->table(),
              "分配规则: 批号先进先出  (排序: 批号)\n"
              "申请数量 10  件数 0  换算率 0\n"
              "序号  批号        失效日期    现存量编号  结存数量    前行已分配  分配数量    分配件数    结果  原因\n"
              "1     B0                      3           0           -           -           -           跳过  结存为零或负数\n"
              "2     B1          2025-06-01  2           4           -           4           0           分配  该行结存已取完\n"
              "3     B2          2024-12-01  4           3           -           3           0           分配  该行结存已取完\n"
              "4     B3          2025-01-10  1           8           -           3           0           分配  本行数量已足\n"
              "5     B4          2026-01-01  5           5           -           -           -           跳过  本行数量已分配完，未用到\n"
              "合计分配数量 10  件数 0  未分配 0\n");
    const std::string json = t->json();
    EXPECT_NE(json.find("{\"position\":4,\"keys\":[\"B3\",\"2025-01-10\",\"1\"],\"balance_quantity\":8,\"balance_pieces\":0,"
                        "\"earlier_quantity\":0,\"taken\":true,\"quantity\":3,\"pieces\":0,"
                        "\"reason\":\"request_covered\",\"reason_text\":\"本行数量已足\"}"),
              std::string::npos)
        << json;
    // the taken amounts are what ReturnData carries
    double returned = 0;
    for (auto rs = s.ReturnData(); !rs->Eof(); rs->MoveNext()) returned += vb::CDbl((*rs)(Variant("出库数量")));
    EXPECT_EQ(Amount::of(returned), t->taken_quantity());
    // the same inputs, the same trace
    EXPECT_EQ(auto_refer(s, 10, 0, batch_sql()), "");
    EXPECT_EQ(s.trace()->json(), json);

    // one row only: the first with stock is taken, the rest are excluded
    EXPECT_EQ(auto_refer(s, 10, 0, batch_sql(), false, false), "没有完全分配，还有6没有分配");
    EXPECT_EQ(reasons_of(*s.trace()), (Reasons{{"B0", "0", TraceReason::NoBalance},
                                               {"B1", "4", TraceReason::SingleSelection},
                                               {"B2", "0", TraceReason::ExcludedBySingle},
                                               {"B3", "0", TraceReason::ExcludedBySingle},
                                               {"B4", "0", TraceReason::ExcludedBySingle}}));
    // a red line
    EXPECT_EQ(auto_refer(s, -6, 0, batch_sql(), true), "");
    EXPECT_EQ(s.dialog()->remaining_quantity(), 0);
    EXPECT_EQ(reasons_of(*s.trace()), (Reasons{{"B0", "0", TraceReason::NoBalance},
                                               {"B1", "-4", TraceReason::RowExhausted},
                                               {"B2", "-2", TraceReason::RequestCovered},
                                               {"B3", "0", TraceReason::NotReached},
                                               {"B4", "0", TraceReason::NotReached}}));
}

TEST_P(Traced, OperatorsChangeEndsTheRulesExplanation) {
    stock("B1", 4);
    stock("B2", 8);
    RefSelect s;
    s.set_tracing(true);
    EXPECT_EQ(auto_refer(s, 6, 0, batch_sql()), "");
    ASSERT_NE(s.trace(), nullptr);
    s.dialog()->ToggleRow(1);
    EXPECT_EQ(s.trace(), nullptr) << "a click makes the choice the operator's";
}

// Three lines of one run, each writing what it took into the scratch table
// by the row the host finds from the batch key: no stock is taken twice.
TEST_P(Traced, ThirdLineOfAScratchRunSeesWhatEarlierLinesTook) {
    long b1 = stock("B1", 4), b2 = stock("B2", 3), b3 = stock("B3", 8);
    RefSelect s;
    s.set_tracing(true);
    bool create = true;
    s.CreateAndDropTmpCurrentStock(login, create);
    std::vector<Reasons> lines;
    for (int n = 0; n < 3; ++n) {
        std::string sql = batch_sql();
        EXPECT_EQ(auto_refer(s, 5, 0, s.GetAllBSQL(sql)), "");
        lines.push_back(reasons_of(*s.trace()));
        for (auto rs = s.ReturnData(); !rs->Eof(); rs->MoveNext()) {
            std::string batch = vb::CStr((*rs)(Variant("批号")));
            std::int32_t id = s.GetAutoID(login, std::string("01"), std::string("A001"), std::string(), std::string(),
                                          std::string(), std::string(), std::string(), std::string(), std::string(),
                                          std::string(), std::string(), std::string(), batch);
            double q = vb::CDbl((*rs)(Variant("出库数量"))), pieces = vb::CDbl((*rs)(Variant("出库件数")));
            s.UpdateTmpCurrentStock(login, q, pieces, id);
        }
    }
    EXPECT_EQ(lines[0], (Reasons{{"B1", "4", TraceReason::RowExhausted},
                                 {"B2", "1", TraceReason::RequestCovered},
                                 {"B3", "0", TraceReason::NotReached}}));
    EXPECT_EQ(lines[1], (Reasons{{"B1", "0", TraceReason::TakenEarlier},
                                 {"B2", "2", TraceReason::RowExhausted},
                                 {"B3", "3", TraceReason::RequestCovered}}));
    EXPECT_EQ(lines[2], (Reasons{{"B1", "0", TraceReason::TakenEarlier},
                                 {"B2", "0", TraceReason::TakenEarlier},
                                 {"B3", "5", TraceReason::RowExhausted}}));
    EXPECT_EQ(s.trace()->rows[2].earlier_quantity, Amount::whole(3));
    const std::string table = selection::ScratchTableName(component::module().objects) + "_CurrentS";
    EXPECT_EQ(account.scalar("select group_concat(AutoID || ':' || fSumOutQ, ' ') from " + table + " where fSumOutQ <> 0"),
              std::to_string(b1) + ":4 " + std::to_string(b2) + ":3 " + std::to_string(b3) + ":8");
    EXPECT_EQ(account.scalar("select count(*) from CurrentStock c join " + table +
                             " t on t.AutoID = c.AutoID where t.fSumOutQ > c.iQuantity"),
              "0");
    create = false;
    EXPECT_FALSE(s.CreateAndDropTmpCurrentStock(login, create));
    EXPECT_EQ(account.scalar("select count(*) from sqlite_master where name = '" + table + "'"), "0");
    EXPECT_THROW(s.CreateAndDropTmpCurrentStock(login, create), Error) << "nothing left to drop";
}

}  // namespace
}  // namespace korvane::selection
