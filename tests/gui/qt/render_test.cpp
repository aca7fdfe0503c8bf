#include <gtest/gtest.h>

#include <QApplication>
#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include "gui/qt/qt_ui.h"
#include "platform/ui/bars.h"
#include "platform/ui/head_items.h"
#include "platform/ui/lists.h"
#include "tests/gui/qt/qt_app.h"

namespace korvane::qt {
namespace {

using testing::screenshot_dir;

QApplication& app() { return testing::qt_app(); }

// A form with one control of every kind, laid out as a business dialog.
struct SampleForm {
    QApplication& qt = app();
    ui::HeadlessUi host;
    ui::Form form{"frmSample", host};
    ui::Toolbar& tools = form.add<ui::Toolbar>("tbrTool");
    ui::HeadItem& quantity = form.add<ui::HeadItem>("hdiQuantity");
    ui::HeadItemList& free = form.add<ui::HeadItemList>("hdiFree");
    ui::Frame& frame = form.add<ui::Frame>("Frame1");
    ui::Label& label = form.add<ui::Label>("lblWh");
    ui::TextBox& wh = form.add<ui::TextBox>("cmbWhName");
    ui::CommandButton& refers = form.add<ui::CommandButton>("cmdRefers");
    ui::ComboBox& type = form.add<ui::ComboBox>("cmbBusType");
    ui::CheckBox& all = form.add<ui::CheckBox>("chkAll");
    ui::TabStrip& tabs = form.add<ui::TabStrip>("SSTab1");
    ui::Grid& grid = form.add<ui::Grid>("spgList");
    ui::ListView& list = form.add<ui::ListView>("lstParent");
    ui::TreeView& tree = form.add<ui::TreeView>("treeMenu");
    ui::CommandButton& ok = form.add<ui::CommandButton>("cmdOk");
    ui::StatusBar& status = form.add<ui::StatusBar>("StatusBar1");

    SampleForm() {
        form.put_Caption("参照生单");
        form.resize(12000, 8400);
        tools.Move(0, 0, 12000, 720);
        tools.add_button("ok", "确定").image = "tlbok";
        tools.add_button("auto", "自动").image = "tlbauto";
        tools.add_button("cancel", "退出").image = "tlbexit";
        quantity.Move(150, 800, 3000, 300);
        quantity.put_Caption("数量");
        quantity.put_Value("10.00");
        free.Move(3300, 800, 8000, 300);
        free.add_entry("颜色", "红");
        free.add_entry("尺码", "XL");
        frame.Move(150, 1200, 5400, 1500);
        frame.put_Caption("过滤条件：");
        label.Move(300, 1560, 900, 300);
        label.put_Caption("仓库：");
        wh.Move(1200, 1500, 2400, 330);
        wh.put_Tag("rfwarehouse");
        refers.Move(3300, 1530, 270, 270);
        refers.put_Picture(219);
        type.Move(1200, 1950, 2400, 330);
        type.AddItem("普通采购");
        type.AddItem("受托代销");
        type.put_ListIndex(0);
        all.Move(300, 2350, 3600, 300);
        all.put_Caption("执行完未关闭的显示");
        tabs.Move(5700, 1200, 6000, 360);
        tabs.add_tab("采购订单");
        tabs.add_tab("采购到货单");
        grid.Move(150, 2800, 11700, 2600);
        grid.put_Cols(5);
        grid.put_Rows(4);
        const char* head[] = {"选择", "存货编码", "存货名称", "结存数量", "出库数量"};
        for (long c = 0; c < 5; ++c) grid.put_TextMatrix(0, c, head[c]);
        grid.put_ColWidth(2, 3000);
        for (long r = 1; r < 4; ++r) {
            grid.put_TextMatrix(r, 1, "A00" + std::to_string(r));
            grid.put_TextMatrix(r, 2, "螺栓 M" + std::to_string(6 + r));
            grid.put_TextMatrix(r, 3, std::to_string(r * 4) + ".00");
            grid.put_TextMatrix(r, 4, "0");
            for (long c = 0; c < 4; ++c) grid.put_CellBackColor(r, c, ui::kGrey);
        }
        list.Move(150, 5500, 5700, 1800);
        list.put_Checkboxes(true);
        list.add_column("c", "生产订单号", 1800);
        list.add_column("i", "产品", 2400);
        list.add_item("k0001", "0000000001").put_SubItems(1, "电机");
        list.add_item("k0002", "0000000002").put_SubItems(1, "水泵");
        tree.Move(6000, 5500, 5850, 1800);
        tree.put_Checkboxes(true);
        tree.add_node("", "mRoot", "存货", "folder");
        tree.add_node("mRoot", "m01", "01 原材料", "folder");
        tree.add_node("mRoot", "m02", "02 产成品", "li");
        tree.expand("mRoot");
        ok.Move(10500, 7400, 1300, 400);
        ok.put_Caption("确定(&O)");
        status.Move(0, 7900, 12000, 360);
        status.add_panel();
        status.set_panel_text(1, "共 3 条记录");
    }
};

TEST(QtRenderer, EveryKindOfControlRendersAndIsSavedAsAScreenshot) {
    SampleForm s;
    FormView view(s.form);
    view.show();
    QApplication::processEvents();
    for (const auto& c : s.form.controls()) EXPECT_TRUE(view.widget_of(c->Name())) << c->Name();
    auto* table = qobject_cast<QTableView*>(view.widget_of("spgList"));
    ASSERT_TRUE(table);
    EXPECT_EQ(table->model()->rowCount(), 3);
    EXPECT_EQ(table->model()->headerData(2, Qt::Horizontal).toString(), "存货名称");
    EXPECT_EQ(table->columnWidth(2), 200);
    EXPECT_EQ(view.widget_of("cmbWhName")->geometry(), QRect(80, 100, 160, 22));
    QString path = screenshot_dir() + "/sample_form.png";
    EXPECT_TRUE(view.save_png(path)) << path.toStdString();
}

// A person's box and a captured one are the same box: title, icon, Chinese
// buttons, default, lines kept whole; the captured one waits for nobody and
// answers with its default button.
TEST(QtRenderer, AMessageBoxIsAskedOrCapturedAsTheSameBox) {
    app();
    QtUi host;
    host.set_app_title("KORVANE");
    const std::string line = "存货0502002000269没有找到对应的批次结存信息，不能自动分配";
    const std::string text = line + "\r\n" + line + "\r\n";
    const int flags = ui::vb::vbYesNo | ui::vb::vbQuestion | ui::vb::vbDefaultButton2;

    struct Seen {
        bool found = false;
        QString title, yes, no;
        int buttons = 0;
        bool no_is_default = false;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        int lines = 0, width = 0;
    } seen;
    QTimer::singleShot(0, [&seen] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) return;
        seen.found = true;
        seen.title = box->windowTitle();
        seen.icon = box->icon();
        seen.buttons = static_cast<int>(box->buttons().size());
        seen.yes = box->button(QMessageBox::Yes)->text();
        seen.no = box->button(QMessageBox::No)->text();
        seen.no_is_default = box->defaultButton() == box->button(QMessageBox::No);
        auto* label = box->findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
        seen.lines = label ? label->height() / label->fontMetrics().lineSpacing() : 0;
        seen.width = box->width();
        box->button(QMessageBox::Yes)->click();
    });
    EXPECT_EQ(host.MsgBox(text, flags, "批量批次指定"), ui::vb::vbYes) << "the button the person clicked";
    ASSERT_TRUE(seen.found);
    EXPECT_EQ(seen.title, "批量批次指定");
    EXPECT_EQ(seen.icon, QMessageBox::Question);
    EXPECT_EQ(seen.buttons, 2);
    EXPECT_EQ(seen.yes, "是");
    EXPECT_EQ(seen.no, "否");
    EXPECT_TRUE(seen.no_is_default);
    EXPECT_EQ(seen.lines, 3) << "two lines and the empty one after them, none broken";
    EXPECT_TRUE(host.captured_messages().empty());

    const std::string stem = (screenshot_dir() + "/message_box").toStdString();
    for (const char* n : {"-message-1.png", "-message-2.png"}) QFile::remove(QString::fromStdString(stem + n));
    host.capture_messages_to(stem);
    EXPECT_EQ(host.MsgBox(text, flags, "批量批次指定"), ui::vb::vbNo) << "the default button answers";
    EXPECT_EQ(host.MsgBox("已保存 3 行", ui::vb::vbInformation), ui::vb::vbOK);
    for (QWidget* w : QApplication::topLevelWidgets())
        EXPECT_FALSE(qobject_cast<QMessageBox*>(w) && w->isVisible()) << "a captured box is closed";
    const auto& shots = host.captured_messages();
    ASSERT_EQ(shots.size(), 2u);
    EXPECT_EQ(shots[0].path, stem + "-message-1.png");
    EXPECT_EQ(shots[0].title, "批量批次指定");
    EXPECT_EQ(shots[0].text, text);
    EXPECT_EQ(shots[1].path, stem + "-message-2.png");
    EXPECT_EQ(shots[1].title, "KORVANE") << "a box without a title of its own takes the application's";
    for (const auto& shot : shots) EXPECT_TRUE(shot.saved) << shot.path;
    const QImage png(QString::fromStdString(shots[0].path));
    ASSERT_FALSE(png.isNull());
    EXPECT_EQ(png.width(), seen.width) << "the box the person saw";
}

// A form that sends Escape after splitting a line means "end the cell edit":
// the edit ends, the window stays and so does the form.
TEST(QtRenderer, EscapeSentByAFormEndsTheCellEditNotTheWindow) {
    SampleForm s;
    s.form.Show();
    FormView view(s.form);
    view.show();
    view.activateWindow();
    auto* table = qobject_cast<QTableView*>(view.widget_of("spgList"));
    ASSERT_TRUE(table);
    table->setFocus();
    QApplication::processEvents();
    QtUi host;
    host.SendKeys("{ESC}");
    QApplication::processEvents();
    EXPECT_TRUE(s.form.loaded());
    EXPECT_TRUE(view.isVisible());

    table->edit(table->model()->index(0, 4));  // the one white column
    QApplication::processEvents();
    auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
    ASSERT_TRUE(editor && table->isAncestorOf(editor));
    host.SendKeys("{ESC}");
    QApplication::processEvents();
    EXPECT_FALSE(table->isAncestorOf(QApplication::focusWidget()) && QApplication::focusWidget() != table)
        << "the editor is gone";
    EXPECT_TRUE(s.form.loaded());
    EXPECT_TRUE(view.isVisible());
}

TEST(QtRenderer, UserActionsReachTheModelAndModelChangesTheView) {
    SampleForm s;
    FormView view(s.form);
    view.show();
    QApplication::processEvents();
    int clicks = 0;
    s.ok.on_click = [&] { ++clicks; };
    QTest::mouseClick(qobject_cast<QPushButton*>(view.widget_of("cmdOk")), Qt::LeftButton);
    EXPECT_EQ(clicks, 1);

    // typing passes the form's key filter
    s.form.put_KeyPreview(true);
    s.form.on_key_press = [](int& k) {
        if (k == '\'') k = 0;
    };
    auto* edit = qobject_cast<QLineEdit*>(view.widget_of("cmbWhName"));
    edit->setFocus();
    QTest::keyClicks(edit, "A'1");
    EXPECT_EQ(s.wh.Text(), "A1");
    EXPECT_EQ(edit->text(), "A1");

    // a grid click reaches the model with its column
    auto* table = qobject_cast<QTableView*>(view.widget_of("spgList"));
    long clicked_col = -1;
    s.grid.on_click = [&] { clicked_col = s.grid.Col(); };
    QRect cell = table->visualRect(table->model()->index(1, 1));
    QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, cell.center());
    EXPECT_EQ(clicked_col, 1);
    EXPECT_EQ(s.grid.Row(), 2);

    // model changes show: cells, hidden rows, captions, visibility, tree checks
    s.grid.put_TextMatrix(2, 4, "3.00");
    EXPECT_EQ(table->model()->index(1, 4).data().toString(), "3.00");
    s.grid.put_RowHidden(3, true);
    EXPECT_TRUE(table->isRowHidden(2));
    s.label.put_Caption("入库仓库：");
    EXPECT_EQ(qobject_cast<QLabel*>(view.widget_of("lblWh"))->text(), "入库仓库：");
    s.refers.put_Visible(false);
    EXPECT_FALSE(view.widget_of("cmdRefers")->isVisible());
    s.all.put_Value(1);
    EXPECT_TRUE(qobject_cast<QCheckBox*>(view.widget_of("chkAll"))->isChecked());
    auto* tree = qobject_cast<QTreeWidget*>(view.widget_of("treeMenu"));
    tree->topLevelItem(0)->child(0)->setCheckState(0, Qt::Checked);
    EXPECT_TRUE(s.tree.node("m01").checked);

    // a check whose handler changes the list survives its own signal
    s.list.on_item_check = [&](ui::ListView::ListItem&) { s.list.add_item("k0003", "0000000003"); };
    auto* list = qobject_cast<QTreeWidget*>(view.widget_of("lstParent"));
    list->topLevelItem(0)->setCheckState(0, Qt::Checked);
    QApplication::processEvents();
    EXPECT_TRUE(s.list.item(1).checked);
    EXPECT_EQ(list->topLevelItemCount(), 3);

    // hiding the form closes its window
    s.form.Load();
    s.form.Hide();
    QApplication::processEvents();
}

TEST(QtRenderer, OpeningAComboListRaisesDropDownBeforeTheListShows) {
    SampleForm s;
    FormView view(s.form);
    view.show();
    QApplication::processEvents();
    auto* combo = qobject_cast<QComboBox*>(view.widget_of("cmbBusType"));
    ASSERT_TRUE(combo);
    std::vector<std::string> seen;
    s.type.on_click = [&] { seen.push_back("click"); };
    s.type.on_drop_down = [&] {
        seen.push_back(combo->view()->isVisible() ? "drop down, list shown" : "drop down");
        s.type.Clear();
        for (const char* t : {"普通采购", "受托代销", "直运采购"}) s.type.AddItem(t);
    };
    combo->showPopup();
    QApplication::processEvents();
    EXPECT_TRUE(combo->view()->isVisible());
    EXPECT_EQ(combo->view()->model()->rowCount(), 3);
    EXPECT_EQ(combo->itemText(2), "直运采购");
    combo->hidePopup();
    EXPECT_EQ(seen, (std::vector<std::string>{"drop down"})) << "opening the list chooses nothing";

    // a disabled box shows no list, and the model hears nothing
    s.type.put_Enabled(false);
    combo->showPopup();
    combo->hidePopup();
    EXPECT_EQ(seen.size(), 1u);
    EXPECT_EQ(s.type.ListCount(), 3);
}

TEST(QtRenderer, AHundredThousandRowGridNeedsNoWidgetPerCell) {
    app();
    ui::HeadlessUi host;
    ui::Form form("frmBig", host);
    auto& g = form.add<ui::Grid>("lstDdBody");
    g.Move(0, 0, 9000, 6000);
    g.put_Redraw(false);
    g.put_Cols(20);
    g.put_Rows(100001);
    for (long r = 1; r <= 100000; ++r) g.put_TextMatrix(r, 1, std::to_string(r));
    g.put_Redraw(true);
    FormView view(form);
    view.show();
    QApplication::processEvents();
    auto* table = qobject_cast<QTableView*>(view.widget_of("lstDdBody"));
    EXPECT_EQ(table->model()->rowCount(), 100000);
    EXPECT_LT(view.findChildren<QWidget*>().size(), 40);
    table->scrollToBottom();
    QApplication::processEvents();
    EXPECT_EQ(table->model()->index(99999, 1).data().toString(), "100000");
}

}  // namespace
}  // namespace korvane::qt
