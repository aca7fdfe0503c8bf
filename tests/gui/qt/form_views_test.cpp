// The forms as the clerk sees them, rendered from their models on an account,
// clicked through Qt and saved as screenshots.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QStatusBar>
#include <QTabBar>
#include <QTableView>
#include <QTest>
#include <QToolBar>
#include <QTreeWidget>

#include "component/module_state.h"
#include "component/produce_order.h"
#include "component/ref_select.h"
#include "component/return_inv_set.h"
#include "generation/core/body_rows.h"
#include "generation/production/produce_order_form.h"
#include "generation/purchase/stock_order_form.h"
#include "gui/qt/qt_ui.h"
#include "host/stock_queries.h"
#include "invselect/return_inv_set_form.h"
#include "platform/vb/convert.h"
#include "selection/ref_select_form.h"
#include "session/login.h"
#include "tests/gui/qt/qt_app.h"
#include "tests/support/account.h"
#include "tests/support/module_ui.h"
#include "tests/support/services.h"

namespace korvane::qt {
namespace {

// The purchase generation form as the clerk sees it, filled from a demo
// account through the real entry point: both tabs rendered and saved as
// screenshots, grey cells read-only in the view.
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

// The production form as the clerk sees it: rendered from its model on the
// demo account, its order checked through Qt, both tabs saved as screenshots.
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

// The selection dialog as the operator sees it: rendered from its model on a
// real account, clicked through Qt, saved as a screenshot.
TEST(SelectionView, RendersTheLineAndTheCandidatesAndForwardsClicks) {
    testing::qt_app();
    testing::TestAccount account;
    account.add_warehouse("01", "成品库");
    testing::InventoryRow inv{.code = "A001", .name = "螺栓 M8", .group_type = 1, .rate = 2};
    inv.free[0] = true;
    account.add_inventory(inv);
    account.exec("insert into UserDef values ('20', '自由项1', '颜色')");
    const char* batches[] = {"B2026001", "B2026002", "B2026003"};
    for (int i = 0; i < 3; ++i) {
        testing::StockRow row{.warehouse = "01", .inventory = "A001", .batch = batches[i],
                              .quantity = 4.0 + i * 2, .pieces = 2.0 + i};
        row.free[0] = "红";
        account.add_stock(row);
    }
    auto login = session::AccountLogin::create(account.connection_string(), "demo");
    auto permission = session::PermissionService::create();
    permission->InitFromSession(login);
    std::string sql;
    host::account_batch_query_builder(permission)->GetBatchSql(sql, "01", "A001", {}, "");

    testing::ModuleUi module;
    ui::HeadlessUi& headless = module.ui;
    bool shown = false;
    headless.on_show(selection::frmRefSelect::kFormName, [&](ui::Form& f) {
        auto& d = dynamic_cast<selection::frmRefSelect&>(f);
        FormView view(d);
        view.show();
        QApplication::processEvents();
        auto* table = qobject_cast<QTableView*>(view.widget_of("spgList"));
        ASSERT_TRUE(table);
        EXPECT_EQ(table->model()->rowCount(), 3);
        auto* bar = view.findChild<QToolBar*>();
        ASSERT_TRUE(bar);
        EXPECT_GE(bar->actions().size(), 4);
        // help keeps its caption only: the dialog assigns it no image
        for (auto* a : bar->actions())
            EXPECT_EQ(a->icon().isNull(), a->text() == "帮助") << a->text().toStdString();

        // a click on the first column of the third row takes from it
        QRect cell = table->visualRect(table->model()->index(2, 1));
        QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, cell.center());
        QApplication::processEvents();
        EXPECT_EQ(d.remaining_quantity(), 0);

        EXPECT_TRUE(view.save_png(testing::screenshot_dir() + "/ref_select.png"));
        shown = true;
        d.TaskRun("ok");
    });
    auto free = std::make_shared<Collection>();
    free->Add(Variant("红"));
    component::RefSelect s;
    s.Refer(login, std::string("01"), std::string("A001"), free, 4.0, 2.0, 2.0, 0, sql, false, true, std::string());
    EXPECT_TRUE(shown);
    ASSERT_TRUE(s.ReturnData());
    EXPECT_EQ(s.ReturnData()->RecordCount(), 1);
}

// The inventory picker as the clerk sees it: the class tree beside the list,
// the status bar following the list, a located row scrolled to the top.
TEST(PickerView, TreeListAndStatusBarFollowTheModel) {
    testing::qt_app();
    testing::TestAccount account;
    account.exec("insert into CodeRule values ('InventoryClass', '2,3')");
    account.exec("insert into InventoryClass (cInvCCode, cInvCName, iInvCGrade, bInvCEnd) values "
                 "('01', '原材料', 1, 0), ('01001', '金属件', 2, 1), ('02', '产成品', 1, 1)");
    for (int i = 0; i < 60; ++i) {
        char code[16];
        std::snprintf(code, sizeof code, "M%03d", i);
        account.add_inventory(testing::InventoryRow{.code = code, .name = "螺栓", .standard = "M8×30",
                                                    .class_code = "01001"});
    }
    auto permission = testing::logged_in(account.connection_string());
    testing::Services s(permission);
    s.headless.answer_input("30");
    ado::RecordsetPtr result;
    std::string where;
    ado::ConnectionPtr con;
    invselect::frmReturnInvSet form(s.services, invselect::SelectionState{&result, &where, &con});
    form.Load();
    FormView view(form);
    view.show();
    QApplication::processEvents();

    auto* tree = qobject_cast<QTreeWidget*>(view.widget_of("treeMenu"));
    ASSERT_TRUE(tree);
    ASSERT_EQ(tree->topLevelItemCount(), 1);
    EXPECT_EQ(tree->topLevelItem(0)->text(0), "存货");
    EXPECT_EQ(tree->topLevelItem(0)->childCount(), 2);
    form.treeMenu().expand("m01");
    form.treeMenu().check_node("m01001", true);
    QApplication::processEvents();
    auto* table = qobject_cast<QTableView*>(view.widget_of("ListView1"));
    ASSERT_TRUE(table);
    EXPECT_EQ(table->model()->rowCount(), 60);
    auto* status = qobject_cast<QStatusBar*>(view.widget_of("StatusBar1"));
    ASSERT_TRUE(status);
    const auto labels = status->findChildren<QLabel*>(Qt::FindDirectChildrenOnly);
    ASSERT_GE(labels.size(), 2);
    EXPECT_EQ(labels[1]->text(), "共60条");
    form.Locate();
    QApplication::processEvents();
    EXPECT_EQ(labels[0]->text(), "第30条");
    // the located row is the first one shown
    EXPECT_EQ(table->rowAt(0), 29);
    for (long r : {30L, 31L}) form.ListView1().click(r, 0);
    QApplication::processEvents();
    EXPECT_TRUE(view.save_png(testing::screenshot_dir() + "/picker.png"));
}

// The picker windows up now.
std::vector<FormView*> picker_windows() {
    std::vector<FormView*> found;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* v = dynamic_cast<FormView*>(w); v && v->isVisible() && v->windowTitle() == "存货选择") found.push_back(v);
    return found;
}

void let_qt_finish() {
    QApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

TEST(PickerView, AModelessPickerIsAWindowThatConfirmsFromItsToolbar) {
    testing::qt_app();
    testing::TestAccount account;
    account.exec("insert into CodeRule values ('InventoryClass', '2')");
    account.exec("insert into InventoryClass (cInvCCode, cInvCName, iInvCGrade, bInvCEnd) values ('01', '原材料', 1, 1)");
    for (const char* code : {"M001", "M002", "M003"})
        account.add_inventory(testing::InventoryRow{.code = code, .name = "螺栓", .class_code = "01"});
    auto login = session::AccountLogin::create(account.connection_string(), "demo");
    component::reset();
    QtUi host;
    component::set_ui_host(&host);
    component::ReturnInvSet picker;
    picker.frmShow(login, ui::vbModeless, std::string());  // returns with the window up
    let_qt_finish();
    auto windows = picker_windows();
    ASSERT_EQ(windows.size(), 1u);
    auto& form = dynamic_cast<invselect::frmReturnInvSet&>(windows[0]->form());
    form.treeMenu().check_node("m01", true);
    for (long r : {1L, 3L}) form.ListView1().click(r, 0);
    let_qt_finish();
    auto* table = qobject_cast<QTableView*>(windows[0]->widget_of("ListView1"));
    ASSERT_TRUE(table);
    EXPECT_EQ(table->model()->rowCount(), 3);
    EXPECT_TRUE(windows[0]->save_png(testing::screenshot_dir() + "/picker-modeless.png"));
    auto* bar = qobject_cast<QToolBar*>(windows[0]->widget_of(form.tlbInvClass().Visible() ? "tlbInvClass" : "ToolbarControl"));
    ASSERT_TRUE(bar);
    QAction* ok = nullptr;
    for (QAction* a : bar->actions())
        if (a->text() == "确定") ok = a;
    ASSERT_TRUE(ok);
    ok->trigger();
    let_qt_finish();
    EXPECT_TRUE(picker_windows().empty());
    ASSERT_TRUE(picker.RecordsetValue());
    EXPECT_EQ(picker.RecordsetValue()->RecordCount(), 2);

    // a picker left up goes with the module that holds it
    picker.frmShow(login, ui::vbModeless, std::string());
    let_qt_finish();
    EXPECT_EQ(picker_windows().size(), 1u);
    component::reset();
    let_qt_finish();
    EXPECT_TRUE(picker_windows().empty());
    component::set_ui_host(nullptr);
}

}  // namespace
}  // namespace korvane::qt
