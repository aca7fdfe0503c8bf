// PermissionService: what a session gives the forms — its connection, the
// session itself, the system options and the operator's row authority.
//
// Entry points make a new one per call and initialise it from the host's
// session first; everything else may be called in any order after that.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <string_view>

#include "platform/ado/connection.h"
#include "session/login.h"
#include "session/options.h"

namespace korvane::session {

class PermissionService : public Object {
public:
    static std::shared_ptr<PermissionService> create() { return std::make_shared<PermissionService>(); }
    std::string_view type_name() const override { return "PermissionService"; }

    // Binds the service to a session. False with the reason in `status` when
    // there is no session; `status` is emptied on success.
    bool InitFromSession(const LoginPtr& login, std::string& status);
    // The same, raising 91 when there is no session.
    void InitFromSession(const LoginPtr& login);

    // The session's connection, opened with its connection string on the
    // first call and handed out again afterwards (reopened if a caller closed
    // it). Raises 91 before InitFromSession, the driver's error when the
    // account cannot be opened.
    ado::ConnectionPtr GetConnection();
    // The connection GetConnection opens (when closed) and hands out from
    // now on, in place of one of its own: an entry point gives each new
    // service the one it keeps for the session's account, so that a call
    // does not open the account anew. InitFromSession lets go of it.
    void SetConnection(ado::ConnectionPtr connection) { connection_ = std::move(connection); }
    LoginPtr GetSession() const { return login_; }
    // The options given by SetOptions; without one, the session's options
    // are loaded on first use.
    std::shared_ptr<SystemOptions> GetOptions();
    void SetOptions(std::shared_ptr<SystemOptions> options) { options_ = std::move(options); }

    // The codes (ids for "inventory") the operator may use for a kind of
    // object, in the form an IN list takes ("'01','02'", "3,7"); "" when the
    // operator is not restricted for that kind. `filter` is passed empty by
    // every caller; `right` is "W" (write), "R" (read) or "" (either).
    std::string RowAuthorityList(std::string_view kind, std::string_view filter = {}, std::string_view right = "W");

private:
    LoginPtr login_;
    ado::ConnectionPtr connection_;
    std::shared_ptr<SystemOptions> options_;
    std::map<std::string, std::string> authority_cache_;  // kind + right -> list
};
using PermissionServicePtr = std::shared_ptr<PermissionService>;

// The connection of `service` when it serves the account `login` names, else
// null: a service that reads for that session can share it rather than open
// (and have the engine parse the account's schema for) one of its own.
ado::ConnectionPtr SharedConnection(const PermissionServicePtr& service, const LoginPtr& login);

}  // namespace korvane::session
