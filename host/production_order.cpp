#include "host/production_order.h"

#include "host/inventory.h"
#include "platform/vb/convert.h"
#include "platform/vb/error.h"

namespace korvane::host {

namespace {

// A number as SQL reads it; brackets keep "- -3" from starting a comment.
std::string sql_number(double v) {
    std::string s = vb::CStr(Variant(v));
    return v < 0 ? "(" + s + ")" : s;
}

std::string id_text(std::int32_t id) { return std::to_string(id); }

ado::ConnectionPtr& require(ado::ConnectionPtr& con) {
    if (!con || con->State() != ado::adStateOpen) err::raise(err::kObjectNotSet);
    return con;
}

ado::RecordsetPtr open(const std::string& sql, ado::ConnectionPtr& con) {
    auto rs = ado::Recordset::create();
    rs->put_CursorLocation(ado::adUseClient);
    rs->Open(sql, require(con), ado::adOpenStatic, ado::adLockBatchOptimistic);
    return rs;
}

std::string and_where(const std::string& where) { return where.empty() ? std::string() : " and (" + where + ")"; }

// Heads of one kind as the order list shows them. Wrapped so that the
// caller's conditions name the head's columns unqualified, and so that
// "id IN (...)" can be appended before the ORDER BY.
std::string heads(const std::string& kind, const std::string& where, bool leave_out_executed) {
    std::string sql =
        "select * from (select h.id, h.cPeriod, h.cCode, h.dDate, h.iProperty, h.cDepCode, d.cDepName, h.cVenCode, "
        "v.cVenName, h.cPersonCode, p.cPersonName, h.cMaker, h.cVerifier, h.dCheckDate, h.cMemo, h.bPlan, "
        "h.iVouchType, h.bClosed from pp_pohead h left join Department d on d.cDepCode = h.cDepCode "
        "left join Vendor v on v.cVenCode = h.cVenCode left join Person p on p.cPersonCode = h.cPersonCode) pohead "
        "where bClosed = 0 and " +
        kind;
    if (leave_out_executed)
        sql += " and exists (select 1 from pp_pomain m where m.id = pohead.id and m.bThrow = 0 and "
               "isnull(m.fInQuantity, 0) < m.fQuantity)";
    return sql + and_where(where) + " order by cCode";
}

// The product lines read through a table named pp_pomain whose project class
// is never Null, so that the form's project condition on re-reading
// (citem_class = '') also finds a product without a project.
std::string products(const std::string& kind, const std::string& id) {
    return "select pp_pomain.mainid, pp_pomain.id, pp_pomain.cInvCode, i.cInvName, i.cInvStd, u.cComUnitName as "
           "cInvM_Unit, pp_pomain.fQuantity, pp_pomain.fInQuantity, pp_pomain.dStartDate, pp_pomain.dEndDate, "
           "pp_pomain.cItemCode, pp_pomain.cItemName, pp_pomain.cItem_class, pp_pomain.cItem_Name, "
           "pp_pomain.cFree1, pp_pomain.cFree2, pp_pomain.cFree3 from (select mainid, id, cInvCode, fQuantity, "
           "fInQuantity, dStartDate, dEndDate, cItemCode, cItemName, coalesce(cItem_class, '') as cItem_class, "
           "cItem_Name, cFree1, cFree2, cFree3, bThrow from pp_pomain) pp_pomain "
           "inner join pp_pohead h on h.id = pp_pomain.id left join Inventory i on i.cInvCode = pp_pomain.cInvCode "
           "left join ComputationUnit u on u.cComunitCode = i.cComUnitCode where pp_pomain.bThrow = 0 and " +
           kind + " and pp_pomain.id = " + sql_quoted(id) + " order by pp_pomain.mainid";
}

class AccountProductionOrderComponent : public ProductionOrderComponent {
public:
    bool WriteOrderQuantity(std::int32_t sSubId, const std::string& cInvCode, double quantity, ado::ConnectionPtr& con,
                            std::string& ErrMsg, const std::string&) override {
        return write_quantity(false, sSubId, cInvCode, quantity, con, ErrMsg);
    }
    bool WritePlanQuantity(std::int32_t sSubId, const std::string& cInvCode, double quantity, ado::ConnectionPtr& con,
                           std::string& ErrMsg, const std::string&) override {
        return write_quantity(true, sSubId, cInvCode, quantity, con, ErrMsg);
    }

    bool WriteThrow(std::int32_t sSubId, bool bThrow, ado::ConnectionPtr& con, std::string& ErrMsg,
                    const std::string&) override {
        auto line = open("select mainid from pp_pomain where mainid = " + id_text(sSubId), con);
        if (line->Eof()) {
            ErrMsg = "产品行 " + id_text(sSubId) + " 不存在";
            return false;
        }
        con->Execute(std::string("update pp_pomain set bThrow = ") + (bThrow ? "1" : "0") +
                     " where mainid = " + id_text(sSubId));
        return true;
    }

    ado::RecordsetPtr PlanHeads(const std::string& where, ado::ConnectionPtr& con, std::string&) override {
        return open(heads("bPlan = 1", where, false), con);
    }
    ado::RecordsetPtr OrderHeads(const std::string& where, ado::ConnectionPtr& con, bool leave_out_executed,
                                 std::string&) override {
        return open(heads("bPlan = 0 and iVouchType <> 39", where, leave_out_executed), con);
    }
    ado::RecordsetPtr OrderHeads39(const std::string& where, ado::ConnectionPtr& con, bool leave_out_executed,
                                   std::string&) override {
        return open(heads("bPlan = 0 and iVouchType = 39", where, leave_out_executed), con);
    }

    ado::RecordsetPtr PlanProducts(const std::string& id, ado::ConnectionPtr& con, std::string&) override {
        return open(products("h.bPlan = 1", id), con);
    }
    ado::RecordsetPtr OrderProducts(const std::string& id, ado::ConnectionPtr& con, std::string&) override {
        return open(products("h.bPlan = 0 and h.iVouchType <> 39", id), con);
    }
    ado::RecordsetPtr OrderProducts39(const std::string& id, ado::ConnectionPtr& con, std::string&) override {
        return open(products("h.bPlan = 0 and h.iVouchType = 39", id), con);
    }

    ado::RecordsetPtr Materials(ado::ConnectionPtr& con, double fquantity, const std::string& mainid,
                                const std::string& inventory_scope, std::string& message) override {
        // Scaled to the product quantity the user works with; a product line
        // of quantity 0 keeps the materials' own.
        const std::string scale = "case when isnull(m.fQuantity, 0) = 0 then 1 else " + sql_number(fquantity) +
                                  " * 1.0 / m.fQuantity end";
        auto rs = open("select * from (select c.subid, c.mainid, h.cCode, c.cInvCode, i.cInvName, i.cInvStd, "
                       "u.cComUnitName as cInvM_Unit, c.fQuantity * " + scale + " as fQuantity, c.fOutQuantity, "
                       "c.cFree1, c.cFree2, c.cFree3 from pp_pochild c inner join pp_pomain m on m.mainid = c.mainid "
                       "inner join pp_pohead h on h.id = m.id left join Inventory i on i.cInvCode = c.cInvCode "
                       "left join ComputationUnit u on u.cComunitCode = i.cComUnitCode) material where mainid = " +
                           sql_quoted(mainid) + and_where(inventory_scope) + " order by subid",
                       con);
        if (rs->Eof()) message = "该产品没有材料";
        return rs;
    }

private:
    bool write_quantity(bool plan, std::int32_t sSubId, const std::string& cInvCode, double quantity,
                        ado::ConnectionPtr& con, std::string& ErrMsg) {
        auto line = open("select p.mainid, p.cInvCode, p.fInQuantity, p.bThrow, h.bPlan from pp_pomain p "
                         "inner join pp_pohead h on h.id = p.id where p.mainid = " + id_text(sSubId),
                         con);
        const char* kind = plan ? "生产计划" : "生产订单";
        if (line->Eof()) {
            ErrMsg = std::string(kind) + "产品行 " + id_text(sSubId) + " 不存在";
            return false;
        }
        if (vb::CBool((*line)(Variant("bPlan"))) != plan) {
            ErrMsg = "产品行 " + id_text(sSubId) + " 不属于" + kind;
            return false;
        }
        const std::string inv = vb::text_or_empty((*line)(Variant("cInvCode")));
        if (!cInvCode.empty() && vb::UCase(cInvCode) != vb::UCase(inv)) {
            ErrMsg = "产品行 " + id_text(sSubId) + " 的产品是 " + inv + "，不是 " + cInvCode;
            return false;
        }
        if (vb::CBool((*line)(Variant("bThrow")))) {
            ErrMsg = "产品行 " + id_text(sSubId) + " 已关闭，不能再入库";
            return false;
        }
        const Variant& done = (*line)(Variant("fInQuantity"));
        if ((done.is_null() ? 0.0 : vb::CDbl(done)) + quantity < -1e-9) {
            ErrMsg = "产品行 " + id_text(sSubId) + " 的累计入库数量不能小于零";
            return false;
        }
        con->Execute("update pp_pomain set fInQuantity = isnull(fInQuantity, 0) + " + sql_number(quantity) +
                     " where mainid = " + id_text(sSubId));
        return true;
    }
};

class AccountDispatchWriteBackComponent : public DispatchWriteBackComponent {
public:
    bool WriteOutQuantity(ado::ConnectionPtr& con, std::int32_t sSubId, const std::string&, double quantity,
                          double pieces, std::string& ErrMsg) override {
        auto line = open("select DLsID, iQuantity, fOutQuantity, fOutNum from DispatchLists where DLsID = " +
                             id_text(sSubId),
                         con);
        if (line->Eof()) {
            ErrMsg = "发货单行 " + id_text(sSubId) + " 不存在";
            return false;
        }
        auto number = [&](const char* f) {
            const Variant& v = (*line)(Variant(f));
            return v.is_null() ? 0.0 : vb::CDbl(v);
        };
        const double ordered = number("iQuantity"), issued = number("fOutQuantity") + quantity;
        // Issued amounts keep the sign of the line: a return line goes negative.
        if (ordered >= 0 ? issued < -1e-9 : issued > 1e-9) {
            ErrMsg = "发货单行 " + id_text(sSubId) + " 的累计出库数量不能与发货数量方向相反";
            return false;
        }
        con->Execute("update DispatchLists set fOutQuantity = isnull(fOutQuantity, 0) + " + sql_number(quantity) +
                     ", fOutNum = isnull(fOutNum, 0) + " + sql_number(pieces) + " where DLsID = " + id_text(sSubId));
        return true;
    }
};

}  // namespace

std::unique_ptr<ProductionOrderComponent> account_production_order_component() {
    return std::make_unique<AccountProductionOrderComponent>();
}

std::unique_ptr<DispatchWriteBackComponent> account_dispatch_write_back_component() {
    return std::make_unique<AccountDispatchWriteBackComponent>();
}

}  // namespace korvane::host
