// What the public classes refuse before they touch anything: amounts beyond
// the allocation's arithmetic, a negative rate, an id that would widen the
// source filter. Each refusal leaves no dialog result and no change.
#include <gtest/gtest.h>

#include "component/module_state.h"
#include "component/produce_order.h"
#include "component/ref_select.h"
#include "host/stock_queries.h"
#include "session/login.h"
#include "tests/support/account.h"
#include "tests/support/errors.h"
#include "tests/support/module_ui.h"

namespace korvane::component {
namespace {

struct Refusals : ::testing::Test {
    testing::TestAccount account;
    testing::ModuleUi module_ui;
    ui::HeadlessUi& ui = module_ui.ui;
    session::LoginPtr login = session::AccountLogin::create(account.connection_string(), "demo");
    std::string sql;

    void SetUp() override {
        account.add_warehouse("01");
        account.add_inventory("A001", 1, 10);
        account.add_stock("01", "A001", "B1", 40, 4);
        auto permission = session::PermissionService::create();
        permission->InitFromSession(login);
        host::account_batch_query_builder(permission)->GetBatchSql(sql, "01", "A001", {}, "");
    }
    bool auto_refer(RefSelect& s, double quantity, double rate, std::string& err) {
        return s.AutoRefer(login, std::string("01"), std::string("A001"), RefSelect::CollectionPtr(), quantity, 0.0,
                           rate, 0, sql, false, true, std::string(), err);
    }
};

TEST_F(Refusals, AnAmountBeyondTheArithmeticOverflowsBeforeTheSelectionOpens) {
    RefSelect s;
    std::string err = " ";
    EXPECT_EQ(testing::error_number([&] { auto_refer(s, 1e13, 10, err); }), 6);
    EXPECT_EQ(testing::error_number([&] { auto_refer(s, -2e13, 10, err); }), 6);
    EXPECT_EQ(s.ReturnData(), nullptr);
    EXPECT_EQ(module().permission, nullptr) << "no session was renewed";
    // just inside the bound the line allocates as usual
    EXPECT_FALSE(auto_refer(s, 9e12, 10, err));
    ASSERT_NE(s.ReturnData(), nullptr);
    EXPECT_EQ(err, "没有完全分配，还有8999999999960没有分配");
}

TEST_F(Refusals, ANegativeRateIsRefusedAsTheDialogRefusesIt) {
    RefSelect s;
    std::string err = " ";  // text mode: the refusal comes back here
    EXPECT_FALSE(auto_refer(s, 10, -10, err));
    EXPECT_EQ(err, "换算率不能输入负数");
    EXPECT_EQ(s.ReturnData(), nullptr);

    // message mode: a box without a title, as the dialog shows it
    ui.answer("换算率不能输入负数", ui::vb::vbOK);
    EXPECT_FALSE(s.Refer(login, std::string("01"), std::string("A001"), RefSelect::CollectionPtr(), 10.0, 0.0, -1.0, 0,
                         sql, false, true, std::string()));
    EXPECT_EQ(s.ReturnData(), nullptr);
    ASSERT_EQ(ui.messages().size(), 1u);
    EXPECT_EQ(ui.messages()[0].title, "");
}

TEST_F(Refusals, ASourceIdThatWouldWidenTheFilterIsRefusedWithNoFormShown) {
    ProduceOrder po;
    ProduceOrder::CollectionPtr got;
    std::string err;
    EXPECT_FALSE(po.loadStockOrder("x' or '1'='1", login, got, err));
    EXPECT_EQ(err, "loadStockOrder:load5\r\n值不能用于SQL语句：「x' or '1'='1」");
    EXPECT_EQ(got, nullptr);
    EXPECT_EQ(po.stock_order_form(), nullptr);
}

TEST_F(Refusals, AScratchKeyThatWouldWidenTheLookupIsRefused) {
    RefSelect s;
    EXPECT_EQ(testing::error_number([&] {
                  s.GetAutoID(login, std::string("01' or '1'='1"), std::string("A001"), std::string(), std::string(),
                              std::string(), std::string(), std::string(), std::string(), std::string(),
                              std::string(), std::string(), std::string(), std::string("B1"));
              }),
              5);
    EXPECT_EQ(s.GetAutoID(login, std::string("01"), std::string("A001"), std::string(), std::string(), std::string(),
                          std::string(), std::string(), std::string(), std::string(), std::string(), std::string(),
                          std::string(), std::string("B1")),
              1);
}

}  // namespace
}  // namespace korvane::component
