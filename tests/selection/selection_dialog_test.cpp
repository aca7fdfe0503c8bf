// The selection dialog driven as an operator drives it: clicks on rows,
// cell and header edits with their refusals, the toolbar and the close box.
#include <gtest/gtest.h>

#include "component/module_state.h"
#include "component/ref_select.h"
#include "host/stock_queries.h"
#include "platform/vb/convert.h"
#include "selection/allocation.h"
#include "session/login.h"
#include "tests/support/account.h"
#include "tests/support/module_ui.h"

namespace korvane::selection {
namespace {

using component::RefSelect;
using Rows = std::vector<std::pair<std::string, std::string>>;

struct Dialog : ::testing::Test {
    testing::TestAccount account;
    testing::ModuleUi module_ui;
    ui::HeadlessUi& ui = module_ui.ui;
    session::LoginPtr login;
    session::PermissionServicePtr permission = session::PermissionService::create();
    RefSelect s;

    void SetUp() override {
        account.add_warehouse("01", "成品库");
        testing::InventoryRow one{.code = "A001", .name = "螺栓"};
        one.free[0] = true;
        account.add_inventory(one);
        account.add_inventory(testing::InventoryRow{.code = "K1", .name = "钢板", .group_type = 1, .rate = 2});
        account.add_inventory(testing::InventoryRow{.code = "K2", .name = "线缆", .group_type = 2, .rate = 5});
        account.exec("insert into UserDef values ('20', '自由项1', '颜色')");
        login = session::AccountLogin::create(account.connection_string(), "demo");
        permission->InitFromSession(login);
    }
    void stock(const std::string& inv, const std::string& batch, double q, double pieces = 0) {
        testing::StockRow row{.warehouse = "01", .inventory = inv, .batch = batch, .quantity = q, .pieces = pieces};
        row.free[0] = inv == "A001" ? "红" : "";
        account.add_stock(row);
    }
    // Opens the dialog for a line and runs `script` in it while it is shown.
    void refer(const std::string& inv, double q, std::function<void(frmRefSelect&)> script, double num = 0,
               double rate = 0, bool red = false, std::int32_t ref_type = 0, std::string sql = "",
               std::string from = "") {
        if (sql.empty()) host::account_batch_query_builder(permission)->GetBatchSql(sql, "01", inv, {}, "");
        ui.on_show(frmRefSelect::kFormName, [script](ui::Form& f) { script(dynamic_cast<frmRefSelect&>(f)); });
        auto free = std::make_shared<Collection>();
        free->Add(Variant("红"));
        s.Refer(login, std::string("01"), inv, free, q, num, rate, ref_type, sql, red, true, from);
    }
    Rows result(const char* out = "出库数量") {
        Rows r;
        if (auto rs = s.ReturnData())
            for (rs->MoveFirst(); !rs->Eof(); rs->MoveNext())
                r.emplace_back(vb::CStr((*rs)(Variant("批号"))), vb::CStr((*rs)(Variant(out))));
        return r;
    }
};

TEST_F(Dialog, HeaderShowsTheLineAndClicksChooseAndTakeBackRows) {
    stock("A001", "B1", 4);
    stock("A001", "B2", 3);
    stock("A001", "B3", 8);
    refer("A001", 10, [](frmRefSelect& d) {
        EXPECT_EQ(d.hdiWhcode().Value(), "成品库");
        EXPECT_EQ(d.hdiInvCode().Value(), "螺栓");
        ASSERT_EQ(d.hdiFree().entry_count(), 1);
        EXPECT_EQ(d.hdiFree().entry(1).caption, "颜色");
        EXPECT_EQ(d.hdiFree().entry(1).value, "红");
        EXPECT_EQ(d.hdiQuantity().Value(), "10.00");
        auto& g = d.spgList();
        EXPECT_EQ(g.TextMatrix(0, 1), "颜色");
        EXPECT_EQ(g.CellBackColor(1, 2), ui::kGrey);
        EXPECT_NE(g.CellBackColor(1, d.out_quantity_col()), ui::kGrey);
        for (long r : {1, 2, 3}) g.click(r, 1);
        EXPECT_EQ(g.TextMatrix(3, d.out_quantity_col()), "3.00");
        EXPECT_EQ(d.remaining_quantity(), 0);
        g.click(2, 1);  // taken back: its amount returns
        EXPECT_EQ(g.TextMatrix(2, 0), "");
        EXPECT_EQ(g.TextMatrix(2, d.out_quantity_col()), "0");
        EXPECT_EQ(d.remaining_quantity(), 3);
        g.click(2, 3);  // another column does nothing
        EXPECT_EQ(g.TextMatrix(2, 0), "");
        d.ToolbarControl().click("ok");
    });
    EXPECT_EQ(result(), (Rows{{"B1", "4"}, {"B3", "3"}}));
    EXPECT_TRUE(ui.messages().empty());
}

TEST_F(Dialog, CellEditsRefuseTheWrongColourAndWriteTheRecord) {
    stock("A001", "B1", 4);
    stock("A001", "B2", 3);
    ui.answer("篮字单据不能输入负数", ui::vb::vbOK);
    refer("A001", 5, [](frmRefSelect& d) {
        auto& g = d.spgList();
        const long out = d.out_quantity_col();
        EXPECT_FALSE(g.edit_cell(1, out, "-3"));
        EXPECT_EQ(g.TextMatrix(1, out), "0") << "a refused edit changes nothing";
        g.cancel_edit();
        EXPECT_FALSE(g.begin_edit(1, 2)) << "only the out columns take edits";
        g.click(1, 1);
        EXPECT_TRUE(g.edit_cell(1, out, "2"));
        EXPECT_EQ(g.TextMatrix(1, out), "2");
        g.click(2, 1);  // what is left after the edit: 5 - 2
        EXPECT_EQ(g.TextMatrix(2, out), "3.00");
        d.TaskRun("OK");
    });
    EXPECT_EQ(result(), (Rows{{"B1", "2"}, {"B2", "3"}}));
    ASSERT_EQ(ui.messages().size(), 1u);
    EXPECT_EQ(ui.messages()[0].title, "");

    ui.clear();
    ui.answer("红字单据不能输入正数", ui::vb::vbOK);
    refer("A001", -5, [](frmRefSelect& d) {
        EXPECT_FALSE(d.spgList().edit_cell(1, d.out_quantity_col(), "1"));
        d.spgList().cancel_edit();
        d.spgList().click(1, 1);
        EXPECT_EQ(d.spgList().TextMatrix(1, d.out_quantity_col()), "-4.00");
        d.TaskRun("ok");
    }, 0, 0, true);
    EXPECT_EQ(result(), (Rows{{"B1", "-4"}}));
}

TEST_F(Dialog, QuantityEditsMoveTheRemainderOrAskToReallocate) {
    stock("A001", "B1", 6);
    stock("A001", "B2", 8);
    ui.answer("不能改变数据的正负", ui::vb::vbOK);
    ui.answer("修改的数量小于已分配的数量6，是否重新分配？", ui::vb::vbYes);
    ui.answer("修改的数量小于已分配的数量5，是否重新分配？", ui::vb::vbNo);
    refer("A001", 10, [](frmRefSelect& d) {
        d.spgList().click(1, 1);
        EXPECT_EQ(d.remaining_quantity(), 4);
        EXPECT_TRUE(d.hdiQuantity().commit("12"));
        EXPECT_EQ(d.remaining_quantity(), 6);
        EXPECT_EQ(d.Quantity(), 12);
        EXPECT_FALSE(d.hdiQuantity().commit("-1"));
        EXPECT_EQ(d.Quantity(), 12);
        EXPECT_TRUE(d.hdiQuantity().commit("5"));  // Yes: allocated afresh
        EXPECT_EQ(d.hdiQuantity().Value(), "5.00");
        EXPECT_EQ(d.spgList().TextMatrix(1, d.out_quantity_col()), "5.00");
        EXPECT_EQ(d.spgList().TextMatrix(2, 0), "");
        EXPECT_FALSE(d.hdiQuantity().commit("3"));  // No: the edit is cancelled
        EXPECT_EQ(d.Quantity(), 5);
        EXPECT_EQ(d.hdiQuantity().EditText(), "3");
        d.TaskRun("ok");
    });
    EXPECT_EQ(result(), (Rows{{"B1", "5"}}));
    EXPECT_EQ(ui.messages()[1].icon, ui::vb::vbQuestion);
    EXPECT_EQ(ui.messages()[1].buttons, ui::vb::vbYesNo);
}

TEST_F(Dialog, PiecesAndRateEditsConvertTheQuantity) {
    stock("K1", "P1", 10, 5);
    stock("K2", "W1", 50, 10);
    refer("K1", 4, [](frmRefSelect& d) {
        EXPECT_FALSE(d.hdiQuantity().Editable());
        EXPECT_FALSE(d.hdiExchRate().Editable());
        EXPECT_EQ(d.hdiNum().Value(), "0.00");
        EXPECT_TRUE(d.hdiNum().commit("3"));
        EXPECT_EQ(d.Quantity(), 6);
        EXPECT_EQ(d.hdiQuantity().Value(), "6.00");
        d.spgList().click(1, 1);
        EXPECT_EQ(d.spgList().TextMatrix(1, d.out_pieces_col()), "3.00");
        d.TaskRun("ok");
    }, 0, 2);
    EXPECT_EQ(result("出库件数"), (Rows{{"P1", "3"}}));

    ui.answer("换算率不能输入负数", ui::vb::vbOK);
    refer("K2", 0, [](frmRefSelect& d) {
        EXPECT_TRUE(d.both_editable());
        EXPECT_FALSE(d.hdiExchRate().commit("-2"));
        EXPECT_TRUE(d.hdiNum().commit("4"));
        EXPECT_EQ(d.Quantity(), 20);  // 4 pieces at 5 each
        EXPECT_TRUE(d.hdiExchRate().commit("6"));
        EXPECT_EQ(d.hdiQuantity().Value(), "24.00");
        EXPECT_TRUE(d.hdiQuantity().commit("30"));
        EXPECT_EQ(d.hdiExchRate().Value(), "7.50") << "quantity over pieces";
        d.TaskRun("cancel");
    }, 0, 5);
    EXPECT_EQ(s.ReturnData(), nullptr);
}

TEST_F(Dialog, CancelAndTheCloseBoxReturnNothing) {
    stock("A001", "B1", 4);
    refer("A001", 2, [](frmRefSelect& d) {
        d.spgList().click(1, 1);
        d.TaskRun("cancel");
    });
    EXPECT_EQ(s.ReturnData(), nullptr);
    EXPECT_FALSE(s.dialog()->confirmed());
    refer("A001", 2, [](frmRefSelect& d) {
        d.spgList().click(1, 1);
        d.Unload();  // the window's close box
    });
    EXPECT_EQ(s.ReturnData(), nullptr);
    refer("A001", 2, [](frmRefSelect& d) { d.TaskRun("ok"); });
    EXPECT_EQ(s.ReturnData(), nullptr) << "OK with nothing chosen";
    refer("A001", 2, [](frmRefSelect& d) {
        d.TaskRun("all");
        d.TaskRun("none");
        d.TaskRun("help");
        EXPECT_TRUE(d.loaded());
        d.TaskRun("auto");
        d.TaskRun("ok");
    });
    EXPECT_EQ(result(), (Rows{{"B1", "2"}}));
}

TEST_F(Dialog, ToolbarAndShowBoxes) {
    stock("A001", "B0", 0);
    stock("A001", "B1", 4);
    refer("A001", 2, [](frmRefSelect& d) {
        EXPECT_TRUE(d.ToolbarControl().Visible());
        EXPECT_FALSE(d.tbrTool().Visible());
        ASSERT_EQ(d.ToolbarControl().buttons().size(), 4u);
        const char* images[] = {"tlbok", "tlbexit", "", "tlbauto"};
        for (int b = 1; b <= 4; ++b) EXPECT_EQ(d.ToolbarControl().button_at(b).image, images[b - 1]) << b;
        EXPECT_EQ(d.imlTool().count(), 4);
        EXPECT_EQ(d.ToolbarControl().Left(), 0);
        EXPECT_EQ(d.ToolbarControl().Width(), d.Width());
        EXPECT_EQ(d.spgList().Rows(), 2);
        d.chkShowZero().click();
        EXPECT_EQ(d.spgList().Rows(), 3);
        d.chkShowMax().click();
        EXPECT_EQ(d.spgList().Rows(), 2);
        d.ToolbarControl().click("cancel");
    });
    std::string sql;
    host::account_receipt_line_query_builder(permission)->GetRedReceiptLineSql(sql, "01", "A001", {}, "", "");
    refer("A001", -1, [](frmRefSelect& d) {
        EXPECT_FALSE(d.ToolbarControl().button("auto").enabled);
        EXPECT_FALSE(d.chkShowMax().Enabled());
        d.TaskRun("cancel");
    }, 0, 0, true, 2, sql);
}

TEST_F(Dialog, ReturnsAgainstIssueLinesConvertPiecesToQuantity) {
    testing::ReceiptLine in{.voucher_code = "R01", .inventory = "K1", .batch = "L1", .quantity = 20, .pieces = 10};
    long receipt = account.add_receipt_line(in);
    account.exec("insert into RdRecord (ID, bRdFlag, cVouchType, cWhCode, dDate, cCode) values (90, 0, '32', '01', "
                 "'2024-06-01', 'S01');"
                 "insert into RdRecords (AutoID, ID, cInvCode, iQuantity, iNum, cBatch, iTrIds) values (900, 90, 'K1', 8, 4, "
                 "'L1', " + std::to_string(receipt) + ")");
    std::string sql;
    host::account_receipt_line_query_builder(permission)->GetRedReceiptLineSql(sql, "01", "K1", {}, "", "");
    refer("K1", -4, [](frmRefSelect& d) {
        auto& g = d.spgList();
        EXPECT_EQ(g.TextMatrix(0, d.out_quantity_col()), "退回数量");
        EXPECT_EQ(g.TextMatrix(0, d.balance_quantity_col()), "结存数量");
        EXPECT_EQ(g.TextMatrix(1, d.balance_quantity_col()), "8.00");
        g.click(1, 1);
        EXPECT_EQ(g.TextMatrix(1, d.out_pieces_col()), "-2.00") << "the rest of the request, over the rate";
        EXPECT_TRUE(g.edit_cell(1, d.out_pieces_col(), "-1"));
        EXPECT_EQ(g.TextMatrix(1, d.out_quantity_col()), "-2.00");
        d.TaskRun("ok");
    }, 0, 2, true, 2, sql);
    auto rs = s.ReturnData();
    ASSERT_TRUE(rs);
    EXPECT_EQ(vb::CStr((*rs)(Variant("退回数量"))), "-2");
    EXPECT_EQ(vb::CStr((*rs)(Variant("入库单号"))), "R01");
    EXPECT_EQ(vb::CStr((*rs)(Variant("出库系统编号"))), "900");
    EXPECT_EQ(vb::CStr((*rs)(Variant("入库系统编号"))), std::to_string(receipt));
}

TEST_F(Dialog, BothUnitsAtARateGivePiecesThatAddUpToTheRequest) {
    stock("K2", "W1", 25, 3);
    stock("K2", "W2", 50, 5);
    // 4 pieces at 10 on 40: the first batch's 25 are 2.5 pieces, whatever
    // its balance pieces say, and the second gives the other 1.5.
    refer("K2", 40, [](frmRefSelect& d) {
        ASSERT_TRUE(d.both_editable());
        d.TaskRun("auto");
        auto& g = d.spgList();
        EXPECT_EQ(g.TextMatrix(1, d.out_pieces_col()), "2.50");
        EXPECT_EQ(g.TextMatrix(2, d.out_pieces_col()), "1.50");
        EXPECT_EQ(d.remaining_pieces(), 0);
        // What is left moves with an edited amount at once, pieces too.
        EXPECT_TRUE(g.edit_cell(2, d.out_quantity_col(), "10"));
        EXPECT_EQ(g.TextMatrix(2, d.out_pieces_col()), "1.00");
        EXPECT_EQ(d.remaining_quantity(), 5);
        EXPECT_EQ(d.remaining_pieces(), 0.5);
        d.TaskRun("ok");
    }, 4, 10);
    EXPECT_EQ(result("出库件数"), (Rows{{"W1", "2.5"}, {"W2", "1"}}));
    EXPECT_TRUE(ui.messages().empty());
}

TEST_F(Dialog, PiecesAreKeptUnroundedAndTheLastRowTakesTheRest) {
    stock("K2", "W1", 3, 10);
    stock("K2", "W2", 3, 10);
    stock("K2", "W3", 8, 10);
    refer("K2", 10, [](frmRefSelect& d) {
        // 7 pieces of 10: a rate of 10/7 that no decimal holds
        EXPECT_TRUE(d.hdiQuantity().commit("10"));
        EXPECT_EQ(d.hdiExchRate().Value(), "1.43");
        d.TaskRun("auto");
        auto& g = d.spgList();
        EXPECT_EQ(g.TextMatrix(1, d.out_pieces_col()), "2.10");
        EXPECT_EQ(g.TextMatrix(3, d.out_pieces_col()), "2.80");
        // The operator halves the first batch: its pieces follow, the rest
        // stays with the batch that completes the quantity.
        EXPECT_TRUE(g.edit_cell(1, d.out_quantity_col(), "1.5"));
        EXPECT_EQ(g.TextMatrix(1, d.out_pieces_col()), "1.05");
        EXPECT_EQ(d.remaining_quantity(), 1.5);
        g.click(3, 1);  // back
        g.click(3, 1);  // and chosen again: it takes the 5.5 left, with the pieces left
        EXPECT_EQ(g.TextMatrix(3, d.out_quantity_col()), "5.50");
        EXPECT_EQ(d.remaining_pieces(), 0);
        d.TaskRun("ok");
    }, 7);
    auto rs = s.ReturnData();
    ASSERT_TRUE(rs);
    Amount pieces;
    std::vector<double> each;
    for (rs->MoveFirst(); !rs->Eof(); rs->MoveNext()) {
        const Variant& v = (*rs)(Variant("出库件数"));
        ASSERT_EQ(v.type(), VarType::Double);
        each.push_back(v.number());
        pieces += Amount::of(v.number());
    }
    EXPECT_EQ(pieces, Amount::whole(7)) << "to the millionth";
    ASSERT_EQ(each.size(), 3u);
    EXPECT_DOUBLE_EQ(each[0], 1.05);
    EXPECT_DOUBLE_EQ(each[1], 2.100001) << "stored as divided, shown rounded";
    EXPECT_DOUBLE_EQ(each[2], 3.849999) << "the rest";
}

TEST_F(Dialog, AStockCountRowTakenBackLeavesTheRequestAsItWas) {
    stock("A001", "B1", 4);
    stock("A001", "B2", 9);
    std::string sql;
    host::account_batch_query_builder(permission)->GetStockCountSql(sql, "01", "A001", {}, "");
    refer("A001", 1, [](frmRefSelect& d) {
        auto& g = d.spgList();
        g.click(1, 1);
        EXPECT_EQ(g.TextMatrix(1, d.out_quantity_col()), "4.00");
        EXPECT_EQ(d.remaining_quantity(), 1);
        for (int round = 0; round < 3; ++round) {
            g.click(1, 1);
            EXPECT_EQ(g.TextMatrix(1, d.out_quantity_col()), "0");
            EXPECT_EQ(d.remaining_quantity(), 1) << "the count took nothing, so it gives nothing back";
            g.click(1, 1);
        }
        g.click(2, 1);
        EXPECT_EQ(d.remaining_quantity(), 1);
        d.TaskRun("ok");
    }, 0, 0, false, 0, sql, "18");
    EXPECT_EQ(result("盘点数量"), (Rows{{"B1", "4"}, {"B2", "9"}}));
}

}  // namespace
}  // namespace korvane::selection
