// The table model over a grid: checked by Qt's own model tester while the
// grid changes shape under a table view, and the view's editing and column
// widths as the grid decides them.
#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QHeaderView>
#include <QLineEdit>
#include <QTableView>
#include <QTest>

#include <functional>

#include "gui/qt/grid_model.h"
#include "gui/qt/qt_ui.h"
#include "tests/gui/qt/qt_app.h"

// Failures show texts, not their bytes.
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

namespace korvane::qt {
namespace {

// What Qt's model tester finds wrong; it reports through the message log.
class TesterFindings {
public:
    TesterFindings() {
        sink() = &found_;
        previous_ = qInstallMessageHandler(&record);
    }
    ~TesterFindings() {
        qInstallMessageHandler(previous_);
        sink() = nullptr;
    }
    QStringList take() { return std::exchange(found_, {}); }

private:
    static QStringList*& sink() {
        static QStringList* list = nullptr;  // a message handler is a plain function
        return list;
    }
    static void record(QtMsgType type, const QMessageLogContext& context, const QString& message) {
        const bool from_tester = context.category && QByteArray(context.category) == "qt.modeltest";
        if (sink() && type != QtDebugMsg && (from_tester || message.contains("FAIL!"))) sink()->append(message);
    }
    QStringList found_;
    QtMessageHandler previous_ = nullptr;
};

void fill(ui::Grid& g, long rows, long cols) {
    g.put_Cols(cols);
    g.put_Rows(rows);
    for (long r = 0; r < rows; ++r)
        for (long c = 0; c < cols; ++c) g.put_TextMatrix(r, c, std::to_string(r) + "," + std::to_string(c));
}

// Rows and columns counted from nothing but the model's notices, as a view
// counts them; before a change it checks the model is still what it counted.
struct NoticeCounter {
    const QAbstractItemModel& m;
    int rows = m.rowCount(), cols = m.columnCount();
    QStringList wrong;
    explicit NoticeCounter(const QAbstractItemModel& model) : m(model) {
        auto before = [this](const char* what) {
            if (m.rowCount() != rows || m.columnCount() != cols)
                wrong << QString("%1: model %2x%3, counted %4x%5").arg(what).arg(m.rowCount()).arg(m.columnCount()).arg(rows).arg(cols);
        };
        QObject::connect(&m, &QAbstractItemModel::rowsAboutToBeInserted, [before] { before("rows in"); });
        QObject::connect(&m, &QAbstractItemModel::rowsAboutToBeRemoved, [before] { before("rows out"); });
        QObject::connect(&m, &QAbstractItemModel::columnsAboutToBeInserted, [before] { before("columns in"); });
        QObject::connect(&m, &QAbstractItemModel::columnsAboutToBeRemoved, [before] { before("columns out"); });
        QObject::connect(&m, &QAbstractItemModel::modelAboutToBeReset, [before] { before("reset"); });
        QObject::connect(&m, &QAbstractItemModel::rowsInserted, [this](const QModelIndex&, int f, int l) { rows += l - f + 1; });
        QObject::connect(&m, &QAbstractItemModel::rowsRemoved, [this](const QModelIndex&, int f, int l) { rows -= l - f + 1; });
        QObject::connect(&m, &QAbstractItemModel::columnsInserted, [this](const QModelIndex&, int f, int l) { cols += l - f + 1; });
        QObject::connect(&m, &QAbstractItemModel::columnsRemoved, [this](const QModelIndex&, int f, int l) { cols -= l - f + 1; });
        QObject::connect(&m, &QAbstractItemModel::modelReset, [this] {
            rows = m.rowCount();
            cols = m.columnCount();
        });
    }
    QStringList take() {
        if (m.rowCount() != rows || m.columnCount() != cols)
            wrong << QString("after: model %1x%2, counted %3x%4").arg(m.rowCount()).arg(m.columnCount()).arg(rows).arg(cols);
        return std::exchange(wrong, {});
    }
};

// The model shows exactly the grid: its rows below the header, the header
// from row 0.
::testing::AssertionResult shows_the_grid(const GridModel& m, const ui::Grid& g) {
    const long header = g.FixedRows() > 0 ? 1 : 0;
    if (m.rowCount() != g.Rows() - header || m.columnCount() != g.Cols())
        return ::testing::AssertionFailure() << "model " << m.rowCount() << "x" << m.columnCount() << ", grid "
                                             << g.Rows() << "x" << g.Cols();
    for (int r = 0; r < m.rowCount(); ++r)
        for (int c = 0; c < m.columnCount(); ++c)
            if (m.index(r, c).data().toString().toStdString() != g.TextMatrix(r + header, c))
                return ::testing::AssertionFailure() << "cell " << r << "," << c;
    for (int c = 0; header && c < m.columnCount(); ++c)
        if (m.headerData(c, Qt::Horizontal, Qt::DisplayRole).toString().toStdString() != g.TextMatrix(0, c))
            return ::testing::AssertionFailure() << "header " << c;
    return ::testing::AssertionSuccess();
}

TEST(GridModel, QtsModelTesterFindsNothingWhileTheGridChangesShape) {
    testing::qt_app();
    ui::Grid g("spgList");
    fill(g, 4, 3);
    GridModel model(g);
    QTableView view;
    view.setModel(&model);
    view.show();
    TesterFindings findings;
    NoticeCounter counted(model);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Warning);

    struct Step {
        const char* what;
        std::function<void()> run;
    };
    const Step steps[] = {
        {"rows appended", [&] { g.put_Rows(6); }},
        {"a row added in the middle", [&] { g.AddItem("a\tb\tc", 2); }},
        {"a row added above the header", [&] { g.AddItem("新\t表\t头", 0); }},
        {"a row removed", [&] { g.RemoveItem(3); }},
        {"rows cut", [&] { g.put_Rows(3); }},
        {"columns added", [&] { g.put_Cols(5); }},
        {"columns cut", [&] { g.put_Cols(2); }},
        {"a header and a body cell written", [&] {
             g.put_TextMatrix(0, 1, "存货名称");
             g.put_TextMatrix(1, 1, "螺栓");
         }},
        {"rows filled on first use", [&] {
             g.put_Rows(50);
             g.fill_rows_on_first_use(1, 1, [](long row, ui::RowCells& cells, std::uint32_t*) { cells.set(0, "f" + std::to_string(row)); });
         }},
        {"cleared", [&] { g.Clear(); }},
        {"no fixed row", [&] { g.put_FixedRows(0); }},
        {"a fixed row again", [&] { g.put_FixedRows(1); }},
        {"changes while Redraw is off", [&] {
             g.put_Redraw(false);
             g.put_Rows(8);
             for (long r = 1; r < 8; ++r) g.put_TextMatrix(r, 0, "x" + std::to_string(r));
             g.AddItem("y", 1);
             g.put_Cols(4);
             g.put_Redraw(true);
         }},
        {"no rows at all", [&] { g.put_Rows(0); }},
        {"rows again", [&] { fill(g, 3, 3); }},
    };
    for (const Step& step : steps) {
        step.run();
        QApplication::processEvents();
        EXPECT_EQ(findings.take(), QStringList()) << step.what;
        EXPECT_EQ(counted.take(), QStringList()) << step.what;
        EXPECT_TRUE(shows_the_grid(model, g)) << step.what;
    }
}

TEST(GridModel, RowsAddedAboveTheHeaderComeInAtTheTopAndRenameTheColumns) {
    testing::qt_app();
    ui::Grid g("spgList");
    fill(g, 3, 2);
    GridModel model(g);
    QStringList heard;
    QObject::connect(&model, &QAbstractItemModel::rowsAboutToBeInserted, [&](const QModelIndex&, int first, int last) {
        heard << QString("about to insert %1..%2 of %3").arg(first).arg(last).arg(model.rowCount());
    });
    QObject::connect(&model, &QAbstractItemModel::rowsInserted, [&](const QModelIndex&, int first, int last) {
        heard << QString("inserted %1..%2 of %3").arg(first).arg(last).arg(model.rowCount());
    });
    QObject::connect(&model, &QAbstractItemModel::headerDataChanged, [&](Qt::Orientation, int first, int last) {
        heard << QString("header %1..%2 says %3").arg(first).arg(last).arg(model.headerData(0, Qt::Horizontal, Qt::DisplayRole).toString());
    });
    g.AddItem("甲\t乙", 0);
    EXPECT_EQ(heard, QStringList({"about to insert 0..0 of 2", "inserted 0..0 of 3", "header 0..1 says 甲"}));
    EXPECT_EQ(model.index(0, 0).data().toString(), "0,0") << "the old header is the first row now";
    EXPECT_EQ(model.index(1, 0).data().toString(), "1,0");
}

// A form with one grid in a window, its edit events logged.
struct GridForm {
    QApplication& app = testing::qt_app();
    ui::HeadlessUi host;
    ui::Form form{"frmStockOrder", host};
    ui::Grid& g = form.add<ui::Grid>("lstDdBody");
    std::vector<std::string> seen;

    GridForm() {
        form.resize(9000, 4000);
        g.Move(0, 0, 9000, 3600);
        fill(g, 4, 4);
        auto at = [](long r, long c) { return std::to_string(r) + "," + std::to_string(c); };
        g.on_before_edit = [this, at](long r, long c, bool&) { seen.push_back("before " + at(r, c)); };
        g.on_validate_edit = [this, at](long r, long c, std::string& text, bool&) {
            seen.push_back("validate " + at(r, c) + " " + text);
        };
        g.on_after_edit = [this, at](long r, long c) { seen.push_back("after " + at(r, c)); };
    }
    // The form in a window; the grid's table view.
    QTableView* show() {
        view = std::make_unique<FormView>(form);
        view->show();
        QApplication::processEvents();
        return qobject_cast<QTableView*>(view->widget_of("lstDdBody"));
    }
    std::unique_ptr<FormView> view;
};

// Types into the table's current cell as a user does, and presses Enter.
void type_into(QTableView* table, const QModelIndex& cell, const QString& text) {
    table->setCurrentIndex(cell);
    QTest::keyClicks(table, text);
    if (auto* editor = table->findChild<QLineEdit*>()) QTest::keyClick(editor, Qt::Key_Return);
    QApplication::processEvents();
}

TEST(GridModel, AGreyCellTakesNoTypingInTheView) {
    GridForm s;
    s.g.put_CellBackColor(1, 2, ui::kGrey);
    auto* table = s.show();
    ASSERT_TRUE(table);
    QAbstractItemModel* m = table->model();
    EXPECT_FALSE(m->flags(m->index(0, 2)) & Qt::ItemIsEditable);
    EXPECT_TRUE(m->flags(m->index(0, 3)) & Qt::ItemIsEditable);

    type_into(table, m->index(0, 2), "9");
    EXPECT_FALSE(m->setData(m->index(0, 2), "9", Qt::EditRole));
    EXPECT_EQ(s.g.TextMatrix(1, 2), "1,2");
    EXPECT_TRUE(s.seen.empty()) << "no edit began, nothing was validated";
    EXPECT_FALSE(s.g.editing());

    // the white cell beside it takes the typing through the grid's events
    type_into(table, m->index(0, 3), "7");
    EXPECT_EQ(s.g.TextMatrix(1, 3), "7");
    EXPECT_EQ(s.seen, (std::vector<std::string>{"before 1,3", "validate 1,3 7", "after 1,3"}));

    // greyed by the model, the view follows
    s.seen.clear();
    s.g.put_CellBackColor(2, 3, ui::kGrey);
    type_into(table, m->index(1, 3), "5");
    EXPECT_EQ(s.g.TextMatrix(2, 3), "2,3");
    EXPECT_TRUE(s.seen.empty());
}

TEST(GridModel, AColumnHiddenByWidthZeroGetsItsWidthBack) {
    GridForm s;
    s.g.put_ColWidth(1, 3000);
    auto* table = s.show();
    ASSERT_TRUE(table);
    const int standard = table->horizontalHeader()->defaultSectionSize();
    EXPECT_EQ(table->columnWidth(1), 200);

    s.g.put_ColWidth(1, 0);
    EXPECT_TRUE(table->isColumnHidden(1));
    s.g.put_ColWidth(1, 3000);
    EXPECT_FALSE(table->isColumnHidden(1));
    EXPECT_EQ(table->columnWidth(1), 200);

    s.g.put_ColWidth(2, 0);
    s.g.put_ColWidth(2, -1);  // as a list layout shows a column it hid before
    EXPECT_FALSE(table->isColumnHidden(2));
    EXPECT_EQ(table->columnWidth(2), standard);

    // a width the user gave outlives hiding, and the model's other changes
    table->setColumnWidth(3, 150);
    s.g.put_ColWidth(3, 0);
    s.g.put_ColWidth(0, 900);
    s.g.put_ColWidth(3, -1);
    EXPECT_EQ(table->columnWidth(3), 150);
    s.g.put_ColHidden(1, true);
    EXPECT_TRUE(table->isColumnHidden(1));
    s.g.put_ColHidden(1, false);
    EXPECT_EQ(table->columnWidth(1), 200);

    // a reset shows the model's widths again; Redraw off holds a change back
    s.g.Clear();
    EXPECT_EQ(table->columnWidth(1), 200);
    EXPECT_EQ(table->columnWidth(0), 60);
    s.g.put_Redraw(false);
    s.g.put_ColWidth(1, 1500);
    s.g.put_Cols(6);  // columns that come in show at the default width
    EXPECT_EQ(table->columnWidth(1), 200);
    s.g.put_Redraw(true);
    EXPECT_EQ(table->columnWidth(1), 100);
    EXPECT_EQ(table->columnWidth(5), standard);
}

TEST(GridModel, RowsGoingAwayUnderTheCurrentCellAreNoMoveOfTheUser) {
    GridForm s;
    s.g.put_Rows(6);
    auto* table = s.show();
    ASSERT_TRUE(table);
    QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, table->visualRect(table->model()->index(3, 1)).center());
    ASSERT_EQ(s.g.Row(), 4);
    int moves = 0;
    s.g.on_row_col_change = [&] { ++moves; };
    s.g.RemoveItem(4);
    s.g.AddItem("a", 1);
    s.g.put_Rows(2);
    s.g.Clear();
    QApplication::processEvents();
    EXPECT_EQ(moves, 0);
    // the user's own move is still heard
    QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, table->visualRect(table->model()->index(0, 2)).center());
    EXPECT_EQ(moves, 1);
}

}  // namespace
}  // namespace korvane::qt
