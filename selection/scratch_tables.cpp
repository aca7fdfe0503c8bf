#include "selection/scratch_tables.h"

#include <cstring>

#include "platform/ado/recordset.h"
#include "platform/ado/statement_values.h"
#include "platform/system/system.h"
#include "platform/vb/convert.h"
#include "platform/vb/error.h"
#include "selection/texts.h"

namespace korvane::selection {

std::string replace_all(std::string text, const std::string& from, const std::string& to) {
    if (from.empty()) return text;
    std::string out;
    out.reserve(text.size());
    std::size_t start = 0;
    for (std::size_t at; (at = text.find(from, start)) != std::string::npos; start = at + from.size()) {
        out.append(text, start, at - start);
        out += to;
    }
    out.append(text, start, std::string::npos);
    return out;
}

std::string GetComputerNameText() {
    char buffer[256] = {};
    std::string name = system::computer_name();
    std::memcpy(buffer, name.data(), std::min<std::size_t>(name.size(), 255));
    return std::string(buffer, ::strnlen(buffer, 255));
}

std::string GetTerminalSessionId(const system::ObjectFactories& factories) {
    try {
        auto terminal = std::dynamic_pointer_cast<system::TerminalSession>(factories.CreateObject("Pobrex.Terminal"));
        if (!terminal) return {};
        const Variant id = terminal->GetSessionID();
        return vb::CStr(id);
    } catch (...) {
        return {};  // no component, no session id: the prefix then ends in "_"
    }
}

std::string ScratchTableName(const std::string& computer_name, const std::string& session_id) {
    return replace_all(computer_name, "-", "_") + "_" + session_id;
}

std::string ScratchTableName(const system::ObjectFactories& factories) {
    return ScratchTableName(GetComputerNameText(), GetTerminalSessionId(factories));
}

std::string ScratchTables::table(ScratchKind kind) const {
    return prefix + (kind == ScratchKind::CurrentStock ? texts::kCurrentSuffix : texts::kReceiptSuffix);
}

void ScratchTables::create(ado::Connection& con, ScratchKind kind) {
    bool stock = kind == ScratchKind::CurrentStock;
    sql = texts::kIfExists + prefix + (stock ? texts::kCurrentExistsTail : texts::kReceiptExistsTail) + prefix +
          (stock ? texts::kCurrentSuffix : texts::kReceiptSuffix) + " ";
    sql += texts::kCreate + prefix + (stock ? texts::kCurrentColumns : texts::kReceiptColumns);
    sql += texts::kInsert + prefix + (stock ? texts::kCurrentFill : texts::kReceiptFill);
    con.Execute(sql);
    // Each line of a run joins and updates the table by AutoID; without an
    // index every line would read the whole table. Kept out of the module's
    // SQL text, which holds the statements as the host wrote them.
    const std::string name = table(kind);
    con.Execute("create index " + name + "_AutoID on " + name + " (AutoID)");
}

void ScratchTables::drop(ado::Connection& con, ScratchKind kind) {
    sql = texts::kDrop + table(kind) + " ";
    con.Execute(sql);
}

void ScratchTables::add(ado::Connection& con, ScratchKind kind, double quantity, double pieces, long auto_id) {
    bool stock = kind == ScratchKind::CurrentStock;
    sql = texts::kUpdate + prefix + (stock ? texts::kCurrentAddQ : texts::kReceiptAddQ) + vb::CStr(Variant(quantity)) +
          (stock ? texts::kCurrentAddN : texts::kReceiptAddN) + vb::CStr(Variant(pieces)) + texts::kWhereAutoID +
          vb::CStr(Variant(static_cast<long long>(auto_id)));
    con.Execute(sql);
}

long GetAutoID(const ado::ConnectionPtr& con, std::string& sql, const std::string& sWhcode, const std::string& sInvCode,
               const std::string (&sFree)[10], const std::string& sBatch) {
    sql = texts::kAutoIDQuery + ado::quoted_text(sWhcode);
    auto key = [&sql](const char* column, const std::string& value) {
        sql += texts::kAndQuote;
        sql += column;
        sql += ado::quoted_text(value);
    };
    key(" cInvCode='", sInvCode);
    key(" cBatch='", sBatch);
    for (int i = 0; i < 10; ++i) key((" cFree" + std::to_string(i + 1) + "='").c_str(), sFree[i]);
    sql += "'";

    auto rs = ado::Recordset::create();
    rs->Open(sql, con);
    if (rs->Eof()) return 0;
    return vb::CLng(rs->Fields(Variant("AutoID")).Value());
}

std::string GetAllBSQL(std::string& STRSQL, const std::string& prefix) {
    STRSQL = replace_all(STRSQL, texts::kWhereWord,
                         texts::kStockJoinHead + prefix + texts::kStockJoinOn + prefix + texts::kStockJoinTail);
    STRSQL = replace_all(STRSQL, texts::kQuantity, texts::kQuantityLeft);
    return replace_all(STRSQL, texts::kNum, texts::kNumLeft);
}

std::string GetAllRDSSQL(std::string& STRSQL, const std::string& prefix) {
    STRSQL = replace_all(STRSQL, texts::kWhereWord,
                         texts::kReceiptJoinHead + prefix + texts::kReceiptJoinOn + prefix + texts::kReceiptJoinTail);
    STRSQL = replace_all(STRSQL, texts::kLineQuantity, texts::kLineQuantityLeft);
    return replace_all(STRSQL, texts::kLineNum, texts::kLineNumLeft);
}

}  // namespace korvane::selection
