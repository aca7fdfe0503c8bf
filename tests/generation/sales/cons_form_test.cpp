// The sales generation form driven as a clerk drives it: dispatch documents
// filtered on the account, heads marked, this issue's amounts edited under
// the over-issue rule, lines split over batches and receipt lines, OK.
#include "generation/sales/cons_form.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "component/stock_selection.h"
#include "generation/core/body_rows.h"
#include "generation/core/grid_fill.h"
#include "host/reference_list.h"
#include "platform/vb/convert.h"
#include "session/login.h"
#include "tests/support/account.h"
#include "tests/support/module_ui.h"
#include "tests/support/services.h"

namespace korvane::generation {
namespace {

using namespace ui::vb;
using Texts = std::vector<std::string>;

// The account's reference list, keeping the queries it was given.
struct RecordingList : host::ReferenceList {
    std::shared_ptr<host::ReferenceList> account = host::account_reference_list();
    Texts sql;
    ado::RecordsetPtr Show(ui::UiHost& host, const session::LoginPtr& session, const std::string& s,
                           const std::string& table, long mode) override {
        sql.push_back(s);
        return account->Show(host, session, s, table, mode);
    }
    ado::RecordsetPtr ShowColumns(ui::UiHost& host, const session::LoginPtr& session, const std::string& s,
                                  const std::string& title, const std::string& captions,
                                  const std::string& condition) override {
        sql.push_back(s);
        return account->ShowColumns(host, session, s, title, captions, condition);
    }
};

struct ConsFormTest : ::testing::Test {
    testing::TestAccount account;
    testing::ModuleUi module;
    std::unique_ptr<testing::Services> fixture;
    std::unique_ptr<frmCons> form;
    testing::RecordingOwner owner;
    std::shared_ptr<host::ReferenceList> reference_list;  // the account's when null

    void SetUp() override {
        account.add_warehouse("01", "原料仓");
        account.add_warehouse("02", "成品仓");
        account.add_inventory(testing::InventoryRow{.code = "A001", .batch = true});
        account.add_inventory("A002");
        account.add_inventory(testing::InventoryRow{.code = "A003", .batch = true});
        account.exec("update Inventory set fOutExcess = 0.1 where cInvCode = 'A001'");
        account.exec("insert into Department values ('01', '销售部', 1, 1), ('02', '市场部', 1, 1)");
        account.exec("insert into Person values ('P1', '张三', '01')");
        account.exec("insert into Customer values ('C1', '华东精密有限公司', '华东精密', '01', 'P1'),"
                     "('C2', '南方五金有限公司', '南方五金', '02', null)");
        account.exec("insert into VouchType values ('05', '发货单'), ('26', '专用发票')");
        account.exec(
            "insert into DispatchList (DLID, cDLCode, cVouchType, cSBVCode, dDate, cBusType, cCusCode, cDepCode, "
            "cPersonCode) values (1, 'FH001', '05', null, '2024-05-01', '普通销售', 'C1', '01', 'P1'),"
            "(2, 'FH002', '26', 'FP001', '2024-06-01', '分期收款', 'C2', '02', null),"
            "(3, 'FH003', '05', null, '2024-06-05', '普通销售', 'C1', '01', null)");
        // FH001: a line issued 8 of 10, one of another warehouse; FH002 a
        // red line; FH003 three lines of one inventory and one without stock.
        account.exec(
            "insert into DispatchLists (DLsID, DLID, cWhCode, cInvCode, iQuantity, iNum, fOutQuantity) values "
            "(11, 1, '01', 'A001', 10, null, 8), (12, 1, '02', 'A002', 5, null, 0), (13, 1, '01', 'A002', 0, null, 0),"
            "(21, 2, '01', 'A001', -10, null, 0),"
            "(31, 3, '01', 'A001', 4, null, 0), (32, 3, '01', 'A001', 4, null, 0), (33, 3, '01', 'A001', 4, null, 0),"
            "(34, 3, '01', 'A003', 2, null, 0)");
        account.set_option("001", "", "OverDispOut", "True");
        account.set_option("001", "", "BatchOut", "先进先出");
    }
    ui::HeadlessUi& ui() { return module.ui; }

    frmCons& open() {
        auto permission = testing::logged_in(account.connection_string(), "demo", true);
        fixture = std::make_unique<testing::Services>(permission, &module.ui);
        fixture->services.ref_select = component::make_stock_selection;
        if (reference_list) fixture->services.reference_list = reference_list;
        form = std::make_unique<frmCons>(fixture->services);
        FormContext c;
        c.owner = &owner;
        c.login = permission->GetSession();
        form->set_context(c);
        form->Load();
        return *form;
    }
    // The lines of one dispatch head, shown with Check1.
    frmCons& lines_of(long head_row) {
        auto& f = open();
        f.Check1().click();
        f.cmdFilter().click();
        f.lstFhdHead().click(head_row, 1);
        return f;
    }
    static Texts column(const ui::Grid& g, const char* caption, bool shown_only = false) {
        Texts v;
        const long c = ModuleCtl::CaptionColumn(g, caption);
        for (long r = 1; r < g.Rows(); ++r)
            if (!shown_only || !g.RowHidden(r)) v.emplace_back(c > 0 ? g.TextMatrix(r, c) : "?");
        return v;
    }
    static Texts this_time(const ui::Grid& g, bool shown_only = true) {
        Texts v;
        for (long r = 1; r < g.Rows(); ++r)
            if (!shown_only || !g.RowHidden(r)) v.emplace_back(g.TextMatrix(r, g.Cols() - 2));
        return v;
    }
    // Types into this time's quantity of a row; the cell's text afterwards.
    static std::string type_quantity(frmCons& f, long row, const std::string& text) {
        auto& b = f.lstFhdBody();
        b.select(row, b.Cols() - 2);
        b.edit_cell(row, b.Cols() - 2, text);
        return std::string(b.TextMatrix(row, b.Cols() - 2));
    }
    void stock(const char* inventory, const char* batch, double quantity) {
        account.add_stock("01", inventory, batch, quantity);
    }
};

// ---- filtering and marking ----

TEST_F(ConsFormTest, FilterFragmentsAreExactAndSelectOnTheAccount) {
    auto& f = open();
    EXPECT_EQ(f.lstFhdHead().GridColor(), ui::RGB(192, 192, 192));
    EXPECT_EQ(f.lstFhdBody().GridColor(), ui::RGB(192, 192, 192));
    f.cmdFilter().click();
    EXPECT_EQ(f.sWhere(), "");
    EXPECT_EQ(column(f.lstFhdHead(), "发货单号"), (Texts{"FH001", "FH002", "FH003"}));

    f.txtUDate().put_Text("2024-06-30");
    f.cmbInvoiceCode().put_Text("FP001");
    f.cmdFilter().click();
    EXPECT_EQ(f.sWhere(), "DispatchList.dDate <= '2024-06-30' and  DispatchList.cSBVCode ='FP001'");
    EXPECT_EQ(column(f.lstFhdHead(), "发货单号"), (Texts{"FH002"}));

    f.txtUDate().put_Text("");
    f.cmbInvoiceCode().put_Text("");
    f.cmbDept().put_Text("销售部");
    f.cmbPerson().put_Text("张三");
    f.cmbCustom().put_Text("华东精密");
    f.cmbVouchType().drop_down();
    f.cmbVouchType().drop_down();
    ASSERT_EQ(f.cmbVouchType().ListCount(), 7) << "filled once";
    f.cmbVouchType().put_Text("发货单");
    f.cmbBusType().drop_down();
    f.cmbBusType().drop_down();
    ASSERT_EQ(f.cmbBusType().ListCount(), 4);
    f.cmbBusType().put_Text("普通销售");
    f.cmbDLID().put_Text("FH001");
    f.cmdFilter().click();
    EXPECT_EQ(f.sWhere(),
              " Department.cDepName = '销售部' and Person.cPersonName = '张三' and DispatchList.cDLCode = 'FH001' and "
              "Customer.cCusAbbName = '华东精密' and VouchType.cVouchName = '发货单' and DispatchList.cBusType = "
              "'普通销售'");
    EXPECT_EQ(column(f.lstFhdHead(), "发货单号"), (Texts{"FH001"}));
}

TEST_F(ConsFormTest, DepartmentRightsJoinTheFragmentAndIssueRightEnablesCheck2) {
    account.restrict_rows("demo", "department", "01");
    auto& f = open();
    EXPECT_FALSE(f.Check2().Enabled()) << "without ST0118";
    f.cmbCustom().put_Text("华东精密");
    f.cmdFilter().click();
    EXPECT_EQ(f.sWhere(), " Customer.cCusAbbName = '华东精密' AND (DispatchList.cDepCode IN('01') OR "
                          "ISNULL(DispatchList.cDepCode,'') = '')");
    EXPECT_EQ(column(f.lstFhdHead(), "发货单号"), (Texts{"FH001", "FH003"}));

    account.grant("demo", "ST0118");
    form.reset();
    EXPECT_TRUE(open().Check2().Enabled());
}

TEST_F(ConsFormTest, MarkingHeadsLoadsAndDropsTheirLines) {
    auto& f = open();
    f.Check1().click();
    f.cmdFilter().click();
    f.lstFhdHead().click(1, 1);
    EXPECT_EQ(column(f.lstFhdBody(), "仓库"), (Texts{"原料仓", "成品仓", "原料仓"}));
    EXPECT_EQ(f.lstFhdBody().TextMatrix(1, 0), "Y") << "lines come marked";
    f.lstFhdHead().dbl_click(3, 1);
    EXPECT_EQ(f.lstFhdBody().Rows(), 8);
    f.lstFhdHead().click(1, 1);
    EXPECT_EQ(f.lstFhdBody().Rows(), 5) << "unmarking reloads without that head";
    f.lstFhdHead().click(3, 1);
    EXPECT_EQ(f.lstFhdBody().Rows(), 1);

    f.lstFhdBody().click(0, 0);  // nothing: caption row
    f.Check1().click();
    EXPECT_EQ(f.cmbWhName().Text(), "");
}

TEST_F(ConsFormTest, AWarehouseNameDropsOtherWarehousesLinesWhenTheFilterReloadsThem) {
    auto& f = lines_of(1);
    ASSERT_EQ(column(f.lstFhdBody(), "仓库"), (Texts{"原料仓", "成品仓", "原料仓"}));
    // a number the query cannot take leaves the heads and their marks, and
    // the filter reloads the marked head's lines
    f.cmbDLID().put_Text("FH'");
    f.cmdFilter().click();
    EXPECT_EQ(f.lstFhdHead().TextMatrix(1, 0), "Y");
    EXPECT_EQ(column(f.lstFhdBody(), "仓库"), (Texts{"原料仓", "成品仓", "原料仓"})) << "no warehouse named";
    f.cmbWhName().put_Text("原料仓");
    f.cmdFilter().click();
    EXPECT_EQ(column(f.lstFhdBody(), "仓库"), (Texts{"原料仓", "原料仓"}));
    EXPECT_EQ(f.rsBody()->RecordCount(), 3) << "the record set keeps them";
    f.cmbWhName().put_Text("成品仓");
    f.cmdFilter().click();
    EXPECT_EQ(column(f.lstFhdBody(), "仓库"), (Texts{"成品仓"}));
}

TEST_F(ConsFormTest, ALinesWarehouseIsPickedAmongTheOperatorsWarehouses) {
    account.add_warehouse("03", "备件仓");
    account.restrict_rows("demo", "department", "01");
    for (const char* wh : {"01", "02"}) account.restrict_rows("demo", "warehouse", wh);
    for (const char* inv : {"A001", "A002"})
        account.restrict_rows("demo", "inventory",
                              account.scalar(std::string("select iId from Inventory where cInvCode = '") + inv + "'"));
    auto list = std::make_shared<RecordingList>();
    reference_list = list;
    auto& f = lines_of(1);
    auto& b = f.lstFhdBody();
    ASSERT_EQ(b.Rows(), 4);
    const long wh = ModuleCtl::CaptionColumn(b, "仓库");
    Texts offered;
    ui().on_show(host::ReferenceListForm::kFormName, [&](ui::Form& form) {
        auto& l = dynamic_cast<host::ReferenceListForm&>(form);
        for (long r = 1; r < l.grid().Rows(); ++r) offered.emplace_back(l.grid().TextMatrix(r, 2));
        l.pick(2);
    });
    b.cell_button_click(1, wh);
    ASSERT_EQ(list->sql, (Texts{"SELECT * FROM Warehouse WHERE cWhCode IN ('01','02')"}));
    EXPECT_EQ(offered, (Texts{"原料仓", "成品仓"})) << "every warehouse of the operator's, whatever the cell says";
    EXPECT_EQ(b.TextMatrix(1, wh), "成品仓");
    EXPECT_EQ(b.TextMatrix(1, ModuleCtl::GetColumnIndex("cwhcode", f.rsBody(), b.Cols())), "02");
}

TEST_F(ConsFormTest, FilterFieldsEmptyARefusedEntryAndPlaceTheDateButtonBelowTheFrame) {
    auto& f = open();
    f.set_focus(&f.txtLDate());
    ASSERT_TRUE(f.cmdRefers().Visible());
    const int beside_field = f.cmdRefers().Top() - f.txtLDate().Top();
    f.set_focus(&f.txtOutDate());
    EXPECT_EQ(f.cmdRefers().Top() - f.txtOutDate().Top(), beside_field + f.Frame1().Height() + 30);

    f.set_focus(&f.cmbCustom());
    f.cmbCustom().put_Text("不存在的客户");
    ui().answer(vbOK);
    f.set_focus(&f.cmbDLID());
    EXPECT_EQ(f.cmbCustom().Text(), "") << "a refused entry is emptied";
    f.set_focus(&f.cmbDLID());
    f.cmbDLID().put_Text("FH9");
    EXPECT_TRUE(f.set_focus(&f.cmbDept())) << "a number is taken as typed";
    EXPECT_EQ(f.cmbDLID().Text(), "FH9");
}

// ---- line edits ----

TEST_F(ConsFormTest, OverIssueRuleSumsTheShownRowsOfALine) {
    account.exec("update Inventory set iGroupType = 1, iChangRate = 2 where cInvCode = 'A001'");
    account.exec("update DispatchLists set iInvExchRate = 2 where DLsID = 11");
    auto& f = lines_of(1);
    auto& b = f.lstFhdBody();
    // issued 8 of 10, 10% excess allowed: 3 more reach the limit, 4 pass it;
    // the pieces follow the quantity at the fixed rate, and come back with it
    EXPECT_EQ(type_quantity(f, 1, "3"), "3.00");
    EXPECT_EQ(b.TextMatrix(1, b.Cols() - 1), "1.50");
    ui().answer("本次出库数量不能大于出库上限范围！", vbOK);
    EXPECT_EQ(type_quantity(f, 1, "4"), "3.00");
    EXPECT_EQ(b.TextMatrix(1, b.Cols() - 1), "1.50") << "the partner cell is restored";
    // a copy of the line counts towards the same sum
    f.lstFhdBody().select(1, 1);
    f.mnuCopyLine().click();
    EXPECT_EQ(f.lstFhdBody().TextMatrix(4, f.lstFhdBody().Cols() - 2), "") << "copies leave this time empty";
    EXPECT_EQ(type_quantity(f, 1, "1"), "1.00");
    ui().answer("本次出库数量不能大于出库上限范围！", vbOK);
    EXPECT_EQ(type_quantity(f, 4, "2.5"), "");
    EXPECT_EQ(type_quantity(f, 4, "2"), "2.00");
    // a line of quantity 0 is never over-issued
    EXPECT_EQ(type_quantity(f, 3, "99"), "99.00");
    // hidden rows do not count
    f.lstFhdBody().put_RowHidden(4, true);
    EXPECT_EQ(type_quantity(f, 1, "3"), "3.00");
}

TEST_F(ConsFormTest, WithoutOverIssueTheRemainderBoundsTheAbsoluteSum) {
    account.set_option("001", "", "OverDispOut", "False");
    auto& f = lines_of(1);
    ui().answer("本次出库数量不能大于未出库数量", vbOK);
    EXPECT_EQ(type_quantity(f, 1, "3"), "2.00");
    EXPECT_EQ(type_quantity(f, 1, "1.5"), "1.50");
}

TEST_F(ConsFormTest, SignRulesKeepTheDispatchLinesSign) {
    auto& f = open();
    f.Check1().click();
    f.cmdFilter().click();
    f.lstFhdHead().click(1, 1);
    f.lstFhdHead().click(2, 1);
    ui().answer("本次出库数量不能为负数", vbOK);
    EXPECT_EQ(type_quantity(f, 1, "-5"), "2.00");
    ui().answer("本次出库数量不能为正数", vbOK);
    EXPECT_EQ(type_quantity(f, 4, "5"), "-10.00");
    EXPECT_EQ(type_quantity(f, 4, "-6"), "-6.00");
}

// ---- batches and receipt lines ----

TEST_F(ConsFormTest, ALineSplitOverThreeBatchesHidesItsRowAndHandsOverTheParts) {
    stock("A001", "B1", 4);
    stock("A001", "B2", 4);
    stock("A001", "B3", 2);
    auto& f = lines_of(3);
    auto& b = f.lstFhdBody();
    // the first line asks 4: one batch, the row refilled where it stands
    b.select(1, 1);
    f.key_down(66, 2);  // Ctrl+B
    EXPECT_FALSE(b.RowHidden(1));
    EXPECT_EQ(column(b, "批号"), (Texts{"B1", "", "", ""}));
    EXPECT_FALSE(f.trace_of_row(1)) << "no trace unless asked for";

    // a line of 10 spread over three batches
    b.put_TextMatrix(2, b.Cols() - 2, "10");
    b.select(2, 1);
    f.key_down(66, 2);
    EXPECT_TRUE(b.RowHidden(2));
    ASSERT_EQ(b.Rows(), 8);
    EXPECT_EQ(column(b, "批号"), (Texts{"B1", "", "", "", "B1", "B2", "B3"}));
    EXPECT_EQ(this_time(b, false), (Texts{"4.00", "10", "4.00", "2.00", "4.00", "4.00", "2.00"}));
    EXPECT_EQ(ui().sent_keys(), (Texts{"{ESC}"}));

    for (long r : {3L, 4L}) b.put_TextMatrix(r, 0, "");
    ui().answer("确认要生单吗？", vbYes);
    f.cmdOk().click();
    ASSERT_TRUE(owner.got);
    auto body = owner.got->Item(Variant("Body")).as<ado::Recordset>();
    ASSERT_TRUE(body);
    Texts handed;
    for (body->MoveFirst(); !body->Eof(); body->MoveNext())
        handed.push_back(vb::text_or_empty((*body)(Variant("cbatch"))) + ":" + vb::CStr((*body)(Variant("iQuantity"))));
    EXPECT_EQ(handed, (Texts{"B1:4", "B1:4", "B2:4", "B3:2"})) << "the hidden source row stays behind";
}

TEST_F(ConsFormTest, ABatchPassSharesTheScratchTableAndCollectsItsErrorsOnce) {
    stock("A001", "B1", 4);
    stock("A001", "B2", 1);
    stock("A001", "B3", 10);
    auto& f = lines_of(3);
    auto& b = f.lstFhdBody();
    f.set_tracing(true);
    ui().answer("存货A003没有找到对应的批次结存信息，不能自动分配\r\n", vbOK);
    f.key_down(69, 2);  // Ctrl+E
    // the second line sees the first's take: nothing left in B1, B2's 1, the rest from B3
    EXPECT_EQ(column(b, "批号", true), (Texts{"B1", "B3", "", "B2", "B3"}));
    EXPECT_EQ(this_time(b), (Texts{"4.00", "4.00", "2.00", "1.00", "3.00"}));
    EXPECT_TRUE(b.RowHidden(2));
    EXPECT_EQ(b.Col(), ModuleCtl::CaptionColumn(b, "批号"));
    EXPECT_EQ(account.scalar("select sum(iQuantity) from CurrentStock"), "15") << "a pass writes no stock";

    // the second line's parts carry its run's trace: B1 passed over for the
    // first line's take, and the taken amounts are exactly what the parts got
    const auto t = f.trace_of_row(5);
    ASSERT_TRUE(t);
    EXPECT_EQ(f.trace_of_row(6), t);
    EXPECT_EQ(f.trace_of_row(2), t) << "the hidden source row";
    EXPECT_NE(f.trace_of_row(1), t);
    ASSERT_GE(t->rows.size(), 3u);
    EXPECT_STREQ(selection::reason_text(t->rows[0].reason), "已被本次前面的行分配");
    EXPECT_EQ(t->rows[0].earlier_quantity, selection::Amount::of(4));
    const auto got = selection::Amount::of(ModuleCtl::CellAmount(b, 5, b.Cols() - 2)) +
                     selection::Amount::of(ModuleCtl::CellAmount(b, 6, b.Cols() - 2));
    EXPECT_EQ(selection::decimal_text(t->taken_quantity()), selection::decimal_text(got));
    const auto key = std::find(t->key_names.begin(), t->key_names.end(), "批号") - t->key_names.begin();
    ASSERT_LT(key, static_cast<long>(t->key_names.size()));
    Texts taken;
    for (const auto& row : t->rows)
        if (row.taken()) taken.push_back(t->keys(row)[key] + ":" + selection::decimal_text(row.quantity));
    EXPECT_EQ(taken, (Texts{"B2:1", "B3:3"}));

    // a second pass starts afresh from the saved stock and runs over the
    // hidden row too; its parts then find B3 short by one
    ui().answer("存货A003没有找到对应的批次结存信息，不能自动分配\r\n存货A001没有完全分配，还有1没有分配\r\n", vbOK);
    f.key_down(69, 2);
    EXPECT_EQ(column(b, "批号", true).front(), "B1");

    // OK hands the host one trace per line of "Body", in its order
    ui().answer("确认要生单吗？", vbYes);
    f.cmdOk().click();
    ASSERT_TRUE(owner.got);
    std::vector<frmCons::TracePtr> shown;
    for (long r = 1; r < b.Rows(); ++r)
        if (!b.RowHidden(r)) shown.push_back(f.trace_of_row(r));
    EXPECT_EQ(static_cast<long>(shown.size()), owner.got->Item(Variant("Body")).as<ado::Recordset>()->RecordCount());
    EXPECT_EQ(f.handed_traces(), shown);
    EXPECT_NE(std::count(shown.begin(), shown.end(), nullptr), static_cast<long>(shown.size()));
    f.set_tracing(false);
    EXPECT_FALSE(f.trace_of_row(1)) << "tracing off keeps none";

    // E without Ctrl only moves to the batch column; Ctrl+E on an empty list beeps
    b.select(1, 1);
    f.key_down(69, 0);
    EXPECT_EQ(b.Col(), ModuleCtl::CaptionColumn(b, "批号"));
    f.lstFhdHead().click(3, 1);
    EXPECT_EQ(b.Rows(), 1);
    f.key_down(69, 2);
    EXPECT_EQ(ui().beeps(), 1);
}

TEST_F(ConsFormTest, AReceiptPassTellsOfARedLineAndGoesOn) {
    account.add_receipt_line("01", "A001", "B1", 10);
    auto& f = open();
    f.Check1().click();
    f.cmdFilter().click();
    f.lstFhdHead().click(2, 1);
    f.lstFhdHead().click(1, 1);
    auto& b = f.lstFhdBody();
    ui().answer("红字发货单不支持自动指定功能，请手工指定。", vbOK);
    ui().answer(vbOK);  // the lines without receipts, in one box
    f.key_down(79, 2);  // Ctrl+O
    EXPECT_EQ(column(b, "入库单号"), (Texts{"", "0000000001", "", ""}));
    EXPECT_EQ(ui().messages().back().title, "批量入库单据号指定");
}

TEST_F(ConsFormTest, AReceiptLineSplitChecksEachNewRowAsAnEdit) {
    const long r1 = account.add_receipt_line("01", "A001", "B1", 2);
    const long r2 = account.add_receipt_line("01", "A001", "B2", 1);
    // issued 8 of 10 with 10% over allowed: 3 now is the most
    auto split = [this](const std::function<void()>& meanwhile) {
        form.reset();
        auto& f = lines_of(1);
        EXPECT_EQ(type_quantity(f, 1, "3"), "3.00");
        meanwhile();
        f.key_down(81, 2);  // Ctrl+Q in this time's quantity
        return &f;
    };
    auto* f = split([] {});
    auto& b = f->lstFhdBody();
    EXPECT_TRUE(b.RowHidden(1));
    EXPECT_EQ(column(b, "批号", true), (Texts{"", "", "B1", "B2"}));
    EXPECT_EQ(this_time(b).back(), "1.00");
    EXPECT_TRUE(ui().messages().empty()) << "the hidden row it came from is not summed again";

    // The option changed meanwhile: each new row is checked against what is
    // left of the line, told and left as allocated.
    f = split([this] {
        account.set_option("001", "", "OverDispOut", "False");
        ui().answer("本次出库数量不能大于未出库数量", vbOK);
        ui().answer("本次出库数量不能大于未出库数量", vbOK);
    });
    EXPECT_EQ(ui().messages().size(), 2u);
    EXPECT_EQ(ui().messages().back().title, "系统提示");
    EXPECT_EQ(this_time(f->lstFhdBody()), (Texts{"5.00", "0.00", "2.00", "1.00"}));

    // Split from the receipt number's cell: checking it again keeps the
    // receipt line each part names.
    account.set_option("001", "", "OverDispOut", "True");
    f = split([this] { form->lstFhdBody().put_Col(ModuleCtl::CaptionColumn(form->lstFhdBody(), "入库单号")); });
    auto& parts = f->lstFhdBody();
    const long id = ModuleCtl::GetColumnIndex("iBatch", f->rsBody(), parts.Cols());
    EXPECT_EQ(parts.TextMatrix(4, id), std::to_string(r1));
    EXPECT_EQ(parts.TextMatrix(5, id), std::to_string(r2));
}

// ---- OK ----

TEST_F(ConsFormTest, OkRefusesWithoutMarkedLinesAndOnASignRefusal) {
    auto& f = lines_of(1);
    f.mnuClearAll().click();
    ui().answer("确认要生单吗？", vbYes);
    ui().answer("请选择记录！", vbOK);
    f.cmdOk().click();
    EXPECT_FALSE(owner.got);

    auto& b = f.lstFhdBody();
    b.put_TextMatrix(1, 0, "Y");
    b.put_TextMatrix(1, b.Cols() - 2, "-1");
    ui().answer("确认要生单吗？", vbYes);
    ui().answer("本次出库数量/件数不能为负数", vbOK);
    f.cmdOk().click();
    EXPECT_FALSE(owner.got);
    EXPECT_TRUE(f.loaded()) << "the window stays open";

    b.select(1, 1);
    f.mnuDeleteLine().click();
    EXPECT_EQ(b.Rows(), 3) << "the line leaves the list only";
}

TEST_F(ConsFormTest, OkWithoutShownLinesLoadsTheMarkedHeadsLinesAndHandsThemOver) {
    auto& f = open();
    f.cmdFilter().click();
    f.lstFhdHead().click(1, 1);
    f.chkEdit().put_Value(1);
    ui().answer("确认要生单吗？", vbYes);
    f.cmdOk().click();
    EXPECT_EQ(f.Check1().Value(), 1);
    ASSERT_TRUE(owner.got);
    EXPECT_EQ(owner.got->KeyAt(1), "Head");
    EXPECT_EQ(owner.got->KeyAt(4), "Flag");
    EXPECT_EQ(vb::CLng(owner.got->Item(Variant("Flag"))), 0);
    EXPECT_EQ(owner.got->Item(Variant("Body")).as<ado::Recordset>()->RecordCount(), 3);
    EXPECT_EQ(owner.got->Item(Variant("Head")).as<ado::Recordset>()->RecordCount(), 1);
    EXPECT_EQ(fixture->hklm.query_string("SOFTWARE\\Tarnell\\WF\\V8.520\\KCGL", "invoice").value_or(""), "1");
    EXPECT_FALSE(f.visible());
}

}  // namespace
}  // namespace korvane::generation
