#include "host/user_define.h"

#include "host/inventory.h"
#include "platform/ado/recordset.h"
#include "platform/vb/convert.h"
#include "platform/vb/error.h"

namespace korvane::host {

std::string free_item_key(int i) {
    if (i < 1 || i > 10) err::raise(err::kInvalidCall, "free item " + std::to_string(i) + " does not exist");
    return std::to_string(i <= 2 ? i + 19 : i + 25);
}

std::string default_item_name(const std::string& key) {
    long n = 0;
    try {
        n = std::stol(key);
    } catch (const std::exception&) {
        return key;
    }
    if (n == 20 || n == 21) return "自由项" + std::to_string(n - 19);
    if (n >= 28 && n <= 35) return "自由项" + std::to_string(n - 25);
    return "自定义项" + std::to_string(n);
}

namespace {

class AccountUserDefine : public UserDefineService {
public:
    void put_Login(session::PermissionServicePtr login) override { login_ = std::move(login); }

    UserDefinition item(const std::string& key) override {
        if (!login_) err::raise(err::kObjectNotSet, "UserDefineService: no login was given");
        UserDefinition def{key, default_item_name(key), default_item_name(key)};
        auto rs = ado::Recordset::create();
        rs->Open("select cName, cShowName from UserDef where cID = " + sql_quoted(key), login_->GetConnection(),
                 ado::adOpenStatic, ado::adLockReadOnly);
        if (!rs->Eof()) {
            def.default_name = vb::text_or_empty((*rs)(Variant(0L)));
            std::string shown = vb::text_or_empty((*rs)(Variant(1L)));
            def.display_name = shown.empty() ? def.default_name : shown;
        }
        return def;
    }

private:
    session::PermissionServicePtr login_;
};

}  // namespace

std::unique_ptr<UserDefineService> account_user_define() { return std::make_unique<AccountUserDefine>(); }

}  // namespace korvane::host
