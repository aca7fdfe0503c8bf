#include "host/business_objects.h"

#include "host/inventory.h"

#include "platform/ado/recordset.h"
#include "platform/vb/convert.h"
#include "platform/vb/error.h"

namespace korvane::host {

namespace {

struct KindInfo {
    const char* kind;
    const char* table;
    const char* code;
    const char* name;
    const char* label;  // how the error text names the kind
};

constexpr KindInfo kKinds[] = {
    {"warehouse", "Warehouse", "cWhCode", "cWhName", "仓库"},
    {"inventory", "Inventory", "cInvCode", "cInvName", "存货"},
    {"customer", "Customer", "cCusCode", "cCusName", "客户"},
    {"department", "Department", "cDepCode", "cDepName", "部门"},
    {"person", "Person", "cPersonCode", "cPersonName", "人员"},
    {"vendor", "Vendor", "cVenCode", "cVenName", "供应商"},
};

// The user's latest choice from the reference list, per kind and name.
using Choices = std::map<std::string, std::map<std::string, std::string>>;  // kind -> name -> code

class AccountCollection : public BusinessCollection {
public:
    AccountCollection(const KindInfo& kind, const std::map<std::string, std::string>& chosen)
        : kind_(kind), chosen_(chosen) {}

    void put_Login(session::PermissionServicePtr login) override { login_ = std::move(login); }

    bool load(const std::string& text, BusinessItem& item, std::string& error, const std::string& linked) override {
        try {
            if (!login_) {
                error = std::string(kind_.label) + "对象未设置登录";
                return false;
            }
            auto con = login_->GetConnection();
            // A code wins over a name that happens to read the same.
            for (const char* column : {kind_.code, kind_.name}) {
                auto rs = ado::Recordset::create();
                rs->Open(std::string("select ") + kind_.code + ", " + kind_.name + " from " + kind_.table + " where " +
                             column + " = " + sql_quoted(text) + " order by " + kind_.code,
                         con, ado::adOpenStatic, ado::adLockReadOnly);
                if (rs->Eof()) continue;
                const long found = rs->RecordCount();
                if (found > 1) {
                    auto choice = chosen_.find(text);
                    const std::string& wanted = !linked.empty() || choice == chosen_.end() ? linked : choice->second;
                    for (; !rs->Eof(); rs->MoveNext())
                        if (vb::CStr((*rs)(Variant(0L))) == wanted) break;
                }
                if (rs->Eof()) {
                    error = "有" + std::to_string(found) + "个" + kind_.label + "名为[" + text + "]，请从参照中选择";
                    return false;
                }
                item.id = vb::CStr((*rs)(Variant(0L)));
                item.name = vb::CStr((*rs)(Variant(1L)));
                return true;
            }
            error = std::string(kind_.label) + "[" + text + "]不存在";
            return false;
        } catch (const std::exception& e) {
            error = e.what();
            return false;
        }
    }

private:
    const KindInfo& kind_;
    const std::map<std::string, std::string>& chosen_;
    session::PermissionServicePtr login_;
};

// The fields each record collection hands back, code first.
struct RecordKind {
    const char* kind;
    const char* select;
};

constexpr RecordKind kRecordKinds[] = {
    {"inventoryclass", "select cInvCCode, cInvCName, iInvCGrade, bInvCEnd, cEcoCode from InventoryClass"},
    {"inventory",
     "select cInvCode, cInvName, cInvStd, cInvCCode, cComUnitCode, cAssComUnitCode, iGroupType, iChangRate "
     "from Inventory"},
};

class AccountRecordCollection : public RecordCollection {
public:
    explicit AccountRecordCollection(const RecordKind& kind) : kind_(kind) {}
    void put_Login(session::PermissionServicePtr login) override { login_ = std::move(login); }
    ado::RecordsetPtr load_by_condition(const std::string& where) override {
        if (!login_) err::raise(err::kObjectNotSet);
        std::string sql = kind_.select;
        // a condition that is only an order by takes no where
        const auto first = where.find_first_not_of(' ');
        if (first != std::string::npos) {
            const bool order_only = vb::LCase(where.substr(first, 8)) == "order by";
            sql += order_only ? " " + where : " where " + where;
        }
        auto rs = ado::Recordset::create();
        rs->Open(sql, login_->GetConnection(), ado::adOpenStatic, ado::adLockReadOnly);
        return rs;
    }

private:
    const RecordKind& kind_;
    session::PermissionServicePtr login_;
};

class AccountBusinessObjects : public BusinessObjects {
public:
    std::unique_ptr<BusinessCollection> create(std::string_view kind) override {
        std::string k = vb::LCase(kind);
        for (const auto& info : kKinds)
            if (k == info.kind) return std::make_unique<AccountCollection>(info, chosen_[info.kind]);
        return nullptr;
    }
    void remember_choice(std::string_view kind, const BusinessItem& item) override {
        chosen_[vb::LCase(kind)][item.name] = item.id;
    }
    std::unique_ptr<RecordCollection> create_records(std::string_view kind) override {
        std::string k = vb::LCase(kind);
        for (const auto& info : kRecordKinds)
            if (k == info.kind) return std::make_unique<AccountRecordCollection>(info);
        return nullptr;
    }

private:
    Choices chosen_;
};

}  // namespace

std::shared_ptr<BusinessObjects> account_business_objects() { return std::make_shared<AccountBusinessObjects>(); }

}  // namespace korvane::host
