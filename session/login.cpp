#include "session/login.h"

#include <unistd.h>

#include <atomic>

#include "platform/ado/recordset.h"
#include "platform/vb/convert.h"

namespace korvane::session {

namespace {
std::atomic<int> sessions{0};
}

AccountLogin::AccountLogin(LoginSettings settings) : settings_(std::move(settings)) {
    if (settings_.login_date == 0) settings_.login_date = vb::today_ole();
    if (settings_.options_key1.empty()) settings_.options_key1 = kDefaultOptionsKey1;
    if (settings_.options_key2.empty())
        settings_.options_key2 = std::to_string(vb::civil_from_ole(settings_.login_date).year);
    if (settings_.session_tag.empty())
        settings_.session_tag = "S" + std::to_string(::getpid()) + "." + std::to_string(++sessions);
}

AccountLogin::~AccountLogin() = default;

LoginPtr AccountLogin::create(std::string connection_string, std::string operator_code) {
    LoginSettings s;
    s.connection_string = std::move(connection_string);
    s.operator_code = std::move(operator_code);
    return create(std::move(s));
}

LoginPtr AccountLogin::create(LoginSettings settings) { return std::make_shared<AccountLogin>(std::move(settings)); }

bool AccountLogin::HasRight(std::string_view code, long, long) {
    if (!rights_connection_) {
        auto con = ado::Connection::create();
        con->Open(settings_.connection_string);
        rights_connection_ = con;
    }
    auto rs = ado::Recordset::create();
    rs->Open("select count(*) as n from OperatorRight where cUserId = '" + settings_.operator_code +
                 "' and cFuncCode = '" + std::string(code) + "'",
             rights_connection_, ado::adOpenStatic, ado::adLockReadOnly);
    return vb::CLng((*rs)(Variant("n"))) > 0;
}

}  // namespace korvane::session
