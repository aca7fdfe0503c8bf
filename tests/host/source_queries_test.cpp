// The source-document queries on a small account: the fields the lists
// show, the forms' fragments run as the forms write them, executed and
// closed documents, the shared switch and the class coding rule.
#include "host/source_queries.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "platform/ado/recordset.h"
#include "platform/vb/convert.h"
#include "schema/demo_generator.h"
#include "session/login.h"
#include "session/stock_option_service.h"
#include "tests/support/account.h"
#include "tests/support/records.h"
#include "tests/support/services.h"

namespace korvane::host {
namespace {

using Names = std::vector<std::string>;
using testing::column;
using testing::field_names;


struct SourceQueries : ::testing::Test {
    testing::TestAccount account;
    session::PermissionServicePtr permission = session::PermissionService::create();
    std::shared_ptr<AccountSourceQueryService> service =
        std::make_shared<AccountSourceQueryService>([this] { return permission; });
    std::shared_ptr<session::StockOptions> options = session::StockOptions::create();

    void SetUp() override {
        account.exec(
            "insert into ComputationUnit values ('01', '个', 'G1', 1, 1), ('02', '箱', 'G1', 24, 0);"
            "insert into Department (cDepCode, cDepName) values ('01', '采购部'), ('02', '销售部');"
            "insert into Person values ('P001', '王伟', '01'), ('P002', '李娜', '02');"
            "insert into Vendor values ('V0001', '上海华东五金有限公司', '华东'), ('V0002', '深圳华南电子有限公司', '华南');"
            "insert into Customer values ('C0001', '北京精密机械有限公司', '北京精密', '02', 'P002');"
            "insert into PurchaseType values ('01', '原材料采购');"
            "insert into SaleType values ('01', '批发');"
            "insert into VouchType values ('05', '发货单'), ('26', '普通发票');");
        account.add_warehouse("01", "原料仓");
        account.add_warehouse("02", "成品仓");
        account.add_inventory(testing::InventoryRow{.code = "A1", .name = "螺栓", .standard = "M8×30", .main_unit = "01"});
        account.add_inventory(testing::InventoryRow{.code = "B1", .name = "电机外壳", .standard = "M8×30", .group_type = 1,
                                                    .rate = 24, .main_unit = "01", .piece_unit = "02"});
        account.exec("update Inventory set fOutExcess = 0.1 where cInvCode = 'B1'");
        // Orders: 1 open, 2 open without a business type, 3 closed, 4 received in full, 5 red and open.
        account.exec(
            "insert into zpurpoheader (POID, cPOID, dPODate, cBusType, cPTCode, cVenCode, cVenAbbName, cDepCode, "
            "cDepName, cPersonCode, cPersonName, cMaker, cVerifier, cCloser) values "
            "(1, '0000000001', '2024-03-01', '普通采购', '01', 'V0001', '华东', '01', '采购部', 'P001', '王伟', '张敏', '刘洋', null),"
            "(2, '0000000002', '2024-04-01', '', '01', 'V0001', '华东', null, null, null, null, '张敏', null, null),"
            "(3, '0000000003', '2024-05-01', '普通采购', '01', 'V0002', '华南', '02', '销售部', 'P002', '李娜', '张敏', '刘洋', '刘洋'),"
            "(4, '0000000004', '2024-06-01', '普通采购', '01', 'V0002', '华南', '01', '采购部', 'P001', '王伟', '张敏', '刘洋', null),"
            "(5, '0000000005', '2024-07-01', '普通采购', '01', 'V0001', '华东', '01', '采购部', 'P001', '王伟', '张敏', '刘洋', null);"
            "insert into PO_Podetails (ID, POID, cInvCode, iQuantity, iNum, iInvExchRate, iArrQTY, iArrNum, "
            "iReceivedQTY, iReceivedNum, dArriveDate) values "
            "(1, 1, 'A1', 10, null, null, 3, 0, 2, 0, '2024-03-10'), (2, 1, 'B1', 48, 2, 24, 0, 0, 0, 0, '2024-04-01'),"
            "(3, 2, 'A1', 5, null, null, 0, 0, 1, 0, '2024-04-10'), (4, 3, 'A1', 7, null, null, 0, 0, 0, 0, null),"
            "(5, 4, 'A1', 5, null, null, 2, 0, 3, 0, null), (6, 5, 'A1', -4, null, null, 0, 0, -1, 0, null);");
        // Arrivals: 1 open, 2 received in full, 3 closed.
        account.exec(
            "insert into pu_ArrHead (ID, cCode, dDate, cBusType, cPTCode, cPOId, cVenCode, cVenAbbName, cDepCode, "
            "cDepName, cPersonCode, cPersonName, cMaker, cVerifier, cCloser) values "
            "(1, '0000000001', '2024-03-05', '普通采购', '01', '0000000001', 'V0001', '华东', '01', '采购部', 'P001', '王伟', '张敏', '刘洋', null),"
            "(2, '0000000002', '2024-03-06', '普通采购', '01', null, 'V0002', '华南', '01', '采购部', 'P001', '王伟', '张敏', '刘洋', null),"
            "(3, '0000000003', '2024-03-07', '普通采购', '01', null, 'V0002', '华南', '01', '采购部', 'P001', '王伟', '张敏', '刘洋', '刘洋');"
            "insert into PU_ArrivalVouchs (Autoid, ID, iPOsID, cInvCode, cWhCode, iQuantity, iNum, iInvExchRate, "
            "fValidInQuan, fValidInNum) values (1, 1, 1, 'A1', '01', 3, null, null, 1, 0),"
            "(2, 1, null, 'B1', null, 24, 1, 24, 0, 0), (3, 2, null, 'A1', '02', 2, null, null, 2, 0),"
            "(4, 3, null, 'A1', '01', 9, null, null, 0, 0);");
        // Dispatch documents: 1 open, 2 an invoice issued in full, 3 closed, 4 red and open.
        account.exec(
            "insert into DispatchList (DLID, cDLCode, cVouchType, cSBVCode, dDate, cBusType, cSTCode, cCusCode, "
            "cDepCode, cPersonCode, cMaker, cVerifier, cCloser) values "
            "(1, '0000000001', '05', null, '2024-04-01', '普通销售', '01', 'C0001', '02', 'P002', '张敏', '刘洋', null),"
            "(2, '0000000002', '26', '0000000101', '2024-04-02', '普通销售', '01', 'C0001', '02', 'P002', '张敏', '刘洋', null),"
            "(3, '0000000003', '05', null, '2024-04-03', '普通销售', '01', 'C0001', '02', 'P002', '张敏', '刘洋', '刘洋'),"
            "(4, '0000000004', '05', null, '2024-05-01', '分期收款', '01', 'C0001', null, null, '张敏', null, null);"
            "insert into DispatchLists (DLsID, DLID, cWhCode, cInvCode, iQuantity, iNum, iInvExchRate, fOutQuantity, "
            "fOutNum) values (1, 1, '01', 'A1', 10, null, null, 4, 0), (2, 1, '02', 'B1', 48, 2, 24, 24, 1),"
            "(3, 2, '01', 'A1', 5, null, null, 5, 0), (4, 3, '01', 'A1', 3, null, null, 0, 0),"
            "(5, 4, '01', 'A1', -2, null, null, 0, 0);");
        permission->InitFromSession(session::AccountLogin::create(account.connection_string(), "demo"));
    }

    static bool starts_with(const Names& all, const Names& head) {
        return all.size() >= head.size() && std::equal(head.begin(), head.end(), all.begin());
    }
    static bool ends_with(const Names& all, const Names& tail) {
        return all.size() >= tail.size() && std::equal(tail.begin(), tail.end(), all.end() - long(tail.size()));
    }
    static bool has(const Names& all, const std::string& name) {
        return std::find(all.begin(), all.end(), name) != all.end();
    }
    Names dispatch_heads(const std::string& where) {
        ado::RecordsetPtr rs;
        std::string message;
        EXPECT_TRUE(service->GetDispatchHeads(options, where, rs, message)) << message;
        return rs ? column(rs, "cdlcode") : Names{};
    }
    ado::RecordsetPtr dispatch_lines(const std::string& where) {
        ado::RecordsetPtr rs;
        std::string message;
        EXPECT_TRUE(service->GetDispatchLines(options, where, rs, message)) << message;
        return rs;
    }
};

TEST_F(SourceQueries, PurchaseHeadsCarryTheListedFieldsAndLeaveOutExecutedAndClosedOnes) {
    auto orders = service->GetOrderHeads(permission, "");
    EXPECT_TRUE(starts_with(field_names(*orders), {"poid", "cpoid", "dpodate", "cptname", "cbustype", "cvenabbname",
                                            "cdepname", "cpersonname", "cmaker", "cverifier"}));
    EXPECT_EQ(column(orders, "cpoid"), (Names{"0000000001", "0000000002", "0000000005"}));
    EXPECT_EQ(column(orders, "cptname")[0], "原材料采购");
    auto arrivals = service->GetArrivalHeads(permission, "");
    EXPECT_TRUE(starts_with(field_names(*arrivals), {"id", "ccode", "ddate", "cptname", "cbustype", "cvenabbname",
                                              "cdepname", "cpersonname", "cmaker", "cverifier"}));
    EXPECT_EQ(column(arrivals, "ccode"), Names{"0000000001"});

    service->put_ShowExecuted(true);
    EXPECT_EQ(column(service->GetOrderHeads(permission, ""), "cpoid"),
              (Names{"0000000001", "0000000002", "0000000004", "0000000005"}));
    EXPECT_EQ(column(service->GetArrivalHeads(permission, ""), "ccode"), (Names{"0000000001", "0000000002"}));
    service->put_ShowExecuted(false);
    EXPECT_EQ(service->GetOrderHeads(permission, "")->RecordCount(), 3);
}

TEST_F(SourceQueries, PurchaseLinesEndWithQuantityPiecesAndWhatIsExecuted) {
    auto lines = service->GetOrderLines(permission, Variant(1), "");
    Names n = field_names(*lines);
    EXPECT_TRUE(ends_with(n, {"iquantity", "inum", "ireceivedqty", "ireceivednum"}));
    for (const char* f : {"id", "cinvcode", "cinvname", "cinvstd", "cwhcode", "cwhname", "darrivedate", "cbatch",
                          "dvdate", "imassdate", "iinvexchrate", "cinva_unit", "cinvm_unit", "cinvouchcode", "icorid",
                          "igrouptype", "finexcess", "iarrqty", "iarrnum", "cfree1", "cfree10", "bquansign"})
        EXPECT_TRUE(has(n, f)) << f;
    ASSERT_EQ(lines->RecordCount(), 2);
    lines->MoveFirst();
    EXPECT_EQ(vb::CDbl((*lines)(Variant("iquantity"))) - vb::CDbl((*lines)(Variant("iarrqty"))) -
                  vb::CDbl((*lines)(Variant("ireceivedqty"))),
              5);
    EXPECT_EQ(vb::CStr((*lines)(Variant("cinvstd"))), "M8×30");
    lines->MoveNext();
    EXPECT_EQ(vb::CStr((*lines)(Variant("cinvm_unit"))) + vb::CStr((*lines)(Variant("cinva_unit"))), "个箱");
    EXPECT_EQ(vb::CLng((*lines)(Variant("igrouptype"))), 1);
    // The grid hands the key back as its text.
    EXPECT_EQ(service->GetOrderLines(permission, Variant("1"), "")->RecordCount(), 2);

    auto arrived = service->GetArrivalLines(permission, Variant(1), "");
    Names a = field_names(*arrived);
    EXPECT_TRUE(ends_with(a, {"iquantity", "inum", "fvalidinquan", "fvalidinnum"}));
    for (const char* f : {"autoid", "cwhcode", "cwhname", "cbatch", "dmadedate", "igrouptype", "ball", "bquansign"})
        EXPECT_TRUE(has(a, f)) << f;
    EXPECT_FALSE(has(a, "id"));  // the line id is autoid; the layout keeps only one of them
    EXPECT_EQ(column(arrived, "cwhname"), (Names{"原料仓", ""}));
}

TEST_F(SourceQueries, PurchaseFragmentsRunAsTheFormWritesThem) {
    service->put_ShowExecuted(true);
    auto orders = [&](const std::string& w) { return column(service->GetOrderHeads(permission, w), "cpoid"); };
    auto arrivals = [&](const std::string& w) { return column(service->GetArrivalHeads(permission, w), "ccode"); };
    EXPECT_EQ(orders(" zpurpoheader.cVenAbbName = '华南' and zpurpoheader.cPOId = '0000000004'"),
              Names{"0000000004"});
    EXPECT_EQ(orders("zpurpoheader.dpodate >= '2024-03-01' AND    zpurpoheader.dpodate <= '2024-04-30' and "
                     "zpurpoheader.cdepname = '采购部' and zpurpoheader.cpersonname = '王伟'"),
              Names{"0000000001"});
    // The business type passes typed and untyped heads; the department scope ORs the heads without one in.
    EXPECT_EQ(orders("(( zpurpoheader.cVenAbbName = '华东' and zpurpoheader.cBusType = '普通采购') Or ( "
                     "zpurpoheader.cVenAbbName = '华东' and zpurpoheader.cBusType = '')) AND (cDepCode in ('01') OR "
                     "ISNULL(cDepCode, '') = '')"),
              (Names{"0000000001", "0000000002", "0000000005"}));
    EXPECT_EQ(arrivals(" pu_ArrHead.cPOId = '0000000001' and pu_ArrHead.cdepname = '采购部'"), Names{"0000000001"});
    EXPECT_EQ(arrivals("pu_ArrHead.ddate = '2024-03-06' and pu_ArrHead.cCode = '0000000002' and "
                       "pu_ArrHead.cVenAbbName = '华南' and pu_ArrHead.cpersonname = '王伟'"),
              Names{"0000000002"});
    EXPECT_EQ(arrivals("(( pu_ArrHead.cBusType = '普通采购') Or ( pu_ArrHead.cBusType = ''))"),
              (Names{"0000000001", "0000000002"}));

    auto order_lines = [&](const std::string& w) { return column(service->GetOrderLines(permission, Variant(1), w), "cinvcode"); };
    EXPECT_EQ(order_lines("Inventory.iId IN(1,2) and dArriveDate >= '2024-03-15'"), Names{"B1"});
    EXPECT_EQ(order_lines("Inventory.bInvEntrust=1 and Inventory.iId IN (1)"), Names{});
    auto arrival_lines = [&](const std::string& w) { return column(service->GetArrivalLines(permission, Variant(1), w), "cinvcode"); };
    EXPECT_EQ(arrival_lines("Inventory.iId IN(1,2) AND (PU_ArrivalVouchs.cWhCode in ('02') OR "
                            "ISNULL(PU_ArrivalVouchs.cWhCode,'') = '')"),
              Names{"B1"});
    EXPECT_EQ(arrival_lines("(PU_ArrivalVouchs.cWhCode in ('01') OR ISNULL(PU_ArrivalVouchs.cWhCode,'') = '') and  "
                            "cWhName = '原料仓'"),
              Names{"A1"});
    EXPECT_EQ(arrival_lines("  "), (Names{"A1", "B1"}));
}

TEST_F(SourceQueries, DispatchQueriesCarryTheListedFieldsAndRunTheSalesFragments) {
    ado::RecordsetPtr heads;
    std::string message;
    ASSERT_TRUE(service->GetDispatchHeads(options, "", heads, message)) << message;
    EXPECT_TRUE(message.empty());
    EXPECT_TRUE(starts_with(field_names(*heads), {"dlid", "cbillname", "cdlcode", "csbvcode", "ddate", "cstname", "cbustype",
                                           "ccusname", "cdepname", "cpersonname", "cmaker", "cverifier"}));
    EXPECT_EQ(column(heads, "cdlcode"), (Names{"0000000001", "0000000004"}));
    EXPECT_EQ(column(heads, "cbillname")[0], "发货单");

    EXPECT_EQ(dispatch_heads("DispatchList.dDate >= '2024-04-01' and  Department.cDepName = '销售部' and "
                             "Person.cPersonName = '李娜' and Customer.cCusAbbName = '北京精密' and "
                             "VouchType.cVouchName = '发货单' and DispatchList.cBusType = '普通销售' and "
                             "DispatchList.cDLCode = '0000000001'"),
              Names{"0000000001"});
    EXPECT_EQ(dispatch_heads("(DispatchList.cDepCode IN('01') OR ISNULL(DispatchList.cDepCode,'') = '')"),
              Names{"0000000004"});
    service->put_ShowExecuted(true);  // executed, not closed
    EXPECT_EQ(dispatch_heads(""), (Names{"0000000001", "0000000002", "0000000004"}));
    EXPECT_EQ(dispatch_heads("DispatchList.dDate = '2024-04-02' and  DispatchList.cSBVCode ='0000000101'"),
              Names{"0000000002"});

    auto lines = dispatch_lines("DispatchLists.DLID=1");
    Names n = field_names(*lines);
    EXPECT_TRUE(ends_with(n, {"iquantity", "inum", "foutquantity", "foutnum"}));
    for (const char* f : {"autoid", "cwhname", "cwhcode", "cinvcode", "iinvexchrate", "cfree1", "cfree10",
                          "foutexcess", "ccode", "ibatch", "cbatch", "dvdate", "imassdate", "dmadedate", "bquansign"})
        EXPECT_TRUE(has(n, f)) << f;
    EXPECT_EQ(column(lines, "cwhname"), (Names{"原料仓", "成品仓"}));
    EXPECT_EQ(column(dispatch_lines("DispatchLists.DLID=1 AND DispatchLists.cWhCode IN ('02') AND "
                                    "DispatchLists.cInvCode in ( select II.cInvCode From Inventory II where "
                                    "II.cInvCode = DispatchLists.cInvCode and II.iid IN(2))"),
                     "foutexcess"),
              Names{"0.1"});
    EXPECT_EQ(column(dispatch_lines("DispatchLists.DLID=3"), "autoid"), Names{});  // a closed document's
}

TEST_F(SourceQueries, SalesQueriesWithoutAnAccountOrWithABadFragmentSayWhy) {
    AccountSourceQueryService lone;
    ado::RecordsetPtr rs = ado::Recordset::create();
    std::string message;
    EXPECT_FALSE(lone.GetDispatchHeads(options, "", rs, message));
    EXPECT_FALSE(message.empty());
    EXPECT_FALSE(rs);
    // A purchase query's context serves the sales queries that follow it.
    lone.GetOrderHeads(permission, "");
    message.clear();
    EXPECT_TRUE(lone.GetDispatchLines(options, "DispatchLists.DLID=1", rs, message)) << message;
    EXPECT_EQ(rs->RecordCount(), 2);
    EXPECT_FALSE(service->GetDispatchLines(options, "DispatchLists.cNoSuchColumn = 1", rs, message));
    EXPECT_NE(message.find("cNoSuchColumn"), std::string::npos) << message;
    EXPECT_FALSE(rs);
}

TEST_F(SourceQueries, SalesQueriesRunOnTheAccountTheirOptionsWereReadFor) {
    account.exec("insert into AccountOption values ('001', '', 'OverDispOut', 'True')");
    auto stock_options = session::AccountStockOptionService::create();
    std::string message;
    ASSERT_TRUE(stock_options->InitFromSession(session::AccountLogin::create(account.connection_string(), "demo"),
                                               message))
        << message;
    AccountSourceQueryService lone;  // no context of its own and no purchase query before
    ado::RecordsetPtr rs;
    ASSERT_TRUE(lone.GetDispatchLines(stock_options->GetOptions(), "DispatchLists.DLID=1", rs, message)) << message;
    EXPECT_EQ(rs->RecordCount(), 2);
}

TEST_F(SourceQueries, ClassCodeRuleIsTheStoredOneElseWhatTheCodesShow) {
    auto lengths = [](const std::shared_ptr<Collection>& c) {
        std::vector<long> v;
        for (long i = 1; i <= c->Count(); ++i) v.push_back(vb::CLng(c->Item(Variant(static_cast<int>(i)))));
        return v;
    };
    EXPECT_EQ(service->GetClassCodeRule(permission)->Count(), 0);
    account.exec("insert into InventoryClass (cInvCCode, cInvCName, iInvCGrade) values ('01', '原材料', 1), "
                 "('0101', '金属件', 2), ('0101001', '一类', 3), ('02', '半成品', 1)");
    EXPECT_EQ(lengths(service->GetClassCodeRule(permission)), (std::vector<long>{2, 2, 3}));
    account.exec("insert into CodeRule values ('InventoryClass', '3, 2,2,2')");
    EXPECT_EQ(lengths(service->GetClassCodeRule(permission)), (std::vector<long>{3, 2, 2, 2}));
}

TEST(SourceQueriesOnTheDemoAccount, EveryOpenDocumentIsListedAndTheRuleMatchesTheClasses) {
    testing::DemoAccount demo(2000);
    const std::string& path = demo.path();
    auto permission = testing::logged_in(demo.connection_string());
    AccountSourceQueryService service([&] { return permission; });
    auto count = [&](const std::string& sql) { return std::stol(testing::query_scalar(path, sql)); };
    long open_orders = service.GetOrderHeads(permission, "")->RecordCount();
    service.put_ShowExecuted(true);
    long unclosed_orders = service.GetOrderHeads(permission, "")->RecordCount();
    EXPECT_GT(open_orders, 0);
    EXPECT_LT(open_orders, unclosed_orders);
    EXPECT_EQ(unclosed_orders, count("select count(*) from zpurpoheader h where cCloser is null and exists "
                                     "(select 1 from PO_Podetails l where l.POID = h.POID)"));
    ado::RecordsetPtr rs;
    std::string message;
    ASSERT_TRUE(service.GetDispatchHeads(session::StockOptions::create(), "", rs, message)) << message;
    EXPECT_EQ(rs->RecordCount(), count("select count(*) from DispatchList where cCloser is null"));
    EXPECT_GT(service.GetArrivalHeads(permission, "")->RecordCount(), 0);
    auto rule = service.GetClassCodeRule(permission);
    ASSERT_EQ(rule->Count(), 3);
    EXPECT_EQ(vb::CLng(rule->Item(Variant(3))), 3);
}

}  // namespace
}  // namespace korvane::host
