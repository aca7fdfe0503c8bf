#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/vb/error.h"
#include "schema/account_schema.h"
#include "tests/support/account.h"
#include "tests/support/errors.h"

namespace korvane::schema {
namespace {

using testing::TestAccount;

const char* const kTables[] = {"Warehouse",    "Inventory",    "InventoryClass", "CurrentStock",    "RdRecord",
                               "RdRecords",    "Customer",     "Department",     "Person",          "Vendor",
                               "ComputationUnit", "VouchType", "Operator",       "OperatorRight",   "RowAuthority",
                               "AccountOption", "CodeRule",     "PurchaseType",   "SaleType",        "zpurpoheader",
                               "PO_Podetails", "pu_ArrHead",   "PU_ArrivalVouchs", "DispatchList",  "DispatchLists",
                               "pp_pohead",    "pp_pomain",    "pp_pochild"};

std::string column_type(const TestAccount& a, const std::string& table, const std::string& column) {
    return a.scalar("select lower(type) from pragma_table_info('" + table + "') where name = '" + column + "'");
}

TEST(AccountSchema, ANewAccountHoldsEveryTableEmpty) {
    TestAccount a;
    for (const char* table : kTables) {
        EXPECT_EQ(a.scalar(std::string("select count(*) from sqlite_master where type='table' and name='") + table + "'"),
                  "1")
            << table;
        EXPECT_EQ(a.scalar(std::string("select count(*) from ") + table), "0") << table;
    }
    EXPECT_EQ(a.scalar("pragma journal_mode"), "wal");
}

TEST(AccountSchema, CodesAndNamesCompareWithoutCase) {
    TestAccount a;
    a.add_warehouse("wh-a", "Raw Store");
    a.add_inventory("a001");
    a.add_stock("WH-A", "A001", "b1", 5);
    EXPECT_EQ(a.scalar("select cWhName from Warehouse where cWhCode = 'WH-A'"), "Raw Store");
    EXPECT_EQ(a.scalar("select count(*) from Warehouse where cWhName = 'RAW STORE'"), "1");
    EXPECT_EQ(a.scalar("select count(*) from CurrentStock s join Inventory i on i.cInvCode = s.cInvCode "
                       "join Warehouse w on w.cWhCode = s.cWhCode where s.cBatch = 'B1'"),
              "1");
    EXPECT_EQ(a.scalar("select count(*) from CurrentStock where cInvCode in ('A001')"), "1");
    // A primary key folds case too: the host sees one warehouse.
    EXPECT_THROW(a.add_warehouse("WH-A"), std::runtime_error);
}

TEST(AccountSchema, UnusedBatchAndFreeItemsAreEmptyTextNotNull) {
    TestAccount a;
    a.exec("insert into CurrentStock (cWhCode, cInvCode) values ('01', 'X')");
    a.exec("insert into RdRecords (ID, cInvCode) values (1, 'X')");
    EXPECT_EQ(a.scalar("select count(*) from CurrentStock where cBatch = '' and cFree1 = '' and cFree10 = ''"), "1");
    EXPECT_EQ(a.scalar("select count(*) from RdRecords where cBatch = '' and cFree5 = '' and iSOutQuantity = 0"), "1");
    EXPECT_THROW(a.exec("insert into CurrentStock (cWhCode, cInvCode, cBatch) values ('01', 'X', null)"),
                 std::runtime_error);
}

TEST(AccountSchema, ColumnsCarryTheTypesTheDriverMaps) {
    TestAccount a;
    const char* const kTypes[][3] = {
        {"CurrentStock", "iQuantity", "decimal(20,6)"}, {"CurrentStock", "iNum", "decimal(20,6)"},
        {"CurrentStock", "dVDate", "datetime"},         {"CurrentStock", "AutoID", "integer"},
        {"RdRecords", "iSOutNum", "decimal(20,6)"},     {"RdRecords", "iPrice", "money"},
        {"Inventory", "bInvBatch", "bit"},              {"Inventory", "iGroupType", "smallint"},
        {"Inventory", "cInvCode", "nvarchar(20)"},      {"Department", "bDepEnd", "bit"},
        {"PO_Podetails", "iArrQTY", "decimal(20,6)"},   {"PO_Podetails", "iReceivedQTY", "decimal(20,6)"},
        {"DispatchLists", "fOutNum", "decimal(20,6)"},  {"pp_pomain", "fInQuantity", "decimal(20,6)"},
        {"pp_pohead", "bPlan", "bit"},                  {"pp_pomain", "bThrow", "bit"},
        {"DispatchList", "dDate", "datetime"},
    };
    for (const auto& [table, column, type] : kTypes) EXPECT_EQ(column_type(a, table, column), type) << table << "." << column;
    for (const char* table : {"CurrentStock", "RdRecords"})
        for (int i = 1; i <= 10; ++i)
            EXPECT_EQ(column_type(a, table, "cFree" + std::to_string(i)), "nvarchar(20)") << table << i;
    for (int i = 1; i <= 10; ++i) EXPECT_EQ(column_type(a, "Inventory", "bFree" + std::to_string(i)), "bit") << i;
    // Every text column folds case; a forgotten collation would make codes case-sensitive.
    std::string ddl(account_ddl());
    std::size_t texts = 0, folded = 0;
    for (std::size_t p = ddl.find("nvarchar("); p != std::string::npos; p = ddl.find("nvarchar(", p + 1)) {
        ++texts;
        std::size_t close = ddl.find(')', p);
        if (ddl.compare(close + 1, 15, " COLLATE NOCASE") == 0) ++folded;
    }
    EXPECT_GT(texts, 60u);
    EXPECT_EQ(folded, texts);
}

TEST(AccountSchema, SourceDocumentsHoldTheColumnsTheirListsAndFiltersName) {
    TestAccount a;
    // The columns the write-back and the production lists read; the other
    // source tables are read through the source queries and tested there.
    const std::pair<const char*, const char*> kColumns[] = {
        {"pp_pohead", "id bPlan iVouchType cPeriod cCode dDate iProperty cDepCode cVenCode cPersonCode cMaker "
                      "cVerifier dCheckDate cMemo bClosed"},
        {"pp_pomain", "mainid id cInvCode fQuantity fInQuantity dStartDate dEndDate cItemCode cItem_class cItemName "
                      "cItem_Name bThrow cFree1 cFree10 cDefine22 cDefine28 cDefine37"},
        {"pp_pochild", "subid mainid cInvCode fQuantity fOutQuantity cFree1 cFree10"},
        {"DispatchLists", "DLsID DLID cInvCode cWhCode iQuantity iNum fOutQuantity fOutNum"},
    };
    for (const auto& [table, columns] : kColumns) {
        std::istringstream names(columns);
        for (std::string c; names >> c;) EXPECT_NE(column_type(a, table, c), "") << table << "." << c;
    }

    // A new line has executed nothing, is open and keys its free items as ''.
    a.exec("insert into DispatchLists (DLID, cInvCode, iQuantity) values (1, 'A1', 5);"
           "insert into pp_pohead (cCode, dDate) values ('0000000001', '2024-01-02');"
           "insert into pp_pomain (id, cInvCode, fQuantity) values (1, 'A1', 3);"
           "insert into pp_pochild (mainid, cInvCode, fQuantity) values (1, 'B1', 6);"
           "insert into PO_Podetails (POID, cInvCode, iQuantity) values (1, 'A1', 2)");
    EXPECT_EQ(a.scalar("select DLsID || fOutQuantity || fOutNum || cBatch || cFree3 from DispatchLists"), "100");
    EXPECT_EQ(a.scalar("select id || bPlan || iVouchType || iProperty || bClosed from pp_pohead"), "10010");
    EXPECT_EQ(a.scalar("select mainid || fInQuantity || bThrow || cFree10 from pp_pomain"), "100");
    EXPECT_EQ(a.scalar("select subid || fOutQuantity from pp_pochild"), "10");
    EXPECT_EQ(a.scalar("select iArrQTY || iReceivedQTY || iArrNum || iReceivedNum from PO_Podetails"), "0000");
    // Lines are found through their heads' keys.
    const std::pair<const char*, const char*> kHeadKeys[] = {{"PO_Podetails", "POID"}, {"PU_ArrivalVouchs", "ID"},
                                                             {"DispatchLists", "DLID"}, {"pp_pomain", "id"},
                                                             {"pp_pochild", "mainid"}};
    for (const auto& [table, key] : kHeadKeys)
        EXPECT_EQ(a.scalar(std::string("select count(*) from pragma_index_list('") + table +
                           "') l join pragma_index_info(l.name) i where i.seqno = 0 and i.name = '" + key + "'"),
                  "1")
            << table;
}

TEST(AccountSchema, InventoryIdsAreAssignedWhenLeftOut) {
    TestAccount a;
    EXPECT_EQ(a.add_inventory("A1"), 1);
    EXPECT_EQ(a.add_inventory("A2"), 2);
    a.exec("insert into Inventory (cInvCode, cInvName, iId) values ('A9', 'x', 9)");
    EXPECT_EQ(a.add_inventory("A3"), 10);
    EXPECT_THROW(a.exec("insert into Inventory (cInvCode, cInvName, iId) values ('B1', 'x', 2)"), std::runtime_error);
}

TEST(AccountSchema, CreatingOverAnExistingFileIsRefusedAndLeavesItAlone) {
    TestAccount a;
    a.add_warehouse("01");
    EXPECT_THROW(create_account(a.path()), Error);
    EXPECT_EQ(a.scalar("select count(*) from Warehouse"), "1");
    const Error e = testing::raised([] { create_account("/nonexistent-dir/x/account.db"); });
    EXPECT_NE(e.description().find("/nonexistent-dir/x/account.db"), std::string::npos) << e.description();
}

TEST(AccountSchema, APathWithSeparatorsAndBlanksStaysOnePath) {
    const std::filesystem::path dir = std::filesystem::path(testing::temp_path("odd")).replace_extension() / "a;b c\"d";
    std::filesystem::create_directories(dir);
    const std::string path = (dir / "account.db").string();
    create_account(path);
    EXPECT_TRUE(std::filesystem::exists(path));
    EXPECT_EQ(testing::query_scalar(path, "select count(*) from sqlite_master where name = 'CurrentStock'"), "1");
    std::filesystem::remove_all(dir.parent_path());
}

TEST(TestAccountFixture, EachAccountIsItsOwnFileAndIsRemovedAfterwards) {
    std::string kept;
    {
        TestAccount a, b;
        EXPECT_NE(a.path(), b.path());
        a.add_warehouse("01");
        EXPECT_EQ(b.scalar("select count(*) from Warehouse"), "0");
        kept = a.path();
        const char* dir = std::getenv("KORVANE_TEST_TMP");
        if (dir && *dir) {
            EXPECT_EQ(std::filesystem::path(kept).parent_path(), std::filesystem::path(dir));
        }
        std::ofstream(kept + "-shm") << "x";
    }
    for (const char* ext : {"", "-wal", "-shm"}) EXPECT_FALSE(std::filesystem::exists(kept + ext)) << ext;
}

}  // namespace
}  // namespace korvane::schema
