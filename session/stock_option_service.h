// StockOptionService: the stock-management options of a session. Callers
// make a new one, initialise it from the session and only then ask for its
// options object.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/ado/connection.h"
#include "platform/ado/recordset.h"
#include "session/login.h"
#include "session/options.h"

namespace korvane::session {

// Voucher kinds whose line columns the stock options set up.
inline constexpr std::int32_t kPurchaseReceiptKind = 57;
inline constexpr std::int32_t kSalesIssueKind = 5;

// One line column of a voucher kind, named by its caption: whether the user
// may type into it, and whether it takes a reference list's pick instead.
struct ColumnSetting {
    std::string Column;
    bool Enabled = true;
    bool Refrence = false;
};

class StockOptionService : public Object {
public:
    std::string_view type_name() const override { return "StockOptionService"; }

    // True when the service can serve this session; False with the reason
    // in `message` (which is left alone on success).
    virtual bool InitFromSession(const LoginPtr& login, std::string& message) = 0;
    // The options object; 91 before a successful InitFromSession.
    virtual std::shared_ptr<StockOptions> GetOptions() = 0;
    // The column settings of a voucher kind for one line of one head (the
    // one-row copies the forms make); 91 before a successful InitFromSession.
    virtual std::vector<ColumnSetting> GetColumnSet(std::int32_t vouch_kind, const ado::RecordsetPtr& head,
                                                    const ado::RecordsetPtr& line) = 0;
};
using StockOptionServicePtr = std::shared_ptr<StockOptionService>;

// Reads the stock options from the account's options table, under the
// session's OptionsKey1 and OptionsKey2. An account that stores no stock
// options cannot be served.
class AccountStockOptionService : public StockOptionService {
public:
    // An open connection on the account of the login given, to read through;
    // null (or no source) and the service opens its own.
    using ConnectionSource = std::function<ado::ConnectionPtr(const LoginPtr& login)>;
    explicit AccountStockOptionService(ConnectionSource source = {}) : source_(std::move(source)) {}
    static StockOptionServicePtr create(ConnectionSource source = {}) {
        return std::make_shared<AccountStockOptionService>(std::move(source));
    }

    bool InitFromSession(const LoginPtr& login, std::string& message) override;
    std::shared_ptr<StockOptions> GetOptions() override;
    // From VoucherColumnSet; a batch column is open only for an inventory
    // kept by batch, the date columns only for one with a shelf life.
    std::vector<ColumnSetting> GetColumnSet(std::int32_t vouch_kind, const ado::RecordsetPtr& head,
                                            const ado::RecordsetPtr& line) override;

private:
    ConnectionSource source_;
    std::shared_ptr<StockOptions> options_;
    ado::ConnectionPtr connection_;
};

}  // namespace korvane::session
