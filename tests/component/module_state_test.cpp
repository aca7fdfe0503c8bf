// The module's one state object: what every form of one entry point shares,
// and that a reset leaves a fresh process behind.
#include "component/module_state.h"

#include <gtest/gtest.h>

#include "component/dispatch.h"
#include "component/ref_select.h"
#include "generation/purchase/stock_order_form.h"
#include "generation/sales/cons_form.h"
#include "selection/scratch_tables.h"
#include "session/login.h"
#include "tests/support/account.h"

namespace korvane::component {
namespace {

struct ModuleStateTest : ::testing::Test {
    testing::TestAccount account;
    session::LoginPtr login = session::AccountLogin::create(account.connection_string(), "demo");
    void SetUp() override { reset(); }
    void TearDown() override { reset(); }
};

TEST_F(ModuleStateTest, FormsMadeFromOneServicesObjectShareTheSessionAndTheModulesServices) {
    auto permission = renew_permission_with_options(login);
    EXPECT_EQ(module().permission, permission);
    const generation::FormServices services = form_services(permission);
    generation::frmStockOrder purchase(services);
    generation::frmCons sales(services);
    EXPECT_EQ(purchase.services().permission, sales.services().permission);
    EXPECT_EQ(purchase.services().permission->GetSession(), login);
    EXPECT_EQ(purchase.services().source_query, sales.services().source_query);
    EXPECT_EQ(purchase.services().source_query, source_query_service()) << "one instance for the process";
    EXPECT_EQ(purchase.services().layout, &module().layout);
    EXPECT_EQ(&purchase.services().host(), &ui_host());

    // a later entry point's session is the one new forms get; made forms keep theirs
    auto later = renew_permission(login);
    EXPECT_NE(form_services(later).permission, purchase.services().permission);
    EXPECT_EQ(module().permission, later);
}

TEST_F(ModuleStateTest, ResetLeavesAFreshModule) {
    ModuleStartup();
    auto permission = renew_permission(login);
    module().sql = "update x";
    module().selection_where = "cInvCode like 'A%'";
    module().layout.BodyLaidOutA = true;
    module().layout.IdCol = 4;
    auto queries = source_query_service();
    auto options = new_stock_option_service();
    bool host_definitions = false;
    module().make_user_define = [&] {
        host_definitions = true;
        return host::account_user_define();
    };
    ui::HeadlessUi host_ui;
    set_ui_host(&host_ui);
    module().objects.unregister_factory("Pobrex.Terminal");

    reset();
    ModuleState& m = module();
    EXPECT_FALSE(m.started);
    EXPECT_EQ(m.permission, nullptr);
    EXPECT_EQ(m.sql, "");
    EXPECT_EQ(m.selection_where, "");
    EXPECT_FALSE(m.layout.BodyLaidOutA);
    EXPECT_EQ(m.layout.IdCol, 0);
    EXPECT_EQ(m.stock_option, nullptr);
    EXPECT_NE(source_query_service(), queries);
    EXPECT_NE(&ui_host(), &host_ui) << "back to the headless host";
    form_services(permission).user_defines();
    EXPECT_FALSE(host_definitions) << "our definitions again";
    setenv("KORVANE_SESSION_ID", "5", 1);
    EXPECT_EQ(selection::GetTerminalSessionId(m.objects), "5") << "the terminal component is there again";
    unsetenv("KORVANE_SESSION_ID");
}

TEST_F(ModuleStateTest, ListingTheClassesMakesNoObjectAndRunsNoStartUp) {
    ASSERT_EQ(all_classes().size(), 5u);
    EXPECT_STREQ(all_classes()[3]->name, "RefSelect");
    EXPECT_FALSE(module().started);
    EXPECT_EQ(module().shared_helper, nullptr);
    RefSelect select;
    EXPECT_TRUE(module().started);
}

}  // namespace
}  // namespace korvane::component
