// Option objects read late-bound, by member name, as the forms read them.
//
// Each kind of option object knows its members and their defaults for a
// fresh account; a loader overwrites the members the account stores. A name
// the object does not know raises 438, as a late-bound call would.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/vb/variant.h"
#include "session/login.h"

namespace korvane::session {

class OptionSet : public Object {
public:
    struct Member {
        const char* name;
        Variant default_value;
    };

    // The member's value: what was stored, else the default. 438 for an unknown name.
    virtual Variant get(std::string_view name) const;
    // Stores a member's value; 438 for an unknown name.
    void set(std::string_view name, const Variant& value);
    bool knows(std::string_view name) const;
    // True when the account gave this member a value (not the default).
    bool stored(std::string_view name) const;

    bool get_bool(std::string_view name) const;      // CBool of the value
    std::int32_t get_long(std::string_view name) const;
    std::string get_text(std::string_view name) const;

protected:
    explicit OptionSet(const std::vector<Member>& members) : members_(members) {}
    const Member* find(std::string_view name) const;

private:
    struct FoldLess {
        using is_transparent = void;
        bool operator()(std::string_view a, std::string_view b) const;
    };
    const std::vector<Member>& members_;
    std::map<std::string, Variant, FoldLess> values_;
};

// The system options object: decimal digits and formats, allocation rules,
// edition and limit switches.
class SystemOptions : public OptionSet {
public:
    SystemOptions();
    static std::shared_ptr<SystemOptions> create() { return std::make_shared<SystemOptions>(); }
    std::string_view type_name() const override { return "SystemOptions"; }

    // The format members follow the digits unless the account stores its own.
    Variant get(std::string_view name) const override;

    std::int32_t QuanDecDgt() const { return get_long("QuanDecDgt"); }
    std::int32_t NumDecDgt() const { return get_long("NumDecDgt"); }
    std::int32_t ExchRateDecDgt() const { return get_long("ExchRateDecDgt"); }
    std::string FormatQuanDecString() const { return get_text("FormatQuanDecString"); }
    std::string FormatNumDecString() const { return get_text("FormatNumDecString"); }
    std::string FormatExchRateDecString() const { return get_text("FormatExchRateDecString"); }
    std::string InOutTrace() const { return get_text("InOutTrace"); }
    std::string BatchOut() const { return get_text("BatchOut"); }
    std::string SysVersion() const { return get_text("SysVersion"); }
    bool OverOrder() const { return get_bool("OverOrder"); }
    bool OverDispOut() const { return get_bool("OverDispOut"); }
    bool CheckWareInv() const { return get_bool("CheckWareInv"); }
    // Whether the selection dialog offers its show-positive/zero/negative boxes.
    bool ShowStockFilter() const { return get_bool("ShowStockFilter"); }
};

// The stock-management options object of the stock option service.
class StockOptions : public OptionSet {
public:
    StockOptions();
    static std::shared_ptr<StockOptions> create() { return std::make_shared<StockOptions>(); }
    std::string_view type_name() const override { return "StockOptions"; }

    bool OverOrder() const { return get_bool("OverOrder"); }
    bool CheckWareInv() const { return get_bool("CheckWareInv"); }
    bool OverDispOut() const { return get_bool("OverDispOut"); }

    // The session the options were read for, so that what is handed only
    // the options can still reach the account; none for options set by hand.
    const LoginPtr& login() const noexcept { return login_; }
    void set_login(LoginPtr login) { login_ = std::move(login); }

private:
    LoginPtr login_;
};

}  // namespace korvane::session
