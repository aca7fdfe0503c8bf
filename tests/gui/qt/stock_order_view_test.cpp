// The purchase generation form as the clerk sees it, filled from a demo
// account through the real entry point: both tabs rendered and saved as
// screenshots, grey cells read-only in the view.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTableView>

#include "component/module_state.h"
#include "component/produce_order.h"
#include "generation/core/body_rows.h"
#include "generation/purchase/stock_order_form.h"
#include "gui/qt/qt_ui.h"
#include "session/login.h"
#include "tests/gui/qt/qt_app.h"
#include "tests/support/account.h"
#include "tests/support/module_ui.h"

namespace korvane::qt {
namespace {

TEST(StockOrderView, BothTabsFilledFromTheDemoAccount) {
    testing::qt_app();
    testing::DemoAccount demo(2000);
    testing::ModuleUi module;
    ui::HeadlessUi& headless = module.ui;
    bool shown = false;
    headless.on_show(generation::frmStockOrder::kFormName, [&](ui::Form& form) {
        auto& f = dynamic_cast<generation::frmStockOrder&>(form);
        FormView view(f);
        view.show();
        f.Check1().click();
        f.cmdFilter().click();
        f.lstDdHead().click(1, 0);
        f.lstDdHead().click(2, 0);
        f.lstDdBody().select(1, f.lstDdBody().Cols() - 2);
        QApplication::processEvents();
        auto* body = qobject_cast<QTableView*>(view.widget_of("lstDdBody"));
        ASSERT_TRUE(body);
        ASSERT_GT(body->model()->rowCount(), 0);
        // the entry column takes typing, the inventory code (grey) does not
        const long inv = generation::ModuleCtl::CaptionColumn(f.lstDdBody(), "存货编码");
        EXPECT_TRUE(body->model()->flags(body->model()->index(0, f.lstDdBody().Cols() - 2)) & Qt::ItemIsEditable);
        EXPECT_FALSE(body->model()->flags(body->model()->index(0, inv)) & Qt::ItemIsEditable);
        EXPECT_TRUE(view.save_png(testing::screenshot_dir() + "/stock_order_orders.png"));

        headless.answer("选择到货单将取消订单的所有选择,是否继续?", ui::vb::vbYes);
        f.SSTab1().click_tab(1);
        f.Command1().click();
        for (long r = 1; r <= 2 && r < f.lstDhdHead().Rows(); ++r) {
            f.lstDhdHead().click(r, 1);
            f.lstDhdHead().mouse_up(ui::vbLeftButton, 0, r, 1);
        }
        QApplication::processEvents();
        EXPECT_TRUE(view.save_png(testing::screenshot_dir() + "/stock_order_arrivals.png"));
        shown = true;
        f.cmdExit().click();
    });
    component::ProduceOrder po;
    component::ProduceOrder::CollectionPtr got;
    std::string err;
    bool from_orders = true;
    EXPECT_TRUE(po.loadStockOrder("", session::AccountLogin::create(demo.connection_string(), "demo"), got, err,
                                  from_orders))
        << err;
    EXPECT_TRUE(shown);
    EXPECT_EQ(got, nullptr);
}

}  // namespace
}  // namespace korvane::qt
