// The production form as the clerk sees it: rendered from its model on the
// demo account, its order checked through Qt, both tabs saved as screenshots.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTabBar>
#include <QTreeWidget>

#include "component/module_state.h"
#include "component/produce_order.h"
#include "generation/production/produce_order_form.h"
#include "gui/qt/qt_ui.h"
#include "session/login.h"
#include "tests/gui/qt/qt_app.h"
#include "tests/support/account.h"
#include "tests/support/module_ui.h"

namespace korvane::qt {
namespace {

TEST(ProductionView, ListsOrdersProductsAndOnTheSecondTabMaterials) {
    testing::qt_app();
    testing::DemoAccount account(4000);
    auto login = session::AccountLogin::create(account.connection_string(), "demo");
    testing::ModuleUi module;
    ui::HeadlessUi& headless = module.ui;
    headless.auto_ok(true);  // a product without materials is told, not asked
    bool shown = false;
    headless.on_show(generation::frmProduceOrder::kFormName, [&](ui::Form& f) {
        auto& d = dynamic_cast<generation::frmProduceOrder&>(f);
        FormView view(d);
        view.show();
        QApplication::processEvents();
        d.cmdFilter().click();
        QApplication::processEvents();
        auto* orders = qobject_cast<QTreeWidget*>(view.widget_of("lstParent"));
        auto* products = qobject_cast<QTreeWidget*>(view.widget_of("lstSub"));
        ASSERT_TRUE(orders && products);
        ASSERT_GT(orders->topLevelItemCount(), 2);
        EXPECT_EQ(orders->topLevelItemCount(), d.lstParent().item_count());
        EXPECT_EQ(orders->headerItem()->text(2), "生产订单号");
        EXPECT_FALSE(view.widget_of("cmbInv")->isEnabled());

        // the clerk checks the second order in the list
        orders->topLevelItem(1)->setCheckState(0, Qt::Checked);
        QApplication::processEvents();
        EXPECT_TRUE(d.lstParent().item(2).checked);
        EXPECT_EQ(products->topLevelItemCount(), d.lstSub().item_count());
        ASSERT_GT(products->topLevelItemCount(), 0);
        EXPECT_EQ(products->topLevelItem(0)->checkState(0), Qt::Checked);
        EXPECT_TRUE(view.widget_of("cmbInv")->isEnabled());
        EXPECT_FALSE(view.widget_of("lstChild")->isVisible()) << "materials sit on the second tab";
        EXPECT_TRUE(view.save_png(testing::screenshot_dir() + "/produce_order.png"));

        auto* tabs = qobject_cast<QTabBar*>(view.widget_of("SSTab1"));
        ASSERT_TRUE(tabs);
        emit tabs->tabBarClicked(1);
        QApplication::processEvents();
        EXPECT_EQ(view.windowTitle(), "选择生产计划和投产的存货");
        EXPECT_TRUE(view.widget_of("lstChild")->isVisible());
        EXPECT_EQ(qobject_cast<QTreeWidget*>(view.widget_of("lstChild"))->topLevelItemCount(),
                  d.lstChild().item_count());
        EXPECT_TRUE(view.save_png(testing::screenshot_dir() + "/produce_order_materials.png"));
        shown = true;
        d.cmdOk().click();
        if (d.loaded()) d.cmdExit().click();
    });
    component::ProduceOrder po;
    component::ProduceOrder::CollectionPtr got;
    std::string err;
    EXPECT_TRUE(po.load("", login, got, err, false, 10)) << err;
    EXPECT_TRUE(shown);
}

}  // namespace
}  // namespace korvane::qt
