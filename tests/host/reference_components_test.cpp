#include <gtest/gtest.h>

#include "host/business_objects.h"
#include "host/calendar.h"
#include "host/reference_list.h"
#include "platform/vb/convert.h"
#include "tests/support/account.h"
#include "tests/support/services.h"

namespace korvane::host {
namespace {

ado::RecordsetPtr vendors(const testing::TestAccount& account, ado::ConnectionPtr& con) {
    account.exec(
        "insert into Vendor (cVenCode, cVenName, cVenAbbName) values ('V01', '华东钢铁', '华东'), "
        "('V02', '华南五金', '华南'), ('V03', '北方塑料', '北塑')");
    con = ado::Connection::create();
    con->Open(account.connection_string());
    auto rs = ado::Recordset::create();
    rs->Open("select * from Vendor order by cVenCode", con, ado::adOpenStatic, ado::adLockReadOnly);
    return rs;
}

TEST(ReferenceListForm, SearchMarksAndTheResultCarryEveryField) {
    testing::TestAccount account;
    ado::ConnectionPtr con;
    auto rows = vendors(account, con);
    ui::HeadlessUi ui;
    ReferenceListForm list(ui, rows, "Vendor", kPickSeveral);
    EXPECT_EQ(list.Caption(), "供应商参照");
    auto& g = list.grid();
    ASSERT_EQ(g.Rows(), 4);
    EXPECT_EQ(g.TextMatrix(0, 1), "供应商编码");
    EXPECT_EQ(g.TextMatrix(0, 2), "供应商名称");
    EXPECT_TRUE(g.ColHidden(3));  // cVenAbbName travels hidden
    list.search().replace_text("华");
    EXPECT_TRUE(g.RowHidden(3));
    list.mark_all(true);  // the visible rows only
    EXPECT_EQ(list.marked_count(), 2);
    EXPECT_EQ(list.control_as<ui::Label>("lblStatus").Caption(), "共 2 条，已选 2 条");
    list.toggle(1);
    list.confirm();
    auto picked = list.result();
    ASSERT_TRUE(picked);
    ASSERT_EQ(picked->RecordCount(), 1);
    EXPECT_EQ(vb::CStr((*picked)(Variant("cVenCode"))), "V02");
    EXPECT_EQ(vb::CStr((*picked)(Variant("cVenAbbName"))), "华南");
    EXPECT_EQ(rows->RecordCount(), 3);  // the query's rows are left as they were
}

TEST(ReferenceListForm, ModeOneKeepsASingleMarkAndCancelGivesNothing) {
    testing::TestAccount account;
    ado::ConnectionPtr con;
    auto rows = vendors(account, con);
    ui::HeadlessUi ui;
    ReferenceListForm one(ui, rows, "vendor", kPickOne);
    one.toggle(1);
    one.toggle(3);
    EXPECT_EQ(one.marked_count(), 1);
    EXPECT_FALSE(one.control_as<ui::CommandButton>("cmdAll").Visible());
    one.cancel();
    EXPECT_FALSE(one.result());
    ReferenceListForm none(ui, rows, "Vendor", kPickSeveral);
    none.confirm();  // nothing marked
    EXPECT_FALSE(none.result());
    ReferenceListForm dbl(ui, rows, "Vendor", kPickSeveral);
    dbl.grid().dbl_click(3, 2);
    ASSERT_TRUE(dbl.result());
    EXPECT_EQ(vb::CStr((*dbl.result())(Variant("cVenName"))), "北方塑料");
}

TEST(BusinessObjects, FindByCodeThenByNameOrSayWhy) {
    testing::TestAccount account;
    account.add_warehouse("01", "原料库");
    account.add_warehouse("原料库", "另一个库");  // a code that reads like a name wins
    auto permission = testing::logged_in(account.connection_string());
    auto objects = account_business_objects();
    auto wh = objects->create("Warehouse");
    ASSERT_TRUE(wh);
    BusinessItem item;
    std::string error;
    EXPECT_FALSE(wh->load("01", item, error));  // no login yet
    EXPECT_FALSE(error.empty());
    wh->put_Login(permission);
    ASSERT_TRUE(wh->load("01", item, error));
    EXPECT_EQ(item.name, "原料库");
    ASSERT_TRUE(wh->load("原料库", item, error));
    EXPECT_EQ(item.id, "原料库");
    EXPECT_EQ(item.name, "另一个库");
    EXPECT_FALSE(wh->load("x'y", item, error));  // quotes cannot break the statement
    EXPECT_EQ(error, "仓库[x'y]不存在");
    EXPECT_FALSE(objects->create("rfbatch"));
}

TEST(CalendarForm, MonthsRollOverTheYear) {
    ui::HeadlessUi ui;
    CalendarForm cal(ui, vb::date_serial(2024, 12, 31));
    EXPECT_EQ(cal.control_as<ui::Label>("lblMonth").Caption(), "2024年12月");
    cal.next_month();
    EXPECT_EQ(cal.year(), 2025);
    EXPECT_EQ(cal.month(), 1);
    cal.previous_month();
    cal.previous_month();
    EXPECT_EQ(cal.month(), 11);
    cal.click_day(1, 0);  // 2024-11 starts on a Friday: Sunday of week 1 is empty
    EXPECT_EQ(vb::format_date(cal.chosen()), "2024-12-31");
    cal.click_day(5, 6);  // Saturday the 30th
    cal.confirm();
    EXPECT_EQ(cal.result().value_or(""), "2024-11-30");
}

}  // namespace
}  // namespace korvane::host
