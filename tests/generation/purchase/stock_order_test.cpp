// The purchase generation form driven as a clerk drives it: filters run on
// the account, heads marked, lines edited under the receipt limits, OK.
#include "generation/purchase/stock_order_form.h"

#include <gtest/gtest.h>

#include "generation/core/body_rows.h"
#include "generation/core/texts.h"
#include "generation/core/warehouse_fields.h"
#include "host/reference_list.h"
#include "platform/vb/convert.h"
#include "selection/ref_select_form.h"
#include "tests/support/account.h"
#include "tests/support/services.h"

namespace korvane::generation {
namespace {

using namespace ui::vb;

constexpr const char* kToArrivals = "选择到货单将取消订单的所有选择,是否继续?";
constexpr const char* kToOrders = "选择订单将取消到货单的所有选择,是否继续?";

struct StockOrderTest : ::testing::Test {
    testing::TestAccount account;
    std::vector<std::string> failures;
    std::unique_ptr<testing::Services> fixture;
    std::unique_ptr<frmStockOrder> form;
    testing::RecordingOwner owner;

    void SetUp() override {
        account.add_warehouse("01", "原料仓");
        account.add_warehouse("02", "成品仓");
        account.add_inventory("A001");
        account.add_inventory("A002", 2, 10);
        account.add_inventory("A004", 1, 4);
        account.add_inventory(testing::InventoryRow{.code = "A003", .batch = true, .quality = true, .mass_days = 30});
        account.exec(
            "insert into zpurpoheader (POID, cPOID, dPODate, cBusType, cVenAbbName, cDepCode, cDepName) values "
            "(1, 'PO001', '2024-05-01', '普通采购', '华东精密', '01', '采购部'),"
            "(2, 'PO002', '2024-05-10', '', '华东精密', '02', '销售部'),"
            "(3, 'PO003', '2024-06-01', '受托代销', '南方五金', '01', '采购部')");
        account.exec(
            "insert into PO_Podetails (ID, POID, cInvCode, iQuantity, iNum, iInvExchRate, iReceivedQTY, iReceivedNum, "
            "dArriveDate) values (11, 1, 'A001', 100, null, null, 20, 0, '2024-05-20'),"
            "(12, 1, 'A002', 50, 5, 10, 0, 0, '2024-06-20'), (21, 2, 'A003', 30, null, null, 0, 0, '2024-05-25'),"
            "(31, 3, 'A001', 10, null, null, 0, 0, '2024-06-10')");
        account.exec(
            "insert into pu_ArrHead (ID, cCode, dDate, cBusType, cVenAbbName, cDepCode, cDepName) values "
            "(1, 'DH001', '2024-05-05', '普通采购', '华东精密', '01', '采购部'),"
            "(2, 'DH002', '2024-06-02', '', '南方五金', '02', '销售部')");
        account.exec(
            "insert into PU_ArrivalVouchs (Autoid, ID, cInvCode, cWhCode, iQuantity, fValidInQuan) values "
            "(101, 1, 'A001', '01', 40, 0), (102, 1, 'A003', null, 10, 4), (201, 2, 'A001', '02', 8, 0)");
        account.exec(
            "insert into VoucherColumnSet values (57, '仓库', 1, 0), (57, '批号', 1, 0), (57, '入库单号', 1, 1),"
            "(57, '生产日期', 1, 0), (57, '失效日期', 1, 0), (57, '本次入库数量', 1, 0), (57, '本次入库件数', 1, 0)");
        account.exec("insert into WarehouseInventory values ('01', 'A001'), ('01', 'A002'), ('02', 'A003')");
        option("OverOrder", "False");
        option("CheckWareInv", "True");
    }
    void TearDown() override {
        EXPECT_TRUE(failures.empty()) << failures.front();
        if (fixture) {
            EXPECT_TRUE(fixture->headless.script_done());
        }
    }
    void option(const char* name, const char* value) { account.set_option("001", "", name, value); }
    ui::HeadlessUi& ui() { return fixture->headless; }

    frmStockOrder& open(const std::string& user = "demo", const std::string& filter_clause = "") {
        fixture = std::make_unique<testing::Services>(testing::logged_in(account.connection_string(), user, true));
        ui().on_failure = [this](const std::string& w) { failures.push_back(w); };
        form = std::make_unique<frmStockOrder>(fixture->services);
        FormContext c;
        c.owner = &owner;
        c.filter_clause = filter_clause;
        form->set_context(c);
        form->Load();
        return *form;
    }
    // The texts of one column of a list, by its caption.
    static std::vector<std::string> column(const ui::Grid& g, const char* caption) {
        std::vector<std::string> v;
        long c = std::string(caption) == "选择" ? 0 : ModuleCtl::CaptionColumn(g, caption);
        if (c == 0 && std::string(caption) != "选择") c = -1;
        for (long r = 1; r < g.Rows(); ++r) v.emplace_back(c >= 0 ? g.TextMatrix(r, c) : "?");
        return v;
    }
    static void mark_order(frmStockOrder& f, long row) { f.lstDdHead().click(row, 0); }
    static void mark_arrival(frmStockOrder& f, long row) {
        f.lstDhdHead().click(row, 1);
        f.lstDhdHead().mouse_up(ui::vbLeftButton, 0, row, 1);
    }
    // The order tab with PO001 marked and its lines shown.
    frmStockOrder& order_lines() {
        auto& f = open();
        f.Check1().click();
        f.cmdFilter().click();
        mark_order(f, 1);
        return f;
    }
    static long col(frmStockOrder& f, const char* caption) { return ModuleCtl::CaptionColumn(f.body_list(), caption); }
};

// ---- filtering ----

TEST_F(StockOrderTest, FilterFragmentsAreExactAndSelectOnTheAccount) {
    auto& f = open();
    f.cmdFilter().click();
    EXPECT_EQ(f.sWhere(), "");
    EXPECT_EQ(column(f.lstDdHead(), "单据号"), (std::vector<std::string>{"PO001", "PO002", "PO003"}));

    f.txtUDate().put_Text("2024-05-31");
    f.cmdFilter().click();
    EXPECT_EQ(f.sWhere(), "zpurpoheader.dpodate <= '2024-05-31'");
    EXPECT_EQ(column(f.lstDdHead(), "单据号"), (std::vector<std::string>{"PO001", "PO002"}));

    f.txtUDate().put_Text("");
    f.cmbVen().put_Text("华东精密");
    f.cmbBusType().drop_down();
    ASSERT_EQ(f.cmbBusType().ListCount(), 2) << "the industrial edition offers no consigned type";
    f.cmbBusType().put_ListIndex(1);
    f.cmdFilter().click();
    EXPECT_EQ(f.sWhere(),
              "(( zpurpoheader.cVenAbbName = '华东精密' and zpurpoheader.cBusType = '普通采购') Or "
              "( zpurpoheader.cVenAbbName = '华东精密' and zpurpoheader.cBusType = ''))");
    EXPECT_EQ(column(f.lstDdHead(), "单据号"), (std::vector<std::string>{"PO001", "PO002"}))
        << "the empty-type twin lists PO002 too";

    ui().answer(kToArrivals, vbYes);
    f.SSTab1().click_tab(1);
    f.cmbVen().put_Text("");
    f.txtUDate().put_Text("2024-05-31");
    f.Command1().click();
    EXPECT_EQ(f.sWhere(),
              "((pu_ArrHead.ddate <= '2024-05-31' and pu_ArrHead.cBusType = '普通采购') Or "
              "(pu_ArrHead.ddate <= '2024-05-31' and pu_ArrHead.cBusType = ''))");
    EXPECT_EQ(column(f.lstDhdHead(), "单据号"), (std::vector<std::string>{"DH001"}));
}

TEST_F(StockOrderTest, TheDocumentTheHostNamedIsTheOnlyOneListed) {
    auto& f = open("demo", "cCode = 'PO002'");
    f.cmdFilter().click();
    EXPECT_EQ(f.sWhere(), " zpurpoheader.cPOID = 'PO002'") << "an order's number is its cPOID";
    EXPECT_EQ(column(f.lstDdHead(), "单据号"), (std::vector<std::string>{"PO002"}));
}

TEST_F(StockOrderTest, RestrictedOperatorSeesItsDepartmentsAndTheLineConditions) {
    account.restrict_rows("clerk", "department", "01");
    account.restrict_rows("clerk", "inventory", "1");
    account.restrict_rows("clerk", "warehouse", "01");
    auto& f = open("clerk");
    EXPECT_EQ(f.sWhere(), "(cDepCode in ('01') OR ISNULL(cDepCode, '') = '')") << "the scope of the load";
    f.cmdFilter().click();
    EXPECT_EQ(f.sWhere(), "(cDepCode in ('01') OR ISNULL(cDepCode, '') = '')");
    EXPECT_EQ(column(f.lstDdHead(), "单据号"), (std::vector<std::string>{"PO001", "PO003"}));

    EXPECT_EQ(f.OrderLineWhere(false), "Inventory.iId IN(1)");
    f.txtLPlanArriveDate().put_Text("2024-05-01");
    EXPECT_EQ(f.OrderLineWhere(true), "Inventory.iId IN(1) and dArriveDate >= '2024-05-01'");
    // the click on column 0 passes the inventory condition alone
    f.Check1().click();
    f.txtLPlanArriveDate().put_Text("2024-06-01");
    mark_order(f, 1);
    EXPECT_EQ(column(f.lstDdBody(), "存货编码"), (std::vector<std::string>{"A001"}));
    f.Check1().click();
    f.Check1().click();  // the show-lines action passes the planned arrival too
    EXPECT_EQ(f.lstDdBody().Rows(), 1);

    ui().answer(kToArrivals, vbYes);
    f.SSTab1().click_tab(1);
    EXPECT_EQ(f.sWhere(), "(cDepCode in ('01') OR ISNULL(cDepCode, '') = '') AND "
                          "(cWhCode in ('01') OR ISNULL(cWhCode,'') = '')");
    f.cmbWhName().put_Text("原料仓");
    EXPECT_EQ(f.ArrivalLineWhere(true),
              "Inventory.iId IN(1) AND (PU_ArrivalVouchs.cWhCode in ('01') OR ISNULL(PU_ArrivalVouchs.cWhCode,'') = '')"
              " and  cWhName = '原料仓'");
    EXPECT_EQ(f.ArrivalLineWhere(false),
              "Inventory.iId IN (1) AND (PU_ArrivalVouchs.cWhCode in ('01') OR ISNULL(PU_ArrivalVouchs.cWhCode,'') = '')");
    f.Command1().click();
    EXPECT_EQ(f.sWhere(), "(cDepCode in ('01') OR ISNULL(cDepCode, '') = '')") << "the filter's own scope";
    EXPECT_EQ(column(f.lstDhdHead(), "单据号"), (std::vector<std::string>{"DH001"}));
    mark_arrival(f, 1);
    EXPECT_EQ(column(f.lstDhdBody(), "存货编码"), (std::vector<std::string>{"A001"}))
        << "A003 is not the clerk's inventory";
}

TEST_F(StockOrderTest, CommercialEditionConsignedGoodsAndExecutedOrders) {
    option("SysVersion", "商业");
    account.exec("update PO_Podetails set iReceivedQTY = 10 where ID = 31");  // PO003 received in full
    auto& f = open();
    EXPECT_TRUE(f.chkBusType().Visible());
    f.cmdFilter().click();
    EXPECT_EQ(column(f.lstDdHead(), "单据号"), (std::vector<std::string>{"PO001", "PO002"}));
    f.chkAll().click();
    f.cmdFilter().click();
    EXPECT_EQ(column(f.lstDdHead(), "单据号"), (std::vector<std::string>{"PO001", "PO002", "PO003"}))
        << "executed but not closed";

    f.cmbBusType().drop_down();
    ASSERT_EQ(f.cmbBusType().ListCount(), 3);
    f.cmbBusType().put_ListIndex(2);
    EXPECT_EQ(f.chkBusType().Value(), 2);
    EXPECT_FALSE(f.chkBusType().Visible());
    EXPECT_EQ(f.OrderLineWhere(true), "Inventory.bInvEntrust=1");
    EXPECT_EQ(f.OrderLineWhere(false), "") << "the click on column 0 passes no consignment condition";
    f.cmbBusType().put_ListIndex(1);
    EXPECT_EQ(f.chkBusType().Value(), 0);
    EXPECT_TRUE(f.chkBusType().Visible());
}

// ---- tabs and marking ----

TEST_F(StockOrderTest, TabQuestionNoKeepsEverythingYesClearsTheOldTab) {
    auto& f = order_lines();
    ASSERT_EQ(f.lstDdBody().Rows(), 3);
    ui().answer(kToArrivals, vbNo);
    f.SSTab1().click_tab(1);
    EXPECT_EQ(f.SSTab1().Tab(), 0);
    EXPECT_EQ(f.lstDdHead().Rows(), 4) << "nothing cleared";
    EXPECT_EQ(f.lstDdBody().Rows(), 3);
    EXPECT_EQ(ui().messages().size(), 1u) << "no second question on the way back";
    EXPECT_TRUE(f.cmbPOID().Enabled());

    ui().answer(kToArrivals, vbYes);
    f.SSTab1().click_tab(1);
    EXPECT_EQ(f.lstDdHead().Rows(), 1);
    EXPECT_EQ(f.lstDdBody().Rows(), 1);
    EXPECT_FALSE(f.chkAll().Enabled());
    EXPECT_FALSE(f.cmbPOID().Enabled());
    EXPECT_TRUE(f.cmbArrID().Enabled());

    f.Command1().click();
    mark_arrival(f, 1);
    ui().answer(kToOrders, vbNo);
    f.SSTab1().click_tab(0);
    EXPECT_EQ(f.SSTab1().Tab(), 1);
    EXPECT_EQ(f.lstDhdBody().Rows(), 3);
}

TEST_F(StockOrderTest, BodyListHoldsExactlyTheMarkedHeadsLines) {
    auto& f = open();
    f.cmdFilter().click();
    mark_order(f, 1);
    EXPECT_EQ(f.lstDdBody().Rows(), 1) << "without Check1 no lines are fetched";
    f.Check1().click();
    EXPECT_EQ(column(f.lstDdBody(), "存货编码"), (std::vector<std::string>{"A001", "A002"}));
    EXPECT_EQ(column(f.lstDdBody(), "选择"), (std::vector<std::string>{"Y", "Y"})) << "lines come marked";
    mark_order(f, 2);
    EXPECT_EQ(column(f.lstDdBody(), "存货编码"), (std::vector<std::string>{"A001", "A002", "A003"}));
    EXPECT_EQ(column(f.lstDdBody(), "未入库数量"), (std::vector<std::string>{"80.00", "50.00", "30.00"}));
    mark_order(f, 1);  // unmarked: its lines go
    EXPECT_EQ(column(f.lstDdBody(), "存货编码"), (std::vector<std::string>{"A003"}));

    f.txtWh().put_Text("原料仓");
    f.Check1().click();
    EXPECT_EQ(f.lstDdBody().Rows(), 1);
    EXPECT_EQ(f.txtWh().Text(), "");
    EXPECT_FALSE(f.txtWh().Enabled());
}

// ---- line edits ----

TEST_F(StockOrderTest, CellStatesFollowTheColumnSettingsOfTheLine) {
    auto& f = order_lines();
    mark_order(f, 2);  // row 3: A003, kept by batch with a shelf life
    ui::Grid& body = f.lstDdBody();
    const long q = body.Cols() - 2;
    body.select(1, q);
    EXPECT_EQ(body.CellBackColor(1, col(f, "批号")), ui::kGrey) << "A001 is not kept by batch";
    EXPECT_EQ(body.CellBackColor(1, col(f, "生产日期")), ui::kGrey);
    EXPECT_EQ(body.CellBackColor(1, col(f, "入库单号")), ui::kGrey) << "a receipt names no in-voucher";
    EXPECT_EQ(body.CellBackColor(1, col(f, "仓库")), ui::kWhite);
    EXPECT_FALSE(body.edit_cell(1, col(f, "批号"), "B1")) << "a grey cell takes no typing";
    body.select(3, q);
    EXPECT_EQ(body.CellBackColor(3, col(f, "批号")), ui::kWhite);
    EXPECT_EQ(body.CellBackColor(3, col(f, "生产日期")), ui::kWhite);

    EXPECT_TRUE(body.edit_cell(1, q, "-5"));
    body.select(1, 1);
    EXPECT_EQ(body.CellBackColor(1, col(f, "入库单号")), ui::kWhite) << "a return may name its in-voucher";
    EXPECT_EQ(body.CellBackColor(1, col(f, "批号")), ui::kGrey);
}

TEST_F(StockOrderTest, QuantityAboveWhatIsLeftIsRefusedWithCellAndPartnerBack) {
    auto& f = order_lines();
    ui::Grid& body = f.lstDdBody();
    const long q = body.Cols() - 2;
    ui().answer("本次入库数量不能大于未入库数量", vbOK);
    EXPECT_TRUE(body.edit_cell(1, q, "80.5"));
    EXPECT_EQ(body.TextMatrix(1, q), "80.00");
    EXPECT_EQ(ui().messages().back().title, "");
    EXPECT_TRUE(body.edit_cell(1, q, "60"));
    EXPECT_EQ(body.TextMatrix(1, q), "60.00");
    EXPECT_EQ(ui().messages().size(), 1u) << "an accepted edit says nothing";
}

TEST_F(StockOrderTest, ExcessRatioAppliesWithOverOrder) {
    option("OverOrder", "True");
    account.exec("update Inventory set fInExcess = 0.1 where cInvCode = 'A001'");
    auto& f = order_lines();
    ui::Grid& body = f.lstDdBody();
    const long q = body.Cols() - 2;
    EXPECT_TRUE(body.edit_cell(1, q, "90"));  // (20 + 90 - 100) / 100 = 0.1
    EXPECT_EQ(body.TextMatrix(1, q), "90.00");
    ui().answer("本次入库数量不能大于入库上限范围！", vbOK);
    EXPECT_TRUE(body.edit_cell(1, q, "91"));
    EXPECT_EQ(body.TextMatrix(1, q), "90.00");
}

TEST_F(StockOrderTest, ReturnsAndFloatingLinesAreChecked) {
    auto& f = order_lines();
    ui::Grid& body = f.lstDdBody();
    const long q = body.Cols() - 2, n = body.Cols() - 1;
    ui().answer("本次退货数量/件数不能大于订单的累计入库数量/件数。", vbOK);
    EXPECT_TRUE(body.edit_cell(1, q, "-25"));
    EXPECT_EQ(body.TextMatrix(1, q), "80.00");
    EXPECT_TRUE(body.edit_cell(1, q, "-20"));
    EXPECT_EQ(body.TextMatrix(1, q), "-20.00");

    // A004 converts at a fixed 4 a piece: its pieces follow, and go back with the quantity
    account.exec("update PO_Podetails set cInvCode = 'A004', iNum = 12.5, iInvExchRate = 4, iReceivedQTY = 8 "
                 "where ID = 31");
    f.lstDdHead().click(3, 0);
    EXPECT_TRUE(body.edit_cell(3, q, "-4"));
    EXPECT_EQ(body.TextMatrix(3, n), "-1.00");
    ui().answer("本次退货数量/件数不能大于订单的累计入库数量/件数。", vbOK);
    EXPECT_TRUE(body.edit_cell(3, q, "-9"));
    EXPECT_EQ(body.TextMatrix(3, q), "-4.00");
    EXPECT_EQ(body.TextMatrix(3, n), "-1.00") << "the partner is put back too";

    // A002 converts at a floating rate and has 5 pieces
    ui().answer("必须先修改[件数]为负数然后修改[数量]!", vbOK);
    EXPECT_TRUE(body.edit_cell(2, q, "-3"));
    EXPECT_EQ(body.TextMatrix(2, q), "50.00");
    EXPECT_EQ(body.TextMatrix(2, n), "5.00");
}

TEST_F(StockOrderTest, DatesAndWarehouseCells) {
    auto& f = open();
    f.Check1().click();
    f.cmdFilter().click();
    mark_order(f, 2);  // A003: batch and shelf life of 30 days
    ui::Grid& body = f.lstDdBody();
    ui().answer("日期格式不正确，必须按格式YYYY-MM-DD输入", vbOK);
    EXPECT_TRUE(body.edit_cell(1, col(f, "失效日期"), "2024-13-01"));
    EXPECT_EQ(body.TextMatrix(1, col(f, "失效日期")), "");
    EXPECT_EQ(ui().messages().back().title, "提示");
    EXPECT_TRUE(body.edit_cell(1, col(f, "生产日期"), "2024-05-01"));
    EXPECT_EQ(body.TextMatrix(1, col(f, "失效日期")), "2024-05-31");

    ui().answer("仓库不合法！", vbOK);
    EXPECT_TRUE(body.edit_cell(1, col(f, "仓库"), "没有的仓"));
    EXPECT_EQ(body.TextMatrix(1, col(f, "仓库")), "");
    ui().answer("[原料仓]在仓库存货对照表中不存在！是否继续？", vbNo);
    EXPECT_TRUE(body.edit_cell(1, col(f, "仓库"), "01"));
    EXPECT_EQ(body.TextMatrix(1, col(f, "仓库")), "");
    EXPECT_TRUE(body.edit_cell(1, col(f, "仓库"), "02"));
    EXPECT_EQ(body.TextMatrix(1, col(f, "仓库")), "成品仓");
    EXPECT_EQ(f.sWhCode(), "02");

    body.put_TextMatrix(1, col(f, "入库单号"), "RK0001");
    ui().answer("已经指定了对应入库单号,不能修改仓库！", vbOK);
    EXPECT_TRUE(body.edit_cell(1, col(f, "仓库"), "原料仓"));
    EXPECT_EQ(body.TextMatrix(1, col(f, "仓库")), "成品仓") << "the old warehouse returns";
}

TEST_F(StockOrderTest, ReceiptWarehouseFillsTheFreeLines) {
    auto& f = open();
    f.Check1().click();
    ui().answer("表体没有数据!", vbOK);
    f.txtWh().put_Text("原料仓");
    f.set_focus(&f.txtWh());
    f.set_focus(&f.cmdOk());
    EXPECT_EQ(f.txtWh().Text(), "");

    f.cmdFilter().click();
    mark_order(f, 1);
    ui::Grid& body = f.lstDdBody();
    body.select(1, 1);
    f.txtWh().put_Text("01");
    f.set_focus(&f.txtWh());
    f.set_focus(&f.cmdOk());
    EXPECT_EQ(f.txtWh().Text(), "原料仓");
    EXPECT_EQ(column(body, "仓库"), (std::vector<std::string>{"原料仓", "原料仓"}));
}

TEST_F(StockOrderTest, UnitCellTakesTheAccountsUnitAndItsRate) {
    account.exec("insert into ComputationUnit values ('01', '个', 'G1', 1, 1), ('02', '箱', 'G1', 24, 0)");
    account.exec("update Inventory set cComUnitCode = '01', cAssComUnitCode = '02' where cInvCode = 'A002'");
    auto& f = order_lines();
    ui::Grid& body = f.lstDdBody();
    const long unit = col(f, "库存单位");
    ASSERT_EQ(body.TextMatrix(2, unit), "箱");
    ui().answer("计量单位[桶]不存在！", vbOK);
    EXPECT_TRUE(body.edit_cell(2, unit, "桶"));
    EXPECT_EQ(body.TextMatrix(2, unit), "箱");
    EXPECT_TRUE(body.edit_cell(2, unit, "01"));
    EXPECT_EQ(body.TextMatrix(2, unit), "个") << "typed by code, shown by name";
    EXPECT_EQ(body.TextMatrix(2, col(f, "换算率")), "1.00");
}

TEST_F(StockOrderTest, WarehouseListWithinTheOperatorsWarehouses) {
    account.restrict_rows("clerk", "warehouse", "01");
    account.restrict_rows("clerk", "department", "01");
    account.restrict_rows("clerk", "inventory", "1");
    auto& f = open("clerk");
    EXPECT_EQ(ModuleCtl::WarehouseLookupSql(fixture->services, "仓"),
              "SELECT * FROM Warehouse WHERE (cWhCode LIKE '%仓%' OR cWhName LIKE '%仓%') AND cWhCode IN('01')");
    f.Check1().click();
    f.cmdFilter().click();
    mark_order(f, 1);
    ASSERT_EQ(f.lstDdBody().Rows(), 2) << "the clerk's inventory only";
    f.lstDdBody().select(1, 1);
    long listed = 0;
    ui().on_show(host::ReferenceListForm::kFormName, [&](ui::Form& form) {
        auto& list = dynamic_cast<host::ReferenceListForm&>(form);
        listed = list.grid().Rows() - 1;
        list.pick(1);
    });
    f.txtWh().put_Text("仓");
    f.set_focus(&f.txtWh());
    EXPECT_TRUE(f.cmdWh().Visible());
    f.key_down(113);  // F2 runs the visible warehouse button
    EXPECT_EQ(listed, 1) << "the other warehouse is not the clerk's";
    EXPECT_EQ(f.txtWh().Text(), "原料仓");
    EXPECT_EQ(f.sWhCode(), "01");
    EXPECT_EQ(column(f.lstDdBody(), "仓库"), (std::vector<std::string>{"原料仓"}));
}

TEST_F(StockOrderTest, FreeItemAndUnitCellsPickFromTheirLists) {
    account.exec("insert into UserDef values ('20', '自由项1', '颜色')");
    account.exec("insert into FreeItemValue values (1, '01', '红', '6901'), (1, '02', '蓝', '6902')");
    account.exec("insert into ComputationUnit values ('01', '个', 'G1', 1, 1), ('02', '箱', 'G1', 24, 0)");
    account.exec("update Inventory set cComUnitCode = '01', cAssComUnitCode = '02' where cInvCode = 'A002'");
    auto& f = order_lines();
    ui::Grid& body = f.lstDdBody();
    const long colour = col(f, "颜色");
    ASSERT_GT(colour, 0);
    EXPECT_TRUE(body.ColButton(colour));
    std::vector<std::string> captions;
    ui().on_show(host::ReferenceListForm::kFormName, [&](ui::Form& form) {
        auto& list = dynamic_cast<host::ReferenceListForm&>(form);
        for (long c = 1; c < list.grid().Cols(); ++c)
            if (!list.grid().ColHidden(c)) captions.emplace_back(list.grid().TextMatrix(0, c));
        list.pick(list.grid().Rows() - 1);
    });
    body.cell_button_click(1, colour);
    EXPECT_EQ(captions, (std::vector<std::string>{"代码", "值", "条码"}));
    EXPECT_EQ(body.TextMatrix(1, colour), "蓝");

    captions.clear();
    ui().on_show(host::ReferenceListForm::kFormName, [&](ui::Form& form) {
        auto& list = dynamic_cast<host::ReferenceListForm&>(form);
        captions.emplace_back(list.grid().TextMatrix(0, 1));
        list.pick(1);
    });
    body.put_TextMatrix(2, col(f, "库存单位"), "");  // nothing typed: every unit of A002
    body.cell_button_click(2, col(f, "库存单位"));
    EXPECT_EQ(captions, (std::vector<std::string>{"计量单位编码"}));
    EXPECT_EQ(body.TextMatrix(2, col(f, "库存单位")), "个");
}

// ---- OK ----

TEST_F(StockOrderTest, OkRefusesWithoutHeadsOrLinesAndHandsOverMarkedLines) {
    auto& f = open();
    ui().answer("确认要生单吗？", vbNo);
    f.cmdOk().click();
    ui().answer("确认要生单吗？", vbYes);
    ui().answer("采购订单表头为空！请重新生单", vbOK);
    f.cmdOk().click();
    EXPECT_EQ(ui().messages().back().icon, vbCritical);

    f.cmdFilter().click();
    ui().answer("确认要生单吗？", vbYes);
    ui().answer("请选择记录！", vbOK);
    f.cmdOk().click();  // no head marked: no lines fetched
    EXPECT_EQ(owner.handed, 0);

    f.chkEdit().put_Value(1);
    mark_order(f, 2);  // PO002 has no business type
    ui().answer("确认要生单吗？", vbYes);
    f.cmdOk().click();  // Check1 is checked by OK: the lines come marked
    ASSERT_TRUE(owner.got);
    EXPECT_TRUE(f.bStockOrder());
    EXPECT_FALSE(f.visible());
    auto head = owner.got->Item(Variant("Head")).as<ado::Recordset>();
    auto body = owner.got->Item(Variant("Body")).as<ado::Recordset>();
    ASSERT_EQ(head->RecordCount(), 1);
    EXPECT_EQ(vb::CStr((*head)(Variant("cBusType"))), "普通采购");
    ASSERT_EQ(body->RecordCount(), 1);
    EXPECT_EQ(vb::CDbl((*body)(Variant("iQuantity"))), 30);
    EXPECT_EQ(owner.got->Item(Variant("Date")).str(), f.txtOutDate().Text());
    EXPECT_EQ(fixture->hklm.query_string(texts::kKcglKey, "orderform").value_or(""), "1");
    EXPECT_EQ(fixture->hklm.query_string(texts::kKcglKey, "arrivalform").value_or(""), "0");
    EXPECT_FALSE(fixture->layout.BodyLaidOutB);
}

TEST_F(StockOrderTest, OkWithEveryLineUnmarkedHandsNothingOver) {
    auto& f = order_lines();
    ui().answer_menu("mnuClearAll");
    f.lstDdBody().mouse_up(ui::vbRightButton, 0, 1, 1);
    EXPECT_EQ(column(f.lstDdBody(), "选择"), (std::vector<std::string>{"", ""}));
    ui().answer("确认要生单吗？", vbYes);
    ui().answer("请选择记录！", vbOK);
    f.cmdOk().click();
    EXPECT_EQ(ui().messages().back().icon, vbInformation);
    EXPECT_EQ(owner.handed, 0);
}

TEST_F(StockOrderTest, FilterFieldsDropBadKeysAndCheckWhatWasTyped) {
    auto& f = open();
    for (ui::Grid* g : {&f.lstDdHead(), &f.lstDdBody(), &f.lstDhdHead(), &f.lstDhdBody()})
        EXPECT_EQ(g->GridColor(), ui::kGrey) << g->Name();
    f.cmbVen().type_text("华东'精密");
    EXPECT_EQ(f.cmbVen().Text(), "华东精密");
    EXPECT_EQ(ui().beeps(), 1);
    f.set_focus(&f.txtLDate());
    EXPECT_TRUE(f.cmdRefers().Visible()) << "the reference button sits in the focused field";
    f.txtLDate().put_Text("2024-13-01");
    ui().answer("日期格式不正确，必须按格式YYYY-MM-DD输入", vbOK);
    EXPECT_FALSE(f.set_focus(&f.cmbVen()));
    EXPECT_EQ(f.active_control(), &f.txtLDate());
    f.txtLDate().put_Text("");
    EXPECT_TRUE(f.set_focus(&f.cmbVen()));
    f.cmbVen().put_Text("没有的供应商");
    ui().answer(vbOK);
    EXPECT_FALSE(f.set_focus(&f.cmbPerson())) << "an unknown vendor keeps the focus";
    EXPECT_EQ(ui().messages().back().title, "系统提示");
    EXPECT_EQ(ui().messages().back().icon, 0) << "a plain box, without an icon";
    EXPECT_TRUE(f.cmdRefers().Visible()) << "the button comes back for the refused field";
    EXPECT_EQ(f.cmbVen().ToolTipText(), "没有的供应商");

    // The document-number fields are taken as typed and carry no button.
    f.cmbVen().put_Text("");
    ASSERT_TRUE(f.set_focus(&f.cmbPOID()));
    EXPECT_FALSE(f.cmdRefers().Visible());
    f.cmbPOID().put_Text("没有的订单");
    EXPECT_TRUE(f.set_focus(&f.cmbPerson()));
}

TEST_F(StockOrderTest, CopiedLinesReturnsAndWholeArrivals) {
    auto& f = order_lines();
    ui::Grid& body = f.lstDdBody();
    const long q = body.Cols() - 2;
    body.select(1, q);
    ui().answer_menu("mnuCopyLine");
    body.mouse_up(ui::vbRightButton, 0, 1, q);
    ASSERT_EQ(body.Rows(), 4);
    EXPECT_TRUE(body.edit_cell(1, q, "50"));
    EXPECT_TRUE(body.edit_cell(3, q, "-5"));
    body.click(2, 0);  // unmark A002
    ui().answer("确认要生单吗？", vbYes);
    f.cmdOk().click();
    auto lines = owner.got->Item(Variant("Body")).as<ado::Recordset>();
    ASSERT_EQ(lines->RecordCount(), 2) << "the copied line is its own record";
    lines->MoveFirst();
    EXPECT_EQ(vb::CDbl((*lines)(Variant("iQuantity"))), 50);
    EXPECT_TRUE(vb::CBool((*lines)(Variant("bQuanSign"))));
    lines->MoveNext();
    EXPECT_EQ(vb::CDbl((*lines)(Variant("iQuantity"))), -5);
    EXPECT_FALSE(vb::CBool((*lines)(Variant("bQuanSign"))));

    ui().answer(kToArrivals, vbYes);
    f.SSTab1().click_tab(1);
    f.Command1().click();
    mark_arrival(f, 1);
    ui::Grid& arrivals = f.lstDhdBody();
    EXPECT_TRUE(arrivals.edit_cell(2, arrivals.Cols() - 2, "3"));
    ui().answer("确认要生单吗？", vbYes);
    f.cmdOk().click();
    EXPECT_FALSE(f.bStockOrder());
    lines = owner.got->Item(Variant("Body")).as<ado::Recordset>();
    ASSERT_EQ(lines->RecordCount(), 2);
    lines->MoveFirst();
    EXPECT_EQ(vb::CLng((*lines)(Variant("bAll"))), 1) << "40 of 40 received";
    lines->MoveNext();
    EXPECT_EQ(vb::CLng((*lines)(Variant("bAll"))), 0) << "3 of the 6 left";
}

// ---- batches of return lines ----

struct ReturnLineTest : StockOrderTest {
    // PO001's first line (A001, 20 received) turned into a return of 5 from warehouse 01.
    frmStockOrder& return_line() {
        account.add_stock(testing::StockRow{.warehouse = "01", .inventory = "A001", .batch = "B240101", .quantity = 3,
                                            .expiry = "2024-07-01", .made = "2024-01-01", .mass_days = 182});
        account.add_stock("01", "A001", "B240201", 4);
        option("BatchOut", "先进先出");
        auto& f = order_lines();
        ui::Grid& body = f.lstDdBody();
        EXPECT_TRUE(body.edit_cell(1, col(f, "仓库"), "01"));
        EXPECT_TRUE(body.edit_cell(1, body.Cols() - 2, "-5"));
        return f;
    }
    void expect_split(frmStockOrder& f) {
        ui::Grid& body = f.lstDdBody();
        ASSERT_EQ(body.Rows(), 5);
        EXPECT_TRUE(body.RowHidden(1)) << "the replaced line";
        EXPECT_EQ(body.TextMatrix(3, col(f, "批号")), "B240101");
        EXPECT_EQ(body.TextMatrix(3, body.Cols() - 2), "-3.00");
        EXPECT_EQ(body.TextMatrix(3, col(f, "生产日期")), "2024-01-01");
        EXPECT_EQ(body.TextMatrix(3, col(f, "失效日期")), "2024-07-01");
        EXPECT_EQ(body.TextMatrix(3, col(f, "保质期")), "182");
        EXPECT_EQ(body.TextMatrix(4, col(f, "批号")), "B240201");
        EXPECT_EQ(body.TextMatrix(4, body.Cols() - 2), "-2.00");
        EXPECT_EQ(body.TextMatrix(4, col(f, "仓库")), "原料仓") << "the replaced line's values";
        body.click(2, 0);  // leave A002 out
        ui().answer("确认要生单吗？", vbYes);
        f.cmdOk().click();
        auto lines = owner.got->Item(Variant("Body")).as<ado::Recordset>();
        ASSERT_EQ(lines->RecordCount(), 2) << "the hidden line is not handed over";
        lines->MoveFirst();
        EXPECT_EQ(vb::CStr((*lines)(Variant("cBatch"))), "B240101");
        EXPECT_FALSE(vb::CBool((*lines)(Variant("bQuanSign"))));
    }
};

TEST_F(ReturnLineTest, CtrlBAllocatesTheBatchesOfAReturnLine) {
    auto& f = return_line();
    f.lstDdBody().select(1, 1);
    f.set_focus(&f.lstDdBody());
    f.key_down(66, 2);
    expect_split(f);
}

TEST_F(ReturnLineTest, BatchCellLookupOpensTheSelectionDialog) {
    auto& f = return_line();
    bool shown = false;
    ui().on_show("frmRefSelect", [&](ui::Form& d) {
        shown = true;
        auto& dialog = dynamic_cast<selection::frmRefSelect&>(d);
        dialog.TaskRun("auto");
        dialog.TaskRun("ok");
    });
    ui::Grid& body = f.lstDdBody();
    body.cell_button_click(1, col(f, "批号"));
    EXPECT_TRUE(shown);
    EXPECT_EQ(body.TextMatrix(1, col(f, "批号")), "B240101") << "the cell takes the chosen batch";
    expect_split(f);
}

TEST_F(ReturnLineTest, ReferenceColumnTakesAPickNotTypedText) {
    auto& f = return_line();
    ui::Grid& body = f.lstDdBody();
    bool shown = false;
    ui().on_show("frmRefSelect", [&](ui::Form& d) {
        shown = true;
        dynamic_cast<selection::frmRefSelect&>(d).TaskRun("cancel");
    });
    body.select(2, 1);
    body.select(1, 1);  // back on the return line, whose cells now follow its sign
    EXPECT_TRUE(body.edit_cell(1, col(f, "入库单号"), "RK999"));
    EXPECT_TRUE(shown) << "typing into it on a return opens the receipt-line list";
    EXPECT_EQ(body.TextMatrix(1, col(f, "入库单号")), "") << "a reference column keeps only what its list gave";
}

TEST_F(ReturnLineTest, ReturnWithoutWarehouseIsRefused) {
    auto& f = order_lines();
    ui::Grid& body = f.lstDdBody();
    EXPECT_TRUE(body.edit_cell(1, body.Cols() - 2, "-5"));
    ui().answer("仓库不能为空！", vbOK);
    body.cell_button_click(1, col(f, "批号"));
    EXPECT_EQ(body.Rows(), 3);
    EXPECT_FALSE(body.RowHidden(1));
}

TEST_F(StockOrderTest, EmptyCopyHasTheFieldsAndNoRows) {
    auto& f = order_lines();
    auto copy = ModuleCtl::EmptyRecordsetCopy(f.rsBody());
    EXPECT_EQ(copy->Fields().Count(), f.rsBody()->Fields().Count());
    EXPECT_EQ(copy->RecordCount(), 0);
    EXPECT_EQ(f.rsBody()->RecordCount(), 2) << "the source keeps its rows";
}

}  // namespace
}  // namespace korvane::generation
