// The host's session object: who is logged in, to which account, on which day.
//
// The host hands one to every entry point that needs the database. A host
// with its own session implements oLogin; the demo and the tests use
// AccountLogin, which answers from the account database itself.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "platform/ado/connection.h"
#include "platform/vb/variant.h"

namespace korvane::session {

class oLogin : public Object {
public:
    std::string_view type_name() const override { return "oLogin"; }

    // A new connection is opened with it, with empty user and password.
    virtual std::string ConnectionString() const = 0;
    // The operator's login date, an OLE date.
    virtual double LoginDate() const = 0;
    // Handed to the options loader: which option rows this session reads.
    virtual std::string OptionsKey1() const = 0;
    virtual std::string OptionsKey2() const = 0;
    // Unique per session; may contain dots.
    virtual std::string SessionTag() const = 0;
    virtual std::string PositionKey() const = 0;
    // True when the operator holds the function right `code`. The two numbers
    // are the host's own switches; callers pass 1 and 0.
    virtual bool HasRight(std::string_view code, long flag1 = 1, long flag2 = 0) = 0;
    // The operator's code, for the row-authority and right lookups.
    virtual std::string OperatorCode() const = 0;
};
using LoginPtr = std::shared_ptr<oLogin>;

struct LoginSettings {
    std::string connection_string;
    std::string operator_code;
    double login_date = 0;          // OLE date; 0 takes today
    std::string options_key1;       // "" takes kDefaultOptionsKey1
    std::string options_key2;       // "" takes the login date's year
    std::string session_tag;        // "" makes one unique in this process
    std::string position_key;
};

inline constexpr const char* kDefaultOptionsKey1 = "001";

// A session over an account database: rights come from the account's
// per-operator function-rights table, read on a connection of its own
// opened on first need.
class AccountLogin : public oLogin {
public:
    explicit AccountLogin(LoginSettings settings);
    static LoginPtr create(std::string connection_string, std::string operator_code);
    static LoginPtr create(LoginSettings settings);
    ~AccountLogin() override;

    std::string ConnectionString() const override { return settings_.connection_string; }
    double LoginDate() const override { return settings_.login_date; }
    std::string OptionsKey1() const override { return settings_.options_key1; }
    std::string OptionsKey2() const override { return settings_.options_key2; }
    std::string SessionTag() const override { return settings_.session_tag; }
    std::string PositionKey() const override { return settings_.position_key; }
    bool HasRight(std::string_view code, long flag1 = 1, long flag2 = 0) override;
    std::string OperatorCode() const override { return settings_.operator_code; }

private:
    LoginSettings settings_;
    ado::ConnectionPtr rights_connection_;  // opened by the first HasRight
};

}  // namespace korvane::session
