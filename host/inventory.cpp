#include "host/inventory.h"

#include "platform/ado/recordset.h"
#include "platform/vb/convert.h"
#include "platform/vb/error.h"

namespace korvane::host {

namespace {

class AccountInventory : public Inventory {
public:
    const std::string& cInvCode() const override { return code_; }
    const std::string& cInvName() const override { return name_; }
    int ConversionKind() const override { return group_type_; }
    double ChangeRate() const override { return rate_; }
    bool UsesFree(int i) const override { return i >= 1 && i <= 10 && free_[static_cast<std::size_t>(i - 1)]; }
    bool SkipPieceCheck() const override { return group_type_ == 0; }

    std::string code_, name_;
    int group_type_ = 0;
    double rate_ = 0;
    std::array<bool, 10> free_{};
};

}  // namespace

std::string sql_quoted(const std::string& text) {
    std::string q = "'";
    for (char c : text) {
        q += c;
        if (c == '\'') q += '\'';
    }
    return q + "'";
}

InventoryPtr load_inventory(const ado::ConnectionPtr& con, const std::string& code) {
    auto rs = ado::Recordset::create();
    rs->Open("select cInvCode, cInvName, iGroupType, iChangRate, bFree1, bFree2, bFree3, bFree4, bFree5, bFree6, "
             "bFree7, bFree8, bFree9, bFree10 from Inventory where cInvCode = " + sql_quoted(code),
             con, ado::adOpenStatic, ado::adLockReadOnly);
    if (rs->Eof()) err::raise(err::kNoCurrentRecord, "no inventory with the code '" + code + "'");
    auto inv = std::make_shared<AccountInventory>();
    inv->code_ = vb::text_or_empty((*rs)(Variant("cInvCode")));
    inv->name_ = vb::text_or_empty((*rs)(Variant("cInvName")));
    inv->group_type_ = vb::CLng((*rs)(Variant("iGroupType")));
    const Variant& rate = (*rs)(Variant("iChangRate"));
    inv->rate_ = rate.is_null() ? 0 : vb::CDbl(rate);
    for (int i = 0; i < 10; ++i) {
        const Variant& flag = (*rs)(Variant(static_cast<long>(4 + i)));
        inv->free_[static_cast<std::size_t>(i)] = !flag.is_null() && vb::CBool(flag);
    }
    return inv;
}

}  // namespace korvane::host
