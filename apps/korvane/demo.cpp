#include "apps/korvane/demo.h"

#include <cstdio>

#include "platform/ado/recordset.h"
#include "platform/vb/convert.h"

namespace korvane::app {

namespace {

using ado::Recordset;

std::string text(const Recordset& rs, const char* field) {
    const Variant& v = rs(Variant(field));
    return v.is_null() ? std::string() : vb::CStr(v);
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

}  // namespace

int run_demo(const std::string& db) {
    auto con = ado::Connection::create();
    con->Open("Provider=SQLite;Data Source=" + db);
    std::printf("demo account: %s\n\n", db.c_str());
    stock_report(con);
    return 0;
}

}  // namespace korvane::app
