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
        auto con = ado::Connection::create();
        con->Open(login->ConnectionString());
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

}  // namespace korvane::session
