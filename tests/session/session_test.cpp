#include <gtest/gtest.h>

#include "platform/ado/recordset.h"
#include "platform/vb/convert.h"
#include "platform/vb/error.h"
#include "session/login.h"
#include "session/permission_service.h"
#include "session/stock_option_service.h"
#include "tests/support/account.h"

namespace korvane::session {
namespace {

class SessionOnAccount : public ::testing::Test {
protected:
    void SetUp() override {
        account_.exec(
            "insert into Operator values ('demo', '演示', 1), ('clerk', '保管员', 0), ('nobody', '无', 0);"
            "insert into OperatorRight values ('demo', 'ST0118');"
            "insert into RowAuthority values ('clerk', 'warehouse', '02', 'W'), ('clerk', 'warehouse', '01', 'W'),"
            " ('clerk', 'warehouse', '09', 'R');"
            "insert into AccountOption values ('001', '', 'QuanDecDgt', '4'), ('001', '2024', 'QuanDecDgt', '3'),"
            " ('001', '', 'OverOrder', 'True');");
    }
    LoginPtr login(const char* op, double date = 0) {
        return AccountLogin::create(LoginSettings{.connection_string = account_.connection_string(), .operator_code = op,
                                                  .login_date = date ? date : vb::date_serial(2024, 6, 1)});
    }
    testing::TestAccount account_;
};

TEST_F(SessionOnAccount, RightsAndRowAuthorityComeFromTheAccount) {
    EXPECT_TRUE(login("demo")->HasRight("ST0118", 1, 0));
    EXPECT_FALSE(login("clerk")->HasRight("ST0118", 1, 0));
    auto ps = PermissionService::create();
    ps->InitFromSession(login("demo"));
    EXPECT_EQ(ps->RowAuthorityList("warehouse", "", "W"), "");
    ps->InitFromSession(login("clerk"));
    EXPECT_EQ(ps->RowAuthorityList("warehouse", "", "W"), "'01','02'");
    EXPECT_EQ(ps->RowAuthorityList("warehouse", "", "R"), "'09'");
    ps->InitFromSession(login("nobody"));
    EXPECT_EQ(ps->RowAuthorityList("warehouse", "", "W"), "''");  // restricted to nothing
    auto con = ps->GetConnection();
    EXPECT_EQ(ps->GetConnection(), con);  // opened once
    con->Close();
    EXPECT_EQ(ps->GetConnection()->State(), ado::adStateOpen);
}

TEST_F(SessionOnAccount, OptionsTakeTheYearOverTheDefaultRow) {
    auto ps = PermissionService::create();
    ps->InitFromSession(login("demo"));
    EXPECT_EQ(ps->GetOptions()->QuanDecDgt(), 3);
    EXPECT_TRUE(ps->GetOptions()->OverOrder());
    ps->InitFromSession(login("demo", vb::date_serial(2025, 1, 2)));
    EXPECT_EQ(ps->GetOptions()->QuanDecDgt(), 4);
    std::string status = "x";
    EXPECT_FALSE(ps->InitFromSession(nullptr, status));
    EXPECT_FALSE(status.empty());
}

TEST_F(SessionOnAccount, StockOptionServiceRefusesAnAccountWithoutOptions) {
    auto svc = AccountStockOptionService::create();
    std::string message;
    EXPECT_TRUE(svc->InitFromSession(login("demo"), message));
    EXPECT_TRUE(svc->GetOptions()->OverOrder());
    testing::TestAccount bare;
    auto other = AccountStockOptionService::create();
    EXPECT_FALSE(other->InitFromSession(AccountLogin::create(bare.connection_string(), "demo"), message));
    EXPECT_EQ(message, "本账套未设置库存管理选项，请先在库存管理中设置选项！");
}

}  // namespace
}  // namespace korvane::session
