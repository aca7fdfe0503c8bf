// ProduceOrder as a host uses it: each entry point opens its form, the form
// hands over its collection or leaves, and the write-backs change the
// source documents on the account.
#include "component/produce_order.h"

#include <gtest/gtest.h>

#include "component/module_state.h"
#include "generation/production/produce_order_form.h"
#include "generation/purchase/stock_order_form.h"
#include "generation/sales/cons_form.h"
#include "platform/vb/convert.h"
#include "tests/support/account.h"
#include "tests/support/errors.h"
#include "tests/support/module_ui.h"

namespace korvane::component {
namespace {

using generation::frmCons;
using generation::frmProduceOrder;
using generation::frmStockOrder;
using Keys = std::vector<std::string>;

struct ProduceOrderTest : ::testing::Test {
    testing::TestAccount account;
    testing::ModuleUi module_ui;
    ui::HeadlessUi& ui = module_ui.ui;
    session::LoginPtr login;
    ProduceOrder po;
    ProduceOrder::CollectionPtr got;
    std::string err;

    void SetUp() override {
        account.add_inventory("P001");
        account.add_inventory("P002");
        // an order with two products, a plan with one
        account.exec("insert into pp_pohead (id, bPlan, iVouchType, cCode, dDate) values "
                     "(1, 0, 0, '0000000001', '2024-03-01'), (2, 1, 0, 'JH00000001', '2024-03-02')");
        account.exec("insert into pp_pomain (mainid, id, cInvCode, fQuantity, fInQuantity, bThrow) values "
                     "(11, 1, 'P001', 100, 20, 0), (12, 1, 'P002', 50, 0, 0), (21, 2, 'P001', 30, 0, 0)");
        account.exec("insert into DispatchList (DLID, cDLCode, cVouchType, dDate) values (7, 'FH0001', '05', '2024-03-05')");
        account.exec("insert into DispatchLists (DLsID, DLID, cInvCode, iQuantity, iNum, fOutQuantity, fOutNum) "
                     "values (71, 7, 'P001', 10, 2, 3, 0)");
        login = session::AccountLogin::create(account.connection_string(), "demo");
    }
    template <class F>
    void on_show(const char* name, std::function<void(F&)> script) {
        ui.on_show(name, [script](ui::Form& f) { script(dynamic_cast<F&>(f)); });
    }
    static Keys keys(const ProduceOrder::CollectionPtr& c) {
        Keys k;
        for (long i = 1; c && i <= c->Count(); ++i) k.push_back(c->KeyAt(i));
        return k;
    }
    static ado::RecordsetPtr rows(const char* name) {
        auto rs = ado::Recordset::create();
        rs->Fields().Append(name, ado::adInteger);
        rs->Open();
        return rs;
    }
    std::string scalar(const std::string& sql) { return account.scalar(sql); }
};

TEST_F(ProduceOrderTest, ProductionFormHandsOverParentSubAndOnTheMaterialsTabChild) {
    on_show<frmProduceOrder>(frmProduceOrder::kFormName, [](frmProduceOrder& f) {
        EXPECT_EQ(f.context().filter_clause, "cCode = '0000000001'");
        EXPECT_EQ(f.context().connection->State(), ado::adStateOpen);
        EXPECT_FALSE(f.context().bOI);
        EXPECT_EQ(f.Caption(), "选择生产订单和生产的存货");
        f.confirm(rows("id"), rows("mainid"), rows("subid"));
    });
    EXPECT_TRUE(po.load("0000000001", login, got, err, false, 39));
    EXPECT_EQ(err, "");
    EXPECT_EQ(keys(got), (Keys{"Parent", "Sub"})) << "no materials list on the first tab";
    EXPECT_EQ(po.eVouchType(), 39);
    EXPECT_EQ(got->Item(Variant("Sub")).object(), po.oCollection()->Item(Variant("Sub")).object());

    // plans open on the materials tab, which then takes part
    on_show<frmProduceOrder>(frmProduceOrder::kFormName, [](frmProduceOrder& f) {
        EXPECT_TRUE(f.context().bOI);
        EXPECT_FALSE(f.SSTab1().TabEnabled(0));
        EXPECT_EQ(f.Caption(), "选择生产计划和投产的存货");
        EXPECT_EQ(f.context().filter_clause, "cCode = '0000000001'") << "an empty id keeps the earlier clause";
        f.confirm(rows("id"), rows("mainid"), rows("subid"));
    });
    EXPECT_TRUE(po.load("", login, got, err, true));
    EXPECT_EQ(keys(got), (Keys{"Parent", "Sub", "Child"}));

    // leaving with the exit button hands nothing over and still succeeds
    on_show<frmProduceOrder>(frmProduceOrder::kFormName, [](frmProduceOrder& f) { f.cmdExit().click(); });
    EXPECT_TRUE(po.load("", login, got, err));
    EXPECT_EQ(got, nullptr);
    EXPECT_EQ(po.oCollection(), nullptr);
}

// The whole road on the account: the id restricts the list to its order,
// the clerk keeps one product, and that line's receipt is written back.
TEST_F(ProduceOrderTest, ClerkGeneratesFromTheOrderOfTheIdAndTheReceiptIsWrittenBack) {
    on_show<frmProduceOrder>(frmProduceOrder::kFormName, [](frmProduceOrder& f) {
        f.cmdFilter().click();
        ASSERT_EQ(f.lstParent().item_count(), 1);
        f.lstParent().check_item(1, true);
        f.lstSub().check_item(f.lstSub().index_of("k12"), false);
        f.cmdOk().click();
        EXPECT_FALSE(f.loaded());
    });
    ASSERT_TRUE(po.load("0000000001", login, got, err));
    ASSERT_EQ(keys(got), (Keys{"Parent", "Sub"}));
    auto sub = std::dynamic_pointer_cast<ado::Recordset>(got->Item(Variant("Sub")).object());
    ASSERT_EQ(sub->RecordCount(), 1);
    EXPECT_EQ(vb::CStr((*sub)(Variant("mainid"))), "11");
    EXPECT_TRUE(po.WritefQuantity(11, vb::CDbl((*sub)(Variant("fQuantity"))) - 20, err, false, "P001")) << err;
    EXPECT_EQ(scalar("select fInQuantity from pp_pomain where mainid = 11"), "100");
    EXPECT_EQ(scalar("select fInQuantity from pp_pomain where mainid = 12"), "0");
    EXPECT_TRUE(ui.messages().empty());
}

TEST_F(ProduceOrderTest, FreshInstanceOpensWithoutAFilterClause) {
    on_show<frmStockOrder>(frmStockOrder::kFormName, [](frmStockOrder& f) {
        EXPECT_EQ(f.context().filter_clause, "");
        f.cmdExit().click();
    });
    bool from_orders = true;
    EXPECT_TRUE(po.loadStockOrder("", login, got, err, from_orders));
    EXPECT_EQ(got, nullptr);
    EXPECT_FALSE(from_orders) << "the flag is OK's, not the tab's";
}

TEST_F(ProduceOrderTest, PurchaseFormIsKeptShownAgainAndUnloaded) {
    // two arrival vouchers; the id the host passes lists only its own
    account.exec("insert into pu_ArrHead (ID, cCode, dDate, cVenAbbName) values "
                 "(3, '0000000003', '2024-03-08', '华东精密'), (4, '0000000004', '2024-03-08', '华东精密')");
    account.exec("insert into PU_ArrivalVouchs (Autoid, ID, cInvCode, iQuantity, fValidInQuan) values "
                 "(31, 3, 'P001', 12, 0), (41, 4, 'P002', 5, 0)");
    on_show<frmStockOrder>(frmStockOrder::kFormName, [this](frmStockOrder& f) {
        EXPECT_EQ(f.Caption(), "选择采购订单或采购到货单");
        EXPECT_FALSE(f.txtOutDate().Text().empty()) << "the session's login date";
        f.txtOutDate().put_Text("2024-03-09");
        ui.answer("选择到货单将取消订单的所有选择,是否继续?", ui::vb::vbYes);
        f.SSTab1().click_tab(1);  // arrival vouchers
        f.Command1().click();
        ASSERT_EQ(f.lstDhdHead().Rows(), 2);
        f.lstDhdHead().click(1, 1);
        f.lstDhdHead().mouse_up(ui::vbLeftButton, 0, 1, 1);
        ui.answer("确认要生单吗？", ui::vb::vbYes);
        f.cmdOk().click();
    });
    bool from_orders = true;
    EXPECT_TRUE(po.loadStockOrder("0000000003", login, got, err, from_orders));
    EXPECT_FALSE(from_orders);
    EXPECT_EQ(keys(got), (Keys{"Head", "Body", "Date"}));
    EXPECT_EQ(got->Item(Variant("Date")).str(), "2024-03-09");
    ASSERT_TRUE(po.stock_order_form());
    EXPECT_TRUE(po.stock_order_form()->loaded()) << "confirming hides, it does not unload";

    bool shown_again = false;
    on_show<frmStockOrder>(frmStockOrder::kFormName, [&](frmStockOrder& f) {
        shown_again = true;
        f.Hide();
    });
    po.ShowForm(true);
    EXPECT_TRUE(shown_again);
    po.UnLoadForm(true);
    EXPECT_FALSE(po.stock_order_form()->loaded());
    EXPECT_EQ(po.oCollection(), nullptr) << "unloading takes the collection back";
    EXPECT_EQ(keys(got), (Keys{"Head", "Body", "Date"})) << "the host keeps what it received";

    // the sales form was never made by this instance
    EXPECT_EQ(testing::error_number([&] { po.ShowForm(false); }), 91);
    EXPECT_EQ(testing::error_number([&] { po.UnLoadForm(false); }), 91);
}

// The sales form's own hand-over ("Head", "Body", "Date", "Flag") is driven
// in the form's tests; here the entry point's side of it.
TEST_F(ProduceOrderTest, SalesFormGetsTheSessionAndLeavesAMessage) {
    on_show<frmCons>(frmCons::kFormName, [](frmCons& f) {
        EXPECT_EQ(f.context().login, f.services().permission->GetSession());
        EXPECT_EQ(f.Caption(), "选择发货单");
        f.leave_message("发货单已被修改");
        f.cmdExit().click();
    });
    EXPECT_TRUE(po.loadConsignment("FH0001", login, got, err));
    EXPECT_EQ(got, nullptr) << "a form that is left hands over nothing";
    EXPECT_EQ(err, "发货单已被修改");
}

TEST_F(ProduceOrderTest, WriteBacksChangeTheAccountAndPassRefusalsThrough) {
    on_show<frmProduceOrder>(frmProduceOrder::kFormName, [](frmProduceOrder& f) { f.cmdExit().click(); });
    ASSERT_TRUE(po.load("", login, got, err));

    EXPECT_TRUE(po.WritefQuantity(11, 5, err, false, "P001"));
    EXPECT_EQ(err, "");
    EXPECT_EQ(scalar("select fInQuantity from pp_pomain where mainid = 11"), "25");
    // bOI picks the plan operation: an order's line is no plan's
    EXPECT_FALSE(po.WritefQuantity(11, 5, err, true));
    EXPECT_EQ(err, "产品行 11 不属于生产计划");
    err.clear();
    EXPECT_TRUE(po.WritefQuantity(21, 4, err, true));
    EXPECT_EQ(scalar("select fInQuantity from pp_pomain where mainid = 21"), "4");
    err.clear();
    EXPECT_FALSE(po.WritefQuantity(12, 1, err, false, "P001"));
    EXPECT_EQ(err, "产品行 12 的产品是 P002，不是 P001");
    err.clear();
    EXPECT_FALSE(po.WritefQuantity(11, -40, err, false));
    EXPECT_EQ(err, "产品行 11 的累计入库数量不能小于零");
    EXPECT_EQ(scalar("select fInQuantity from pp_pomain where mainid = 11"), "25") << "a refusal writes nothing";
    err.clear();

    EXPECT_TRUE(po.WritebThrow(12, true, err));
    EXPECT_EQ(scalar("select bThrow from pp_pomain where mainid = 12"), "1");
    EXPECT_FALSE(po.WritefQuantity(12, 1, err, false));
    EXPECT_EQ(err, "产品行 12 已关闭，不能再入库");
    err.clear();

    EXPECT_TRUE(po.WritefDispQuantity(71, 4, err, 1));
    EXPECT_EQ(scalar("select fOutQuantity || '/' || fOutNum from DispatchLists where DLsID = 71"), "7/1");
    EXPECT_FALSE(po.WritefDispQuantity(72, 1, err));
    EXPECT_EQ(err, "发货单行 72 不存在");
}

TEST_F(ProduceOrderTest, WritebThrowOnAFreshInstanceReachesTheComponent) {
    ProduceOrder fresh;
    on_show<frmProduceOrder>(frmProduceOrder::kFormName, [](frmProduceOrder& f) { f.cmdExit().click(); });
    ASSERT_TRUE(fresh.load("", login, got, err));
    EXPECT_TRUE(fresh.WritebThrow(11, true, err));
    EXPECT_EQ(scalar("select bThrow from pp_pomain where mainid = 11"), "1");
    EXPECT_FALSE(fresh.WritebThrow(99, false, err));
    EXPECT_EQ(err, "产品行 99 不存在");

    // without an entry point there is no connection: an error, prefixed
    ProduceOrder unopened;
    std::string e;
    EXPECT_FALSE(unopened.WritebThrow(11, false, e));
    EXPECT_EQ(e, "ProduceOrder:WritebThrow91\r\nObject variable or With block variable not set");
    e.clear();
    EXPECT_FALSE(unopened.WritefDispQuantity(71, 1, e));
    EXPECT_EQ(e.rfind("ProduceOrder:WritefDispQuantity91\r\n", 0), 0u);
}

TEST_F(ProduceOrderTest, AnEntryPointThatFailsEmptiesTheCollectionAndPrefixesTheError) {
    got = std::make_shared<Collection>();
    auto bad = session::AccountLogin::create("Provider=SQLite;Data Source=/nonexistent/dir/account.db", "demo");
    EXPECT_FALSE(po.loadConsignment("", bad, got, err));
    EXPECT_EQ(got, nullptr);
    EXPECT_EQ(err.rfind("ProduceOrder:loadConsignment", 0), 0u) << err;
    EXPECT_NE(err.find("\r\n"), std::string::npos);
    err.clear();
    got = std::make_shared<Collection>();
    bool from_orders = true;
    EXPECT_FALSE(po.loadStockOrder("", bad, got, err, from_orders));
    EXPECT_EQ(err.rfind("loadStockOrder:load", 0), 0u) << err;
    EXPECT_EQ(got, nullptr);
}

}  // namespace
}  // namespace korvane::component
