// StockOptionService: the stock-management options of a session. Callers
// make a new one, initialise it from the session and only then ask for its
// options object.
#pragma once

#include <memory>
#include <string>

#include "platform/ado/connection.h"
#include "session/login.h"
#include "session/options.h"

namespace korvane::session {

class StockOptionService : public Object {
public:
    std::string_view type_name() const override { return "StockOptionService"; }

    // True when the service can serve this session; False with the reason
    // in `message` (which is left alone on success).
    virtual bool InitFromSession(const LoginPtr& login, std::string& message) = 0;
    // The options object; 91 before a successful InitFromSession.
    virtual std::shared_ptr<StockOptions> GetOptions() = 0;
};
using StockOptionServicePtr = std::shared_ptr<StockOptionService>;

// Reads the stock options from the account's options table, under the
// session's OptionsKey1 and OptionsKey2. An account that stores no stock
// options cannot be served.
class AccountStockOptionService : public StockOptionService {
public:
    static StockOptionServicePtr create() { return std::make_shared<AccountStockOptionService>(); }

    bool InitFromSession(const LoginPtr& login, std::string& message) override;
    std::shared_ptr<StockOptions> GetOptions() override;

private:
    std::shared_ptr<StockOptions> options_;
};

}  // namespace korvane::session
