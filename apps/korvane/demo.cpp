#include "apps/korvane/demo.h"

#include <cstdio>

#include "platform/ado/recordset.h"
#include "platform/vb/convert.h"
#include "component/module_state.h"
#include "component/track_set.h"

namespace korvane::app {

namespace {

using ado::Recordset;

std::string text(const Recordset& rs, const char* field) {
    return vb::text_or_empty(rs(Variant(field)));
}

// Pads to a display width, counting a CJK character as two columns.
std::string pad(const std::string& s, int width) {
    int w = 0;
    for (std::size_t i = 0; i < s.size();) {
        unsigned char c = static_cast<unsigned char>(s[i]);
        int len = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : 4;
        w += len >= 3 ? 2 : 1;
        i += len;
    }
    return s + std::string(w < width ? width - w : 1, ' ');
}

void stock_report(const ado::ConnectionPtr& con) {
    auto rs = Recordset::create();
    rs->put_CursorLocation(ado::adUseClient);
    rs->Open("select s.AutoID, s.cWhCode, w.cWhName, s.cInvCode, i.cInvName, i.cInvStd, s.cBatch, s.iQuantity, "
             "s.iNum, s.dVDate from CurrentStock s join Warehouse w on w.cWhCode = s.cWhCode "
             "join Inventory i on i.cInvCode = s.cInvCode",
             con);
    long all = rs->RecordCount();
    rs->put_Filter(Variant("cWhCode = '01' AND iQuantity >= 1000 AND cBatch LIKE 'B*' AND dVDate <> Null"));
    rs->put_Sort("dVDate, iQuantity DESC");
    std::printf("现存量报表: %s 中有失效日期、结存不少于 1000 的批次, 按失效日期、数量降序 (共 %ld 行, 选中 %ld 行)\n",
                "原料仓", all, rs->RecordCount());
    std::printf("%s%s%s%s%s%s\n", pad("存货编码", 16).c_str(), pad("存货名称", 18).c_str(), pad("规格", 10).c_str(),
                pad("批号", 16).c_str(), pad("结存数量", 12).c_str(), "失效日期");
    int shown = 0;
    for (rs->MoveFirst(); !rs->Eof() && shown < 10; rs->MoveNext(), ++shown) {
        const Variant& expiry = (*rs)(Variant("dVDate"));
        std::printf("%s%s%s%s%s%s\n", pad(text(*rs, "cInvCode"), 16).c_str(), pad(text(*rs, "cInvName"), 18).c_str(),
                    pad(text(*rs, "cInvStd"), 10).c_str(), pad(text(*rs, "cBatch"), 16).c_str(),
                    pad(vb::Format((*rs)(Variant("iQuantity")), "##0.00"), 12).c_str(),
                    expiry.is_null() ? "-" : vb::Format(expiry, "YYYY-MM-DD").c_str());
    }
    if (rs->RecordCount() > shown) std::printf("... 另有 %ld 行\n", rs->RecordCount() - shown);
}

// An issue of five from the first well-stocked row of the raw-material
// store, written back to that row through TrackSet.
void issue_and_write_back(const ado::ConnectionPtr& con) {
    auto row = Recordset::create();
    row->Open("select AutoID, cWhCode, cInvCode, cBatch, cFree1, cFree2, cFree3, cFree4, cFree5, cFree6, cFree7, "
              "cFree8, cFree9, cFree10, iQuantity, iNum from CurrentStock where cWhCode = '01' and iQuantity >= 10 "
              "order by AutoID",
              con);
    if (row->Eof()) return;
    std::string auto_id = text(*row, "AutoID");
    auto show = [&](const char* when) {
        auto now = Recordset::create();
        now->Open("select iQuantity, iNum from CurrentStock where AutoID = " + auto_id, con);
        std::printf("  %s: 现存量 AutoID %s  %s %s 批号 %s  结存数量 %s  件数 %s\n", when, auto_id.c_str(),
                    text(*row, "cWhCode").c_str(), text(*row, "cInvCode").c_str(), text(*row, "cBatch").c_str(),
                    vb::Format((*now)(Variant("iQuantity")), "##0.00").c_str(),
                    vb::Format((*now)(Variant("iNum")), "##0.00").c_str());
    };

    auto head = Recordset::create();
    head->Fields().Append("cWhCode", ado::adVarWChar, 10);
    head->Open();
    head->AddNew();
    head->Fields("cWhCode").put_Value((*row)(Variant("cWhCode")));
    head->Update();
    auto line = Recordset::create();
    for (const char* f : {"cInvCode", "cBatch"}) line->Fields().Append(f, ado::adVarWChar, 60);
    for (int i = 1; i <= 10; ++i) line->Fields().Append("cFree" + std::to_string(i), ado::adVarWChar, 20);
    for (const char* f : {"iQuantity", "iNum", "iSOutQuantity", "iSOutNum"})
        line->Fields().Append(f, ado::adDecimal, 0, ado::adFldIsNullable, 20, 6);
    line->Open();
    line->AddNew();
    for (int i = 0; i < line->Fields().Count(); ++i) {
        const std::string& name = line->Fields(Variant(i)).Name();
        if (row->Fields().find(name) >= 0) line->Fields(Variant(i)).put_Value((*row)(Variant(name)));
    }
    bool pieces = (*row)(Variant("iNum")).number() != 0;
    line->Fields("iQuantity").put_Value(5);
    line->Fields("iNum").put_Value(pieces ? 1 : 0);
    line->Fields("iSOutQuantity").put_Value(5);
    line->Fields("iSOutNum").put_Value(pieces ? 1 : 0);
    line->Update();

    std::printf("\n出库回写: 从现存量行出库 5\n");
    show("回写前");
    component::TrackSet track;
    std::string message;
    bool issued = false;  // bIO False: the amounts leave the row
    if (!track.WritCountofRD_CS("", head, line, con, false, message, issued)) {
        std::printf("  回写失败: %s\n", message.c_str());
        return;
    }
    show("回写后");
    std::printf("  执行的语句: %s\n", component::module().sql.c_str());
    // The same line cancelled: its amounts go back, so every run starts alike.
    track.WritCountofRD_CS("", head, line, con, false, message);
    show("冲回后");
}

}  // namespace

int run_demo(const std::string& db) {
    auto con = ado::Connection::create();
    con->Open("Provider=SQLite;Data Source=" + db);
    std::printf("demo account: %s\n\n", db.c_str());
    stock_report(con);
    issue_and_write_back(con);
    return 0;
}

}  // namespace korvane::app
