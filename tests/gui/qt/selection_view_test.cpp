// The selection dialog as the operator sees it: rendered from its model on a
// real account, clicked through Qt, saved as a screenshot.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QTableView>
#include <QTest>
#include <QToolBar>

#include "component/module_state.h"
#include "component/ref_select.h"
#include "gui/qt/qt_ui.h"
#include "host/stock_queries.h"
#include "platform/vb/convert.h"
#include "selection/ref_select_form.h"
#include "session/login.h"
#include "tests/gui/qt/qt_app.h"
#include "tests/support/account.h"
#include "tests/support/module_ui.h"

namespace korvane::qt {
namespace {

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

}  // namespace
}  // namespace korvane::qt
