// The host components the purchase generation works with, over an account:
// column settings per voucher kind, the warehouse master, and the reference
// list of a query under captions of its own.
#include <gtest/gtest.h>

#include "host/business_objects.h"
#include "host/inventory.h"
#include "host/reference_list.h"
#include "host/warehouse_master.h"
#include "platform/vb/convert.h"
#include "session/login.h"
#include "session/stock_option_service.h"
#include "tests/support/account.h"
#include "tests/support/services.h"
#include "tests/support/errors.h"

namespace korvane::host {
namespace {

// A one-row line set naming an inventory, as the forms' copies do.
ado::RecordsetPtr line_of(const std::string& inventory) {
    auto rs = ado::Recordset::create();
    rs->Fields().Append("cinvcode", ado::adVarWChar, 20);
    rs->Open();
    rs->AddNew();
    rs->Fields(Variant("cinvcode")).put_Value(Variant(inventory));
    rs->Update();
    return rs;
}

TEST(ColumnSettings, PerVoucherKindWithTheInventorysBatchAndDates) {
    testing::TestAccount account;
    account.add_inventory("A001");
    account.add_inventory(testing::InventoryRow{.code = "B001", .batch = true, .quality = true, .mass_days = 30});
    account.set_option("001", "", "OverOrder", "True");
    account.exec("insert into VoucherColumnSet values (57, '批号', 1, 0), (57, '生产日期', 1, 0), "
                 "(57, '入库单号', 1, 1), (57, '保质期', 0, 0), (5, '批号', 1, 1)");
    auto service = session::AccountStockOptionService::create();
    EXPECT_EQ(testing::error_number([&] { service->GetColumnSet(57, nullptr, nullptr); }), 91);
    std::string message;
    ASSERT_TRUE(service->InitFromSession(session::AccountLogin::create(account.connection_string(), "demo"), message));

    auto by_caption = [](const std::vector<session::ColumnSetting>& all, const std::string& caption) {
        for (const auto& s : all)
            if (s.Column == caption) return s;
        return session::ColumnSetting{"<none>", false, false};
    };
    auto plain = service->GetColumnSet(57, nullptr, line_of("A001"));
    ASSERT_EQ(plain.size(), 4u);
    EXPECT_FALSE(by_caption(plain, "批号").Enabled) << "an inventory kept without batches";
    EXPECT_FALSE(by_caption(plain, "生产日期").Enabled);
    EXPECT_TRUE(by_caption(plain, "入库单号").Refrence);
    EXPECT_FALSE(by_caption(plain, "保质期").Enabled);
    auto batched = service->GetColumnSet(57, nullptr, line_of("B001"));
    EXPECT_TRUE(by_caption(batched, "批号").Enabled);
    EXPECT_TRUE(by_caption(batched, "生产日期").Enabled);
    auto sales = service->GetColumnSet(5, nullptr, line_of("B001"));
    ASSERT_EQ(sales.size(), 1u);
    EXPECT_TRUE(sales[0].Refrence);
}

TEST(WarehouseMaster, FindsByCodeOrNameAndKnowsTheRegisteredInventories) {
    testing::TestAccount account;
    account.add_warehouse("01", "原料仓");
    account.add_warehouse("02", "成品仓");
    account.exec("insert into WarehouseInventory values ('01', 'A001')");
    auto permission = testing::logged_in(account.connection_string());
    auto master = account_warehouse_master(account_business_objects());
    master->put_Login(permission);
    BusinessItem wh;
    ASSERT_TRUE(master->Find("02", wh));
    EXPECT_EQ(wh.name, "成品仓");
    ASSERT_TRUE(master->Find("原料仓", wh));
    EXPECT_EQ(wh.id, "01");
    EXPECT_FALSE(master->Find("03", wh));
    EXPECT_TRUE(master->HasInventory("01", "A001"));
    EXPECT_FALSE(master->HasInventory("02", "A001"));
}

TEST(ReferenceList, AQueryUnderItsOwnCaptionsNarrowedByTheCondition) {
    testing::TestAccount account;
    account.exec("insert into FreeItemValue values (1, '01', '红', '6901'), (1, '02', '深红', '6902'), "
                 "(1, '03', '蓝', '6903')");
    ui::HeadlessUi ui;
    std::vector<std::string> failures;
    ui.on_failure = [&](const std::string& w) { failures.push_back(w); };
    ui.on_show(ReferenceListForm::kFormName, [](ui::Form& f) {
        auto& list = dynamic_cast<ReferenceListForm&>(f);
        auto& g = list.grid();
        EXPECT_EQ(list.Caption(), "自由项参照");
        EXPECT_EQ(g.TextMatrix(0, 1), "代码");
        EXPECT_EQ(g.TextMatrix(0, 2), "值");
        EXPECT_EQ(g.TextMatrix(0, 3), "条码");
        ASSERT_EQ(g.Rows(), 3) << "only the values holding 红";
        list.pick(2);
    });
    auto picked = account_reference_list()->ShowColumns(
        ui, session::AccountLogin::create(account.connection_string(), "demo"),
        "select cValueCode, cValue, cBarCode from FreeItemValue where iFreeNo = 1 order by cValueCode", "自由项参照",
        "代码,值,条码", " like '%红%'");
    EXPECT_TRUE(failures.empty());
    ASSERT_TRUE(picked);
    ASSERT_EQ(picked->RecordCount(), 1);
    EXPECT_EQ(vb::CStr((*picked)(Variant("cValue"))), "深红");
}

TEST(DemoAccount, GenerationSettingsLeaveSomeColumnsLockedAndSomeWarehousesWithout) {
    testing::DemoAccount demo(200);
    const std::string path = demo.path();
    EXPECT_EQ(testing::query_scalar(path, "select count(*) from VoucherColumnSet where iVouchKind = 57 and bEnabled = 0"),
              "3");
    EXPECT_NE(testing::query_scalar(path, "select count(*) from VoucherColumnSet where iVouchKind = 5"), "0");
    const long all = std::stol(testing::query_scalar(path, "select count(*) from Warehouse")) *
                     std::stol(testing::query_scalar(path, "select count(*) from Inventory"));
    const long registered = std::stol(testing::query_scalar(path, "select count(*) from WarehouseInventory"));
    EXPECT_GT(registered, all / 2);
    EXPECT_LT(registered, all);
    EXPECT_EQ(testing::query_scalar(path, "select count(distinct iFreeNo) from FreeItemValue"), "2");
}

TEST(InventoryObject, PiecesAreSkippedOnlyForSingleUnitInventories) {
    testing::TestAccount account;
    account.exec(
        "insert into Inventory (cInvCode, cInvName, iGroupType) values ('A1', '螺栓', 0), ('a2', '纸箱', 1), "
        "('A3', '线缆', 2)");
    auto con = ado::Connection::create();
    con->Open(account.connection_string());
    EXPECT_TRUE(load_inventory(con, "A1")->SkipPieceCheck());
    EXPECT_FALSE(load_inventory(con, "A2")->SkipPieceCheck());
    EXPECT_EQ(load_inventory(con, "A2")->cInvCode(), "a2");
    EXPECT_FALSE(load_inventory(con, "A3")->SkipPieceCheck());
    EXPECT_EQ(testing::error_number([&] { load_inventory(con, "ZZ"); }), err::kNoCurrentRecord);
}

}  // namespace
}  // namespace korvane::host
