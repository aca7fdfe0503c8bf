// The demo's checked save: a two-line issue voucher whose second line asks
// for more than its stock row holds is refused as a whole, then a line that
// fits is written, each line by one conditional statement.
#include "apps/korvane/explain.h"

#include <cstdio>

#include "component/module_state.h"
#include "component/track_set.h"
#include "host/inventory.h"
#include "platform/ado/recordset.h"
#include "platform/vb/convert.h"

namespace korvane::app {

namespace {

using ado::Recordset;

// The issue voucher as a host hands it over: the head's warehouse and one
// body line per amount, all from the stock row `row`.
struct IssueVoucher {
    ado::RecordsetPtr head = Recordset::create(), body = Recordset::create();
    IssueVoucher(const Recordset& row, std::initializer_list<double> amounts) {
        head->Fields().Append("cWhCode", ado::adVarWChar, 10);
        head->Open();
        head->AddNew();
        head->Fields("cWhCode").put_Value(row(Variant("cWhCode")));
        head->Update();
        for (const char* f : {"cInvCode", "cBatch"}) body->Fields().Append(f, ado::adVarWChar, 60);
        for (int i = 1; i <= 10; ++i) body->Fields().Append("cFree" + std::to_string(i), ado::adVarWChar, 20);
        for (const char* f : {"iQuantity", "iNum", "iSOutQuantity", "iSOutNum"})
            body->Fields().Append(f, ado::adDecimal, 0, ado::adFldIsNullable, 20, 6);
        body->Open();
        for (double q : amounts) {
            body->AddNew();
            body->Fields("cInvCode").put_Value(row(Variant("cInvCode")));
            body->Fields("cBatch").put_Value(row(Variant("cBatch")));
            for (const char* f : {"iQuantity", "iSOutQuantity"}) body->Fields(f).put_Value(q);
            for (const char* f : {"iNum", "iSOutNum"}) body->Fields(f).put_Value(0);
            body->Update();
        }
    }
};

}  // namespace

void demo_checked_write(const ado::ConnectionPtr& con) {
    auto row = Recordset::create();
    row->Open("select AutoID, cWhCode, cInvCode, cBatch, iQuantity from CurrentStock where cWhCode = '01' and "
              "iQuantity >= 10 and cBatch <> '' order by AutoID",
              con);
    if (row->Eof()) return;
    const std::string id = vb::text_or_empty((*row)(Variant("AutoID")));
    auto balance = [&] {
        auto now = Recordset::create();
        now->Open("select iQuantity from CurrentStock where AutoID = " + id, con);
        return vb::Format((*now)(Variant("iQuantity")), "##0.00");
    };
    const double held = vb::CDbl((*row)(Variant("iQuantity")));
    std::printf("\n检查后回写 (一条条件语句完成检查和回写): 现存量 AutoID %s 批号 %s 结存 %s\n", id.c_str(),
                vb::text_or_empty((*row)(Variant("cBatch"))).c_str(), balance().c_str());
    component::TrackSet track;
    auto inventory = host::load_inventory(con, vb::text_or_empty((*row)(Variant("cInvCode"))));
    IssueVoucher over(*row, {5, held});
    writeback::CheckedWrite w = track.CheckedWritCount({}, over.head, over.body, con, inventory, false);
    std::printf("  两行 (5 和 %s): 第 %ld 行被拒绝: %s 结存仍为 %s\n", vb::Format(Variant(held), "##0.00").c_str(),
                w.refused_line, w.ErrMsg.c_str(), balance().c_str());
    IssueVoucher fits(*row, {5});
    w = track.CheckedWritCount({}, fits.head, fits.body, con, inventory, false);
    std::printf("  一行 (5): %s, 改动 %ld 行, 结存 %s\n", w.accepted() ? "已回写" : w.ErrMsg.c_str(), w.rows,
                balance().c_str());
    std::printf("  执行的语句: %s\n", component::module().sql.c_str());
    // given back, so every run starts alike
    std::string message;
    fits.body->MoveFirst();
    if (w.accepted()) track.WritCountofRD_CS("", fits.head, fits.body, con, false, message);
}

}  // namespace korvane::app
