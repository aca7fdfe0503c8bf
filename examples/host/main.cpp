// A host that embeds KORVANE: it opens an account, lets RefSelect allocate
// stock to one issue line, writes the first chosen row back to current stock
// through TrackSet and cancels that again, so the account is left as it was.
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <string>

#include "component/ref_select.h"
#include "component/track_set.h"
#include "host/stock_queries.h"
#include "platform/ado/recordset.h"
#include "platform/vb/convert.h"
#include "platform/vb/error.h"
#include "schema/demo_generator.h"
#include "session/login.h"
#include "session/permission_service.h"

using namespace korvane;

namespace {

std::string text(const ado::Recordset& rs, const char* field) { return vb::CStr(rs(Variant(field))); }
std::string amount(double v) { return vb::Format(Variant(v), "0.00"); }

double stock_of(const ado::ConnectionPtr& con, const std::string& auto_id) {
    auto rs = ado::Recordset::create();
    rs->Open("select iQuantity from CurrentStock where AutoID = " + auto_id, con);
    return vb::CDbl((*rs)(Variant("iQuantity")));
}

int fail(const char* what, const std::string& why) {
    std::fprintf(stderr, "%s: %s\n", what, why.c_str());
    return 1;
}

int run(const std::string& db) {
    if (!std::filesystem::exists(db)) {
        schema::DemoOptions demo;
        demo.path = db;
        schema::generate_demo(demo);
    }
    const std::string connection = "Provider=SQLite;Data Source=" + db;
    auto login = session::AccountLogin::create(connection, "demo");
    auto permission = session::PermissionService::create();
    permission->InitFromSession(login);
    auto con = ado::Connection::create();
    con->Open(connection);

    // The issue line: half the stock of the first batch-managed inventory.
    auto stock = ado::Recordset::create();
    stock->Open("select s.cWhCode, s.cInvCode, i.iChangRate, sum(s.iQuantity) as q from CurrentStock s "
                "join Inventory i on i.cInvCode = s.cInvCode where s.cBatch <> '' and s.iQuantity > 0 "
                "group by s.cWhCode, s.cInvCode, i.iChangRate order by s.cInvCode, s.cWhCode",
                con);
    if (stock->Eof()) return fail(db.c_str(), "no batch stock");
    std::string wh = text(*stock, "cWhCode"), inv = text(*stock, "cInvCode");
    double quantity = std::floor(vb::CDbl((*stock)(Variant("q"))) / 2);
    double rate = vb::CDbl((*stock)(Variant("iChangRate")));
    std::printf("批次分配: 仓库 %s 存货 %s, 出库 %s\n", wh.c_str(), inv.c_str(), amount(quantity).c_str());

    std::string sql;
    host::account_batch_query_builder(permission)->GetBatchSql(sql, wh, inv, {}, "");
    component::RefSelect select;
    std::string err = " ";  // non-empty: a shortfall comes back as text, not a message box
    select.AutoRefer(login, wh, inv, nullptr, quantity, 0.0, rate, 0 /* batches */, sql, false /* red */,
                     true /* several rows */, std::string(), err);
    auto chosen = select.ReturnData();
    if (!chosen || chosen->Eof()) return fail("AutoRefer", err);
    for (chosen->MoveFirst(); !chosen->Eof(); chosen->MoveNext())
        std::printf("  批号 %s  出库数量 %s\n", text(*chosen, "批号").c_str(),
                    amount(vb::CDbl((*chosen)(Variant("出库数量")))).c_str());

    // The first chosen row as a voucher line holds it: its key and the amounts issued.
    chosen->MoveFirst();
    std::string auto_id = text(*chosen, "现存量编号");
    auto line = ado::Recordset::create();
    line->Open("select cWhCode, cInvCode, cBatch, cFree1, cFree2, cFree3, cFree4, cFree5, cFree6, cFree7, "
               "cFree8, cFree9, cFree10, " + text(*chosen, "出库数量") + " as iSOutQuantity, 0 as iSOutNum "
               "from CurrentStock where AutoID = " + auto_id,
               con);
    double before = stock_of(con, auto_id);
    component::TrackSet track;
    std::string message;
    bool issued = false;  // bIO False: the amounts leave the stock row
    if (!track.WritCountofRD_CS("", line, line, con, false, message, issued)) return fail("TrackSet", message);
    double after = stock_of(con, auto_id);
    // The same line with bIO True (the default) cancels the issue.
    if (!track.WritCountofRD_CS("", line, line, con, false, message)) return fail("TrackSet", message);
    double restored = stock_of(con, auto_id);
    std::printf("出库回写: 现存量 %s  回写前 %s  回写后 %s  冲回后 %s\n", auto_id.c_str(), amount(before).c_str(),
                amount(after).c_str(), amount(restored).c_str());
    return after < before && restored == before ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s ACCOUNT.db   (a demo account is created when the file is missing)\n", argv[0]);
        return 2;
    }
    try {
        return run(argv[1]);
    } catch (const Error& e) {
        return fail(argv[1], e.description());
    }
}
