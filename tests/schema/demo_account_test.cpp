#include <gtest/gtest.h>
#include <sqlite3.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/vb/error.h"
#include "schema/demo_generator.h"
#include "session/options.h"
#include "tests/support/account.h"

namespace korvane::schema {
namespace {

struct DemoFile {
    std::string path = testing::temp_path("demo");
    std::vector<std::string> progress;
    DemoFile(long rows, unsigned seed) {
        DemoOptions o;
        o.path = path;
        o.rows = rows;
        o.seed = seed;
        o.progress = [this](std::string_view line) { progress.emplace_back(line); };
        generate_demo(o);
    }
    ~DemoFile() {
        for (const char* ext : {"", "-wal", "-shm"}) std::filesystem::remove(path + ext);
    }
    std::string scalar(const std::string& sql) const { return testing::query_scalar(path, sql); }
    long count(const std::string& sql) const { return std::stol(scalar("select count(*) from " + sql)); }
};

// FNV-1a over every row of every table, in table-name and rowid order.
std::uint64_t content_hash(const std::string& path) {
    sqlite3* db = nullptr;
    sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
    std::uint64_t h = 1469598103934665603ull;
    auto feed = [&h](const void* p, std::size_t n) {
        for (std::size_t i = 0; i < n; ++i) h = (h ^ static_cast<const unsigned char*>(p)[i]) * 1099511628211ull;
    };
    std::vector<std::string> tables;
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db, "select name from sqlite_master where type = 'table' order by name", -1, &st, nullptr);
    while (sqlite3_step(st) == SQLITE_ROW) tables.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)));
    sqlite3_finalize(st);
    for (const auto& t : tables) {
        feed(t.data(), t.size());
        sqlite3_prepare_v2(db, ("select * from " + t + " order by rowid").c_str(), -1, &st, nullptr);
        while (sqlite3_step(st) == SQLITE_ROW)
            for (int c = 0; c < sqlite3_column_count(st); ++c) {
                const unsigned char* v = sqlite3_column_text(st, c);
                if (v) feed(v, static_cast<std::size_t>(sqlite3_column_bytes(st, c)));
                feed("\x1f", 1);
            }
        sqlite3_finalize(st);
    }
    sqlite3_close(db);
    return h;
}

// Each query names rows that must not exist.
void expect_none(const DemoFile& d, std::initializer_list<std::string> rows) {
    for (const std::string& r : rows) EXPECT_EQ(d.count(r), 0) << r;
}

TEST(DemoGenerator, TheSameSeedGivesTheSameAccountAnotherSeedAnother) {
    DemoFile a(800, 5), b(800, 5), c(800, 6);
    EXPECT_EQ(content_hash(a.path), content_hash(b.path));
    EXPECT_NE(content_hash(a.path), content_hash(c.path));
    EXPECT_EQ(a.count("CurrentStock"), c.count("CurrentStock"));
}

TEST(DemoGenerator, HoldsAsManyStockRowsAsAskedAndReceiptsInProportion) {
    DemoFile d(5000, 1);
    EXPECT_EQ(d.count("CurrentStock"), 5000);
    EXPECT_EQ(d.count("RdRecords"), 2500);
    EXPECT_EQ(d.count("RdRecord"), 250);
    EXPECT_EQ(d.scalar("select min(AutoID) || '-' || max(AutoID) from CurrentStock"), "1-5000");
    for (auto [rows, least] : {std::pair{"Warehouse", 5}, {"Customer", 10}, {"Vendor", 10}, {"Person", 10},
                               {"Department where bDepEnd = 1", 3}})
        EXPECT_GE(d.count(rows), least) << rows;
}

TEST(DemoGenerator, ValuesAreStoredInTheirColumnsKinds) {
    DemoFile d(400, 1);
    // Decimal columns keep whole amounts as integers, as SQLite's numeric affinity does.
    expect_none(d, {"CurrentStock where typeof(AutoID) <> 'integer' or typeof(iQuantity) not in ('integer', 'real') or "
                    "typeof(cBatch) <> 'text' or typeof(cFree1) <> 'text'",
                    "CurrentStock where dVDate is not null and (typeof(dVDate) <> 'text' or typeof(iMassDate) <> "
                    "'integer')",
                    "Inventory where typeof(bInvBatch) <> 'integer' or typeof(cInvName) <> 'text' or "
                    "(iChangRate is not null and typeof(iChangRate) not in ('integer', 'real'))"});
    EXPECT_GT(d.count("Inventory where iChangRate is null"), 0) << "a value left unset on a row is Null";
}

TEST(DemoGenerator, StockKeysAreUniqueAndEveryReferenceResolves) {
    DemoFile d(5000, 2);
    expect_none(d, {"(select 1 from CurrentStock group by cWhCode, cInvCode, cBatch, cFree1, cFree2, cFree3, cFree4, "
                    "cFree5, cFree6, cFree7, cFree8, cFree9, cFree10 having count(*) > 1)",
                    "CurrentStock s left join Inventory i on i.cInvCode = s.cInvCode left join Warehouse w on "
                    "w.cWhCode = s.cWhCode where i.cInvCode is null or w.cWhCode is null",
                    "RdRecords l left join RdRecord h on h.ID = l.ID left join Inventory i on i.cInvCode = "
                    "l.cInvCode where h.ID is null or i.cInvCode is null",
                    "RdRecord h left join Warehouse w on w.cWhCode = h.cWhCode left join Vendor v on v.cVenCode = "
                    "h.cVenCode left join Person p on p.cPersonCode = h.cPersonCode where w.cWhCode is null or "
                    "v.cVenCode is null or p.cPersonCode is null",
                    "(select cCode from RdRecord group by cCode having count(*) > 1)",
                    "Person p left join Department d on d.cDepCode = p.cDepCode where d.cDepCode is null",
                    "Inventory where iId is null",
                    "(select iId from Inventory group by iId having count(*) > 1)",
                    "Inventory i left join ComputationUnit u on u.cComunitCode = i.cComUnitCode where "
                    "u.cComunitCode is null"});
}

TEST(DemoGenerator, ClassTreeFollowsTheTwoTwoThreeRule) {
    DemoFile d(100, 1);
    EXPECT_EQ(d.count("InventoryClass where length(cInvCCode) <> case iInvCGrade when 1 then 2 when 2 then 4 else 7 end"),
              0);
    // Every class below the top has its parent; inventories hang on leaves only.
    expect_none(d, {"InventoryClass c where iInvCGrade > 1 and not exists (select 1 from InventoryClass p where "
                    "p.cInvCCode = substr(c.cInvCCode, 1, case c.iInvCGrade when 2 then 2 else 4 end))",
                    "InventoryClass c where bInvCEnd = 1 and exists (select 1 from InventoryClass k where k.cInvCCode "
                    "like c.cInvCCode || '_%')"});
    EXPECT_EQ(d.count("Inventory i join InventoryClass c on c.cInvCCode = i.cInvCCode where c.bInvCEnd = 1"),
              d.count("Inventory"));
    EXPECT_EQ(d.count("Inventory where cInvCode not like cInvCCode || '%'"), 0);
}

TEST(DemoGenerator, StockRowsFollowTheirInventorysFlags) {
    DemoFile d(5000, 3);
    const std::string rows = "CurrentStock s join Inventory i on i.cInvCode = s.cInvCode where ";
    expect_none(d, {rows + "i.bInvBatch = 0 and s.cBatch <> ''",
                    rows + "i.bInvBatch = 1 and s.cBatch not glob 'B20[0-9][0-9][01][0-9][0-3][0-9]-[0-9][0-9]'"});
    EXPECT_GT(d.count(rows + "i.bInvBatch = 1"), 0);
    expect_none(d, {rows + "i.bInvQuality = 1 and (s.dVDate is null or s.dMdate is null or s.iMassDate is null)",
                    rows + "i.bInvQuality = 1 and date(s.dMdate, '+' || s.iMassDate || ' days') <> s.dVDate",
                    rows + "i.bInvQuality = 0 and s.dVDate is not null"});
    EXPECT_GT(d.count(rows + "i.bInvQuality = 1"), 0);
    for (int f = 1; f <= 10; ++f) {
        std::string n = std::to_string(f);
        EXPECT_EQ(d.count(rows + "i.bFree" + n + " = 0 and s.cFree" + n + " <> ''"), 0) << "free item " << n;
        EXPECT_EQ(d.count(rows + "i.bFree" + n + " = 1 and s.cFree" + n + " = ''"), 0) << "free item " << n;
    }
    EXPECT_GT(d.count(rows + "s.cFree1 <> ''"), 0);
    expect_none(d, {rows + "i.iGroupType = 0 and s.iNum <> 0",
                    rows + "i.iGroupType = 1 and abs(s.iNum * i.iChangRate - s.iQuantity) > i.iChangRate * 0.01"});
    EXPECT_GT(d.count(rows + "i.iGroupType <> 0 and s.iNum > 0"), 0);
    EXPECT_EQ(d.count("CurrentStock where iQuantity <= 0"), 0);
}

TEST(DemoGenerator, ReceiptLinesArePartlyIssuedAndSomeAreRed) {
    DemoFile d(5000, 4);
    EXPECT_GT(d.count("RdRecords where iQuantity < 0"), 0);
    EXPECT_LT(d.count("RdRecords where iQuantity < 0"), 250);
    EXPECT_GT(d.count("RdRecords where iSOutQuantity > 0 and iSOutQuantity < iQuantity"), 0);
    EXPECT_GT(d.count("RdRecords where iSOutQuantity = 0 and iQuantity > 0"), 0);
    expect_none(d, {"RdRecords where iQuantity > 0 and (iSOutQuantity > iQuantity or iSOutQuantity < 0)",
                    "RdRecords where iQuantity < 0 and iSOutQuantity <> 0",
                    "RdRecords l join Inventory i on i.cInvCode = l.cInvCode where i.bInvBatch = 0 and l.cBatch <> ''",
                    "RdRecords l join Inventory i on i.cInvCode = l.cInvCode where i.bInvQuality = 1 and "
                    "date(l.dMadeDate, '+' || l.iMassDate || ' days') <> l.dVDate",
                    "RdRecord where bRdFlag <> 1 or dDate > '" + std::string(kDemoLoginDate) + "'"});
}

TEST(DemoGenerator, DemoOperatorHoldsTheRightsAndOptionsAreTheSessionsOwn) {
    DemoFile d(50, 1);
    EXPECT_EQ(d.count(std::string("OperatorRight where cUserId = '") + kDemoOperator + "' and cFuncCode = 'ST0118'"),
              1);
    EXPECT_EQ(d.scalar(std::string("select bAllRows from Operator where cUserId = '") + kDemoOperator + "'"), "1");
    EXPECT_GT(d.count("RowAuthority where cUserId = 'clerk' and cBusObject = 'warehouse'"), 0);
    EXPECT_EQ(d.count("RowAuthority r left join Inventory i on cast(i.iId as text) = r.cCode where "
                      "r.cBusObject = 'inventory' and i.iId is null"),
              0);
    // Every stored option is a member the options objects know, under the demo keys.
    session::SystemOptions system;
    session::StockOptions stock;
    EXPECT_EQ(d.count(std::string("AccountOption where cKey1 is not '") + kDemoOptionsKey1 + "' or cKey2 is not '" +
                      kDemoOptionsKey2 + "'"),
              0);
    std::istringstream names(d.scalar("select group_concat(cName, ' ') from AccountOption"));
    int rows = 0;
    for (std::string name; names >> name; ++rows) EXPECT_TRUE(system.knows(name) || stock.knows(name)) << name;
    EXPECT_GE(rows, 5);
    for (const char* member : {"OverOrder", "OverDispOut", "CheckWareInv"})  // the stock options service needs them
        EXPECT_EQ(d.count(std::string("AccountOption where cName = '") + member + "'"), 1) << member;
    EXPECT_EQ(d.scalar("select cValue from AccountOption where cName = 'BatchOut'"), "近效期先出");
}

TEST(DemoGenerator, SourceDocumentsComeInProportionWithTheirLines) {
    DemoFile d(4000, 1);
    EXPECT_EQ(d.count("zpurpoheader"), 200);
    EXPECT_EQ(d.count("DispatchList"), 200);
    EXPECT_EQ(d.count("pp_pohead"), 100);
    EXPECT_GT(d.count("pu_ArrHead"), 20);
    auto lines_per_head = [&](const std::string& lines, const std::string& head) {
        return d.scalar("select min(c) || '-' || max(c) from (select count(*) c from " + lines + " group by " + head + ")");
    };
    EXPECT_EQ(lines_per_head("PO_Podetails", "POID"), "1-8");
    EXPECT_EQ(lines_per_head("DispatchLists", "DLID"), "1-6");
    EXPECT_EQ(lines_per_head("pp_pomain", "id"), "1-3");
    EXPECT_EQ(lines_per_head("pp_pochild", "mainid"), "2-5");
    expect_none(d, {"zpurpoheader h where not exists (select 1 from PO_Podetails l where l.POID = h.POID)",
                    "pu_ArrHead h where not exists (select 1 from PU_ArrivalVouchs l where l.ID = h.ID)"});
    EXPECT_EQ(d.count("CodeRule where cObject = 'InventoryClass' and cRule = '2,2,3'"), 1);
    for (const char* t : {"zpurpoheader where dPODate", "pu_ArrHead where dDate", "DispatchList where dDate",
                          "pp_pohead where dDate"})
        EXPECT_EQ(d.count(std::string(t) + " > '" + kDemoLoginDate + "'"), 0) << t;
}

TEST(DemoGenerator, EverySourceLineHasItsHeadAndEveryCodeResolves) {
    DemoFile d(4000, 2);
    expect_none(d, {"PO_Podetails l left join zpurpoheader h on h.POID = l.POID left join Inventory i on i.cInvCode = "
                    "l.cInvCode where h.POID is null or i.cInvCode is null",
                    "PU_ArrivalVouchs l left join pu_ArrHead h on h.ID = l.ID left join Inventory i on i.cInvCode = "
                    "l.cInvCode left join Warehouse w on w.cWhCode = l.cWhCode where h.ID is null or i.cInvCode is "
                    "null or (l.cWhCode is not null and w.cWhCode is null)"});
    // An arrival line follows an order line of the same inventory and of the order its head names.
    EXPECT_EQ(d.count("PU_ArrivalVouchs a join pu_ArrHead h on h.ID = a.ID left join PO_Podetails p on p.ID = a.iPOsID "
                      "left join zpurpoheader o on o.POID = p.POID where a.iPOsID is not null and (p.ID is null or "
                      "p.cInvCode <> a.cInvCode or o.cPOID <> h.cPOId)"),
              0);
    EXPECT_GT(d.count("PU_ArrivalVouchs where iPOsID is null"), 0);
    expect_none(d, {"DispatchLists l left join DispatchList h on h.DLID = l.DLID left join Inventory i on i.cInvCode = "
                    "l.cInvCode left join Warehouse w on w.cWhCode = l.cWhCode where h.DLID is null or i.cInvCode is "
                    "null or (l.cWhCode is not null and w.cWhCode is null)",
                    "DispatchList h left join VouchType t on t.cVouchType = h.cVouchType left join SaleType s on "
                    "s.cSTCode = h.cSTCode left join Customer c on c.cCusCode = h.cCusCode left join Department p on "
                    "p.cDepCode = h.cDepCode left join Person e on e.cPersonCode = h.cPersonCode where t.cVouchType "
                    "is null or s.cSTCode is null or c.cCusCode is null or p.cDepCode is null or e.cPersonCode is null"});
    // The purchase heads' names are those of their codes.
    for (const char* head : {"zpurpoheader", "pu_ArrHead"})
        EXPECT_EQ(d.count(std::string(head) +
                          " h left join Vendor v on v.cVenCode = h.cVenCode left join Department p on p.cDepCode = "
                          "h.cDepCode left join Person e on e.cPersonCode = h.cPersonCode left join PurchaseType t on "
                          "t.cPTCode = h.cPTCode where v.cVenAbbName is not h.cVenAbbName or p.cDepName is not "
                          "h.cDepName or e.cPersonName is not h.cPersonName or t.cPTCode is null"),
                  0)
            << head;
    expect_none(d, {"pp_pomain m left join pp_pohead h on h.id = m.id left join Inventory i on i.cInvCode = m.cInvCode "
                    "where h.id is null or i.cInvCode is null",
                    "pp_pochild c left join pp_pomain m on m.mainid = c.mainid left join Inventory i on i.cInvCode = "
                    "c.cInvCode where m.mainid is null or i.cInvCode is null",
                    "pp_pohead h left join Department p on p.cDepCode = h.cDepCode where p.bDepEnd is not 1",
                    "pp_pohead h left join Vendor v on v.cVenCode = h.cVenCode where (h.iProperty = 0) <> "
                    "(v.cVenCode is not null)"});
    // Invoices carry their number, dispatch lists none; every type is one the sales form offers.
    expect_none(d, {"DispatchList where (cVouchType in ('26', '27')) <> (cSBVCode is not null)",
                    "DispatchList h join VouchType t on t.cVouchType = h.cVouchType where t.cVouchName not in "
                    "('发货单', '委托代销发货单', '普通发票', '专用发票', '销售调拨单', '销售日报')"});
    for (const char* lines : {"PO_Podetails", "PU_ArrivalVouchs", "DispatchLists", "pp_pomain", "pp_pochild"})
        for (int f : {1, 3}) {
            std::string n = std::to_string(f);
            EXPECT_EQ(d.count(std::string(lines) + " l join Inventory i on i.cInvCode = l.cInvCode where (i.bFree" + n +
                              " = 1) <> (l.cFree" + n + " <> '')"),
                      0)
                << lines << " free item " << n;
        }
}

TEST(DemoGenerator, ExecutedAmountsStayWithinTheirLines) {
    DemoFile d(4000, 3);
    // Signed lines: what is executed lies between zero and the quantity.
    auto beyond = [](const std::string& q, const std::string& done) {
        return "((" + q + " >= 0 and (" + done + " < 0 or " + done + " > " + q + ")) or (" + q + " < 0 and (" + done +
               " > 0 or " + done + " < " + q + ")))";
    };
    expect_none(d, {"PO_Podetails where " + beyond("iQuantity", "iArrQTY") + " or " +
                    beyond("iQuantity", "iReceivedQTY") + " or " + beyond("iQuantity", "iArrQTY + iReceivedQTY"),
                    "PU_ArrivalVouchs where " + beyond("iQuantity", "fValidInQuan"),
                    "pp_pomain where " + beyond("fQuantity", "fInQuantity"),
                    "pp_pochild where " + beyond("fQuantity", "fOutQuantity")});
    // What waits on arrival vouchers and what they received is the order line's.
    EXPECT_EQ(d.count("PO_Podetails l where iArrQTY <> ifnull((select sum(a.iQuantity - a.fValidInQuan) from "
                      "PU_ArrivalVouchs a where a.iPOsID = l.ID), 0) or abs(iReceivedQTY) < abs(ifnull((select "
                      "sum(a.fValidInQuan) from PU_ArrivalVouchs a where a.iPOsID = l.ID), 0))"),
              0);
    // Dispatch lines may be issued beyond their quantity only within the inventory's excess.
    const std::string dl = "DispatchLists l join Inventory i on i.cInvCode = l.cInvCode where ";
    expect_none(d, {dl + "l.iQuantity > 0 and (l.fOutQuantity < 0 or l.fOutQuantity > l.iQuantity * (1 + "
                    "ifnull(i.fOutExcess, 0)))",
                    dl + "l.iQuantity < 0 and (l.fOutQuantity > 0 or l.fOutQuantity < l.iQuantity)"});
    EXPECT_GT(d.count(dl + "l.iQuantity > 0 and l.fOutQuantity > l.iQuantity"), 0);
    EXPECT_LT(d.count(dl + "l.iQuantity > 0 and l.fOutQuantity > l.iQuantity"), d.count("DispatchLists") / 20);
    EXPECT_EQ(d.count(dl + "i.iGroupType = 0 and (l.iNum is not null or l.fOutNum <> 0)"), 0);

    // Every list has untouched, partly and fully executed documents, and closed ones.
    auto open = [&](const std::string& lines, const std::string& key, const std::string& q, const std::string& left) {
        return d.count("(select " + key + " from " + lines + " group by " + key + " having sum(case when (" + q +
                       " > 0 and " + left + " > 0) or (" + q + " < 0 and " + left + " < 0) then 1 else 0 end) = 0)");
    };
    EXPECT_GT(open("PO_Podetails", "POID", "iQuantity", "iQuantity - iArrQTY - iReceivedQTY"), 0);
    EXPECT_GT(open("DispatchLists", "DLID", "iQuantity", "iQuantity - fOutQuantity"), 0);
    EXPECT_GT(open("pp_pomain", "id", "fQuantity", "fQuantity - fInQuantity"), 0);
    EXPECT_GT(d.count("PO_Podetails where iArrQTY = 0 and iReceivedQTY = 0"), 0);
    EXPECT_GT(d.count("PO_Podetails where iArrQTY > 0"), 0);
    EXPECT_GT(d.count("DispatchLists where fOutQuantity > 0 and fOutQuantity < iQuantity"), 0);
    for (const char* closed : {"zpurpoheader where cCloser is not null", "pu_ArrHead where cCloser is not null",
                               "DispatchList where cCloser is not null", "pp_pohead where bClosed = 1",
                               "pp_pomain where bThrow = 1", "pp_pohead where bPlan = 1",
                               "pp_pohead where iVouchType = 39", "DispatchLists where iQuantity < 0"})
        EXPECT_GT(d.count(closed), 0) << closed;
    EXPECT_EQ(d.count("pp_pohead where bPlan = 1 and iVouchType = 39"), 0);
}

TEST(DemoGenerator, TinyAccountsWork) {
    DemoFile empty(0, 1), one(1, 1);
    EXPECT_EQ(empty.count("CurrentStock"), 0);
    EXPECT_EQ(empty.count("RdRecords"), 0);
    EXPECT_EQ(empty.count("zpurpoheader") + empty.count("DispatchList") + empty.count("pp_pohead"), 0);
    EXPECT_GT(empty.count("Inventory"), 0);
    EXPECT_EQ(one.count("CurrentStock"), 1);
    EXPECT_EQ(one.count("CurrentStock s join Inventory i on i.cInvCode = s.cInvCode"), 1);
}

TEST(DemoGenerator, RefusesNegativeSizesAndExistingFiles) {
    DemoOptions bad;
    bad.path = testing::temp_path("bad");
    bad.rows = -1;
    EXPECT_THROW(generate_demo(bad), Error);
    EXPECT_FALSE(std::filesystem::exists(bad.path));

    DemoOptions existing;
    existing.path = testing::temp_path("existing");
    std::ofstream(existing.path) << "keep me";
    EXPECT_THROW(generate_demo(existing), Error);
    std::ifstream in(existing.path);
    std::string kept;
    std::getline(in, kept);
    EXPECT_EQ(kept, "keep me");
    std::filesystem::remove(existing.path);
}

}  // namespace
}  // namespace korvane::schema
