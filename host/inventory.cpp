#include "host/inventory.h"

#include "platform/ado/recordset.h"
#include "platform/vb/convert.h"
#include "platform/vb/error.h"

namespace korvane::host {

namespace {

class AccountInventory : public Inventory {
public:
    AccountInventory(std::string code, int group_type) : code_(std::move(code)), group_type_(group_type) {}
    const std::string& cInvCode() const override { return code_; }
    bool SkipPieceCheck() const override { return group_type_ == 0; }

private:
    std::string code_;
    int group_type_;  // 0 one unit, 1 fixed rate, 2 floating rate
};

}  // namespace

InventoryPtr load_inventory(const ado::ConnectionPtr& con, const std::string& code) {
    auto rs = ado::Recordset::create();
    rs->Open("select cInvCode, iGroupType from Inventory where cInvCode = '" + code + "'", con, ado::adOpenStatic,
             ado::adLockReadOnly);
    if (rs->Eof()) err::raise(err::kNoCurrentRecord, "no inventory with the code '" + code + "'");
    return std::make_shared<AccountInventory>(vb::CStr((*rs)(Variant("cInvCode"))),
                                              vb::CLng((*rs)(Variant("iGroupType"))));
}

}  // namespace korvane::host
