#include "session/stock_option_service.h"

#include "platform/ado/recordset.h"
#include "platform/vb/convert.h"
#include "platform/vb/error.h"
#include "session/texts.h"

namespace korvane::session {

bool AccountStockOptionService::InitFromSession(const LoginPtr& login, std::string& message) {
    options_.reset();
    if (!login) {
        message = texts::kNoSession;
        return false;
    }
    try {
        ado::ConnectionPtr con = source_ ? source_(login) : nullptr;
        if (!con) {
            con = ado::Connection::create();
            con->Open(login->ConnectionString());
        }
        auto rs = ado::Recordset::create();
        rs->Open("select cName, cValue from AccountOption where cKey1 = '" + login->OptionsKey1() +
                     "' and (cKey2 = '' or cKey2 = '" + login->OptionsKey2() + "') order by cKey2",
                 con, ado::adOpenStatic, ado::adLockReadOnly);
        if (rs->Eof()) {
            message = texts::kNoStockOptions;
            return false;
        }
        auto options = StockOptions::create();
        options->set_login(login);
        for (; !rs->Eof(); rs->MoveNext()) {
            std::string name(rs->Fields(Variant("cName")).Value().str());
            if (options->knows(name)) options->set(name, (*rs)(Variant("cValue")));
        }
        options_ = options;
        connection_ = con;
        return true;
    } catch (const Error& e) {
        message = e.description();
        return false;
    }
}

std::shared_ptr<StockOptions> AccountStockOptionService::GetOptions() {
    if (!options_) err::raise(err::kObjectNotSet);
    return options_;
}

std::vector<ColumnSetting> AccountStockOptionService::GetColumnSet(std::int32_t vouch_kind,
                                                                  const ado::RecordsetPtr& head,
                                                                  const ado::RecordsetPtr& line) {
    if (!options_ || !connection_) err::raise(err::kObjectNotSet);
    bool batch = true, dated = true;
    if (line && line->State() == ado::adStateOpen && !line->Eof() && line->Fields().find("cinvcode") >= 0) {
        std::string inventory = vb::text_or_empty((*line)(Variant("cinvcode")));
        if (!inventory.empty()) {
            auto inv = ado::Recordset::create();
            inv->Open("select bInvBatch, bInvQuality from Inventory where cInvCode = '" + inventory + "'",
                      connection_, ado::adOpenStatic, ado::adLockReadOnly);
            if (!inv->Eof()) {
                batch = vb::CBool((*inv)(Variant("bInvBatch")));
                dated = vb::CBool((*inv)(Variant("bInvQuality")));
            }
        }
    }
    auto rs = ado::Recordset::create();
    rs->Open("select cCaption, bEnabled, bRefrence from VoucherColumnSet where iVouchKind = " +
                 std::to_string(vouch_kind) + " order by cCaption",
             connection_, ado::adOpenStatic, ado::adLockReadOnly);
    std::vector<ColumnSetting> settings;
    for (; !rs->Eof(); rs->MoveNext()) {
        ColumnSetting s{vb::text_or_empty((*rs)(Variant("cCaption"))), vb::CBool((*rs)(Variant("bEnabled"))),
                        vb::CBool((*rs)(Variant("bRefrence")))};
        if (s.Column == "批号" && !batch) s.Enabled = false;
        if ((s.Column == "生产日期" || s.Column == "失效日期") && !dated) s.Enabled = false;
        settings.push_back(std::move(s));
    }
    return settings;
}

}  // namespace korvane::session
