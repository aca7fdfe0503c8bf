#include <gtest/gtest.h>

#include <filesystem>

#include "platform/vb/error.h"
#include "schema/account_schema.h"
#include "schema/demo_generator.h"
#include "tests/support/account.h"

namespace korvane::schema {
namespace {

using testing::TestAccount;

struct DemoFile {
    std::string path = testing::temp_path("demo");
    DemoFile(long rows, unsigned seed) {
        DemoOptions o;
        o.path = path;
        o.rows = rows;
        o.seed = seed;
        generate_demo(o);
    }
    ~DemoFile() {
        for (const char* ext : {"", "-wal", "-shm"}) std::filesystem::remove(path + ext);
    }
};

std::string scalar_on(const std::string& path, const std::string& sql) { return testing::query_scalar(path, sql); }

TEST(AccountSchema, CreatesEveryTableWithTextComparedWithoutCase) {
    TestAccount a;
    for (const char* table : {"Warehouse", "Inventory", "InventoryClass", "CurrentStock", "RdRecord", "RdRecords",
                              "Customer", "Department", "Person", "Vendor", "ComputationUnit", "Operator",
                              "OperatorRight", "RowAuthority", "AccountOption"})
        EXPECT_EQ(a.scalar(std::string("select count(*) from sqlite_master where type='table' and name='") + table + "'"),
                  "1")
            << table;
    a.exec("insert into Warehouse (cWhCode, cWhName) values ('wh-a', '原料仓')");
    EXPECT_EQ(a.scalar("select cWhName from Warehouse where cWhCode = 'WH-A'"), "原料仓");
    a.exec("insert into CurrentStock (cWhCode, cInvCode) values ('01', 'X')");
    EXPECT_EQ(a.scalar("select count(*) from CurrentStock where cBatch = '' and cFree10 = ''"), "1");
    EXPECT_THROW(create_account(a.path()), Error);  // never over an existing account
}

TEST(DemoGenerator, SameSeedSameAccountOtherSeedOther) {
    DemoFile a(300, 5), b(300, 5), c(300, 6);
    auto sig = [](const std::string& p) {
        return scalar_on(p,
                         "select group_concat(cWhCode || cInvCode || cBatch || cFree1 || iQuantity || "
                         "ifnull(dVDate,''), '|') from (select * from CurrentStock order by AutoID)") +
               scalar_on(p, "select group_concat(cInvName || cInvStd, '|') from Inventory") +
               scalar_on(p, "select group_concat(cCusName, '|') from Customer");
    };
    EXPECT_EQ(sig(a.path), sig(b.path));
    EXPECT_NE(sig(a.path), sig(c.path));
}

TEST(DemoGenerator, RowCountsKeysAndReferencesHold) {
    DemoFile d(5000, 1);
    EXPECT_EQ(scalar_on(d.path, "select count(*) from CurrentStock"), "5000");
    EXPECT_EQ(scalar_on(d.path, "select count(*) from RdRecords"), "2500");
    EXPECT_EQ(scalar_on(d.path, "select count(*) from (select 1 from CurrentStock group by cWhCode, cInvCode, cBatch, "
                                "cFree1, cFree2, cFree3, cFree4, cFree5, cFree6, cFree7, cFree8, cFree9, cFree10 "
                                "having count(*) > 1)"),
              "0");
    EXPECT_EQ(scalar_on(d.path, "select count(*) from CurrentStock s left join Inventory i on i.cInvCode = s.cInvCode "
                                "left join Warehouse w on w.cWhCode = s.cWhCode where i.cInvCode is null or w.cWhCode is null"),
              "0");
    EXPECT_EQ(scalar_on(d.path, "select count(*) from RdRecords l left join RdRecord h on h.ID = l.ID where h.ID is null"),
              "0");
    EXPECT_EQ(scalar_on(d.path, "select count(*) from Inventory i join InventoryClass c on c.cInvCCode = i.cInvCCode "
                                "where c.bInvCEnd = 1"),
              scalar_on(d.path, "select count(*) from Inventory"));
    EXPECT_NE(scalar_on(d.path, "select count(*) from RdRecords where iQuantity < 0"), "0");  // red lines exist
    EXPECT_EQ(scalar_on(d.path, "select count(*) from RdRecords where iSOutQuantity > iQuantity and iQuantity > 0"), "0");
    EXPECT_EQ(scalar_on(d.path, "select count(*) from OperatorRight where cUserId = 'demo' and cFuncCode = 'ST0118'"),
              "1");
    EXPECT_EQ(scalar_on(d.path, "select count(*) from CurrentStock s join Inventory i on i.cInvCode = s.cInvCode "
                                "where i.bInvQuality = 1 and s.dVDate is null"),
              "0");
}

TEST(DemoGenerator, TinyAccountsWorkAndNegativeSizesAreRefused) {
    DemoFile empty(0, 1), one(1, 1);
    EXPECT_EQ(scalar_on(empty.path, "select count(*) from CurrentStock"), "0");
    EXPECT_EQ(scalar_on(one.path, "select count(*) from CurrentStock"), "1");
    DemoOptions bad;
    bad.path = testing::temp_path("bad");
    bad.rows = -1;
    EXPECT_THROW(generate_demo(bad), Error);
    EXPECT_FALSE(std::filesystem::exists(bad.path));
}

}  // namespace
}  // namespace korvane::schema
