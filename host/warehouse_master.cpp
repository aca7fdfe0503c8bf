#include "host/warehouse_master.h"

#include "host/inventory.h"
#include "platform/ado/recordset.h"
#include "platform/vb/error.h"

namespace korvane::host {

namespace {

class AccountWarehouseMaster : public WarehouseMaster {
public:
    explicit AccountWarehouseMaster(std::shared_ptr<BusinessObjects> business) : business_(std::move(business)) {}

    void put_Login(session::PermissionServicePtr login) override { login_ = std::move(login); }

    bool Find(const std::string& text, BusinessItem& warehouse) override {
        if (!login_ || !business_) err::raise(err::kObjectNotSet);
        auto warehouses = business_->create("warehouse");
        warehouses->put_Login(login_);
        std::string error;
        return warehouses->load(text, warehouse, error);
    }

    bool HasInventory(const std::string& wh_code, const std::string& inv_code) override {
        if (!login_) err::raise(err::kObjectNotSet);
        auto rs = ado::Recordset::create();
        rs->Open("select 1 from WarehouseInventory where cWhCode = " + sql_quoted(wh_code) +
                     " and cInvCode = " + sql_quoted(inv_code),
                 login_->GetConnection(), ado::adOpenStatic, ado::adLockReadOnly);
        return !rs->Eof();
    }

private:
    std::shared_ptr<BusinessObjects> business_;
    session::PermissionServicePtr login_;
};

}  // namespace

std::shared_ptr<WarehouseMaster> account_warehouse_master(std::shared_ptr<BusinessObjects> business) {
    return std::make_shared<AccountWarehouseMaster>(std::move(business));
}

}  // namespace korvane::host
