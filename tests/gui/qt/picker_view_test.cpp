// The inventory picker as the clerk sees it: the class tree beside the list,
// the status bar following the list, a located row scrolled to the top.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QStatusBar>
#include <QTableView>
#include <QToolBar>
#include <QTreeWidget>

#include "component/module_state.h"
#include "component/return_inv_set.h"
#include "gui/qt/qt_ui.h"
#include "invselect/return_inv_set_form.h"
#include "session/login.h"
#include "tests/gui/qt/qt_app.h"
#include "tests/support/account.h"
#include "tests/support/services.h"

namespace korvane::qt {
namespace {

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
