#include "session/permission_service.h"

#include "platform/ado/recordset.h"
#include "platform/vb/convert.h"
#include "platform/vb/error.h"
#include "session/options_loader.h"
#include "session/texts.h"

namespace korvane::session {

bool PermissionService::InitFromSession(const LoginPtr& login, std::string& status) {
    if (!login) {
        status = texts::kNoSession;
        return false;
    }
    login_ = login;
    connection_.reset();
    options_.reset();
    authority_cache_.clear();
    status.clear();
    return true;
}

void PermissionService::InitFromSession(const LoginPtr& login) {
    std::string status;
    if (!InitFromSession(login, status)) err::raise(err::kObjectNotSet);
}

ado::ConnectionPtr PermissionService::GetConnection() {
    if (!login_) err::raise(err::kObjectNotSet);
    if (!connection_) connection_ = ado::Connection::create();
    if (connection_->State() != ado::adStateOpen) connection_->Open(login_->ConnectionString());
    return connection_;
}

std::shared_ptr<SystemOptions> PermissionService::GetOptions() {
    if (!options_) {
        if (!login_) err::raise(err::kObjectNotSet);
        // The loader only borrows the service for this call.
        PermissionServicePtr self(PermissionServicePtr{}, this);
        auto options = SystemOptions::create();
        OptionsLoader(self).Load(*options, login_->OptionsKey1(), login_->OptionsKey2());
        options_ = options;
    }
    return options_;
}

std::string PermissionService::RowAuthorityList(std::string_view kind, std::string_view, std::string_view right) {
    if (!login_) err::raise(err::kObjectNotSet);
    std::string key = std::string(kind) + "|" + std::string(right);
    auto cached = authority_cache_.find(key);
    if (cached != authority_cache_.end()) return cached->second;

    auto con = GetConnection();
    std::string op = login_->OperatorCode();
    auto who = ado::Recordset::create();
    who->Open("select bAllRows from Operator where cUserId = '" + op + "'", con, ado::adOpenStatic, ado::adLockReadOnly);
    std::string list;
    bool unrestricted = who->Eof() || vb::CBool((*who)(Variant("bAllRows")));
    if (!unrestricted) {
        auto rows = ado::Recordset::create();
        // Without a right asked for, any right the operator holds counts.
        std::string which = right.empty() ? std::string() : " and cRight = '" + std::string(right) + "'";
        rows->Open("select distinct cCode from RowAuthority where cUserId = '" + op + "' and cBusObject = '" +
                       std::string(kind) + "'" + which + " order by cCode",
                   con, ado::adOpenStatic, ado::adLockReadOnly);
        // Inventories are listed by their numeric ids, everything else by quoted code.
        bool numeric = vb::LCase(kind) == "inventory";
        for (; !rows->Eof(); rows->MoveNext()) {
            if (!list.empty()) list += ",";
            std::string code = vb::CStr((*rows)(Variant("cCode")));
            list += numeric ? code : "'" + code + "'";
        }
        // A restricted operator without rows may use nothing: an IN list that matches no code.
        if (list.empty()) list = numeric ? "0" : "''";
    }
    authority_cache_[key] = list;
    return list;
}

ado::ConnectionPtr SharedConnection(const PermissionServicePtr& service, const LoginPtr& login) {
    if (!service || !login || !service->GetSession() ||
        service->GetSession()->ConnectionString() != login->ConnectionString())
        return nullptr;
    return service->GetConnection();
}

}  // namespace korvane::session
