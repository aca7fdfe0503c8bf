#include "writeback/track_set.h"

#include "platform/ado/statement_values.h"
#include "platform/vb/convert.h"
#include "platform/vb/error.h"
#include "writeback/texts.h"

namespace korvane::writeback {

namespace {

const ado::Recordset& require(const ado::RecordsetPtr& rs) {
    if (!rs) err::raise(err::kObjectNotSet);
    return *rs;
}

// A key field as the statement takes it: its text, Null as nothing; a text
// that cannot stand inside its quotes is refused.
std::string text_of(const ado::Recordset& rs, const char* field) {
    const Variant& v = rs.Fields(Variant(field)).Value();
    if (v.is_null() || v.is_empty()) return {};
    return ado::quoted_text(vb::CStr(v));
}

// An amount as the statement takes it: Null counts as 0, the text must be a
// number within what the columns' arithmetic holds.
std::string amount_of(const ado::Recordset& rs, const char* field) {
    const Variant& v = rs.Fields(Variant(field)).Value();
    if (v.is_null() || v.is_empty()) return "0";
    std::string text = ado::numeric_text(vb::CStr(v));
    ado::checked_amount(vb::CDbl(v));
    return text;
}

// A negative amount after a minus sign would read "--", which starts an SQL
// comment and would cut the WHERE clause off; bracket it instead.
std::string amount_after(const char* sign, std::string amount) {
    if (sign[0] == '-' && !amount.empty() && amount[0] == '-') return "(" + amount + ")";
    return amount;
}

bool greater(const Variant& a, const Variant& b) {
    if (a.is_null() || a.is_empty() || b.is_null() || b.is_empty()) return false;
    return vb::CDbl(a) > vb::CDbl(b);
}

}  // namespace

void BuildWritCount(std::string& sql, const std::string& sRdsID, const ado::RecordsetPtr& rsHead,
                    const ado::RecordsetPtr& rsBody, bool bRDorCS, bool bIO, WrittenAmounts* written) {
    const ado::Recordset& body = require(rsBody);
    const char* sign = bIO ? "+" : "-";
    std::string q = amount_of(body, "iSOutQuantity");
    std::string n = amount_of(body, "iSOutNum");
    if (written) *written = {q, n};
    q = amount_after(sign, q);
    n = amount_after(sign, n);
    if (bRDorCS) {
        ado::numeric_text(sRdsID);
        sql = texts::kReceiptHead;
        sql += texts::kKeepVouchCode;
        sql += texts::kSetOutQuantity;
        sql += sign + q;
        sql += texts::kSetOutNum;
        sql += sign + n;
        sql += texts::kWhereAutoID;
        sql += sRdsID;
    } else {
        const ado::Recordset& head = require(rsHead);
        std::string free[11];
        for (int i = 1; i <= 10; ++i) free[i] = text_of(body, ("cFree" + std::to_string(i)).c_str());
        std::string inv = text_of(body, "cInvCode");
        std::string batch = text_of(body, "cBatch");
        std::string wh = text_of(head, "cWhCode");

        std::string where;
        auto add = [&where](const std::string& column, const std::string& value) {
            if (value.empty()) return;
            if (!where.empty()) where += texts::kAnd;
            where += column + " = '" + value + "'";
        };
        add("cWhCode", wh);
        add("cInvCode", inv);
        add("cBatch", batch);
        for (int i = 1; i <= 10; ++i) add("cFree" + std::to_string(i), free[i]);

        sql = texts::kStockHead;
        sql += sign + q;
        sql += texts::kSetNum;
        sql += sign + n;
        sql += texts::kWhere;
        sql += where;
    }
}

bool WritCountofRD_CS(std::string& sql, const std::string& sRdsID, const ado::RecordsetPtr& rsHead,
                      const ado::RecordsetPtr& rsBody, const ado::ConnectionPtr& oCon, bool bRDorCS, bool bIO) {
    BuildWritCount(sql, sRdsID, rsHead, rsBody, bRDorCS, bIO);
    if (!oCon) err::raise(err::kObjectNotSet);
    oCon->Execute(sql);
    return true;
}

bool AllowWritCount(std::string& sql, const std::string& sRdsID, const ado::RecordsetPtr& rsHead,
                    const ado::RecordsetPtr& rsBody, const ado::ConnectionPtr& oCon, const ObjectPtr& oInventory,
                    std::string& ErrMsg, bool bRDorCS) {
    const ado::Recordset& body = require(rsBody);
    sql = texts::kReceiptLineQuery + ado::numeric_text(sRdsID);
    auto line = ado::Recordset::create();
    line->put_CursorLocation(ado::adUseClient);
    line->Open(sql, oCon, ado::adOpenStatic, ado::adLockReadOnly);
    if (line->Eof()) return true;

    auto skip_pieces = [&oInventory]() {
        auto inv = std::dynamic_pointer_cast<host::Inventory>(oInventory);
        if (!inv) err::raise(oInventory ? err::kNoSuchMember : err::kObjectNotSet);
        return inv->SkipPieceCheck();
    };
    const Variant& issued_q = (*line)(Variant("iSOutQuantity"));
    const Variant& issued_n = (*line)(Variant("iSOutNum"));
    const char* quantity_field = bRDorCS ? "iSOutQuantity" : "iQuantity";
    const char* pieces_field = bRDorCS ? "iSOutNum" : "iNum";
    const char* message = bRDorCS ? texts::kOverReceipt : texts::kOverStock;
    if (greater(body(Variant(quantity_field)), issued_q)) ErrMsg = message;
    if (!skip_pieces() && greater(body(Variant(pieces_field)), issued_n)) ErrMsg = message;
    return true;
}

}  // namespace korvane::writeback
