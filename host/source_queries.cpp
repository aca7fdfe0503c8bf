#include "host/source_queries.h"

#include <algorithm>
#include <cstdio>
#include <map>

#include "host/inventory.h"
#include "platform/vb/convert.h"
#include "platform/vb/error.h"

namespace korvane::host {

namespace {

constexpr const char* kNoAccount = "未能取得账套连接，无法查询发货单。";

// The caller's fragment, ANDed after our own conditions; parenthesised so
// that an OR at its top level cannot reach ours.
std::string and_fragment(const std::string& where) {
    if (vb::Trim(where).empty()) return {};
    return " and (" + where + ")";
}

// A head or line key as the forms hand it: a number, or the grid's text of one.
std::string key_literal(const Variant& key) {
    if (key.is_null() || key.is_empty()) return "null";
    if (vb::IsNumeric(key)) {
        char b[32];
        std::snprintf(b, sizeof b, "%.0f", vb::CDbl(key));
        return b;
    }
    return sql_quoted(vb::CStr(key));
}

// The ten free items of `table`, each under its lower-case name.
std::string free_columns(const std::string& table) {
    std::string s;
    for (int i = 1; i <= 10; ++i) s += table + ".cFree" + std::to_string(i) + " as cfree" + std::to_string(i) + ", ";
    return s;
}

// The inventory's names and units, for every line set alike.
std::string inventory_columns() {
    return "Inventory.cInvAddCode as cinvaddcode, Inventory.cInvName as cinvname, Inventory.cInvStd as cinvstd, ";
}
std::string unit_columns() {
    return "PieceUnit.cComUnitName as cinva_unit, MainUnit.cComUnitName as cinvm_unit, ";
}
std::string inventory_joins(const std::string& table) {
    return " inner join Inventory on Inventory.cInvCode = " + table +
           ".cInvCode"
           " left join ComputationUnit MainUnit on MainUnit.cComunitCode = Inventory.cComUnitCode"
           " left join ComputationUnit PieceUnit on PieceUnit.cComunitCode = Inventory.cAssComUnitCode";
}

// A line still has something to execute while what is left keeps the sign
// of its quantity (a red line counts down from below zero).
std::string open_line(const std::string& quantity, const std::string& left) {
    return "((" + quantity + " > 0 and " + left + " > 0) or (" + quantity + " < 0 and " + left + " < 0))";
}

std::string order_heads_sql(bool show_executed, const std::string& where) {
    std::string sql =
        "select zpurpoheader.POID as poid, zpurpoheader.cPOID as cpoid, zpurpoheader.dPODate as dpodate, "
        "PurchaseType.cPTName as cptname, zpurpoheader.cBusType as cbustype, zpurpoheader.cVenAbbName as cvenabbname, "
        "zpurpoheader.cDepName as cdepname, zpurpoheader.cPersonName as cpersonname, zpurpoheader.cMaker as cmaker, "
        "zpurpoheader.cVerifier as cverifier, zpurpoheader.cVenCode as cvencode, zpurpoheader.cDepCode as cdepcode, "
        "zpurpoheader.cPersonCode as cpersoncode, zpurpoheader.cPTCode as cptcode, zpurpoheader.cMemo as cmemo "
        "from zpurpoheader left join PurchaseType on PurchaseType.cPTCode = zpurpoheader.cPTCode "
        "where ISNULL(zpurpoheader.cCloser, '') = ''";
    if (!show_executed)
        sql += " and exists (select 1 from PO_Podetails PoLine where PoLine.POID = zpurpoheader.POID and " +
               open_line("PoLine.iQuantity",
                         "PoLine.iQuantity - ISNULL(PoLine.iArrQTY, 0) - ISNULL(PoLine.iReceivedQTY, 0)") +
               ")";
    return sql + and_fragment(where) + " order by zpurpoheader.dPODate, zpurpoheader.cPOID";
}

std::string arrival_heads_sql(bool show_executed, const std::string& where) {
    std::string sql =
        "select pu_ArrHead.ID as id, pu_ArrHead.cCode as ccode, pu_ArrHead.dDate as ddate, "
        "PurchaseType.cPTName as cptname, pu_ArrHead.cBusType as cbustype, pu_ArrHead.cVenAbbName as cvenabbname, "
        "pu_ArrHead.cDepName as cdepname, pu_ArrHead.cPersonName as cpersonname, pu_ArrHead.cMaker as cmaker, "
        "pu_ArrHead.cVerifier as cverifier, pu_ArrHead.cPOId as cpoid, pu_ArrHead.cVenCode as cvencode, "
        "pu_ArrHead.cDepCode as cdepcode, pu_ArrHead.cPersonCode as cpersoncode, pu_ArrHead.cPTCode as cptcode, "
        "pu_ArrHead.cMemo as cmemo "
        "from pu_ArrHead left join PurchaseType on PurchaseType.cPTCode = pu_ArrHead.cPTCode "
        "where ISNULL(pu_ArrHead.cCloser, '') = ''";
    if (!show_executed)
        sql += " and exists (select 1 from PU_ArrivalVouchs ArrLine where ArrLine.ID = pu_ArrHead.ID and " +
               open_line("ArrLine.iQuantity", "ArrLine.iQuantity - ISNULL(ArrLine.fValidInQuan, 0)") + ")";
    return sql + and_fragment(where) + " order by pu_ArrHead.dDate, pu_ArrHead.cCode";
}

std::string dispatch_heads_sql(bool show_executed, const std::string& where) {
    std::string sql =
        "select DispatchList.DLID as dlid, VouchType.cVouchName as cbillname, DispatchList.cDLCode as cdlcode, "
        "DispatchList.cSBVCode as csbvcode, DispatchList.dDate as ddate, SaleType.cSTName as cstname, "
        "DispatchList.cBusType as cbustype, Customer.cCusName as ccusname, Department.cDepName as cdepname, "
        "Person.cPersonName as cpersonname, DispatchList.cMaker as cmaker, DispatchList.cVerifier as cverifier, "
        "DispatchList.cVouchType as cvouchtype, DispatchList.cCusCode as ccuscode, "
        "Customer.cCusAbbName as ccusabbname, DispatchList.cDepCode as cdepcode, "
        "DispatchList.cPersonCode as cpersoncode, DispatchList.cSTCode as cstcode, DispatchList.cMemo as cmemo "
        "from DispatchList left join VouchType on VouchType.cVouchType = DispatchList.cVouchType "
        "left join SaleType on SaleType.cSTCode = DispatchList.cSTCode "
        "left join Customer on Customer.cCusCode = DispatchList.cCusCode "
        "left join Department on Department.cDepCode = DispatchList.cDepCode "
        "left join Person on Person.cPersonCode = DispatchList.cPersonCode "
        "where ISNULL(DispatchList.cCloser, '') = ''";
    if (!show_executed)
        sql += " and exists (select 1 from DispatchLists DlLine where DlLine.DLID = DispatchList.DLID and " +
               open_line("DlLine.iQuantity", "DlLine.iQuantity - ISNULL(DlLine.fOutQuantity, 0)") + ")";
    return sql + and_fragment(where) + " order by DispatchList.dDate, DispatchList.cDLCode";
}

std::string order_lines_sql(const Variant& poid, const std::string& where) {
    return "select PO_Podetails.ID as id, PO_Podetails.POID as poid, PO_Podetails.cInvCode as cinvcode, " +
           inventory_columns() +
           "cast(null as nvarchar(10)) as cwhcode, cast(null as nvarchar(40)) as cwhname, "
           "PO_Podetails.dArriveDate as darrivedate, cast(null as nvarchar(60)) as cbatch, "
           "cast(null as datetime) as dmadedate, cast(null as datetime) as dvdate, Inventory.iMassDate as imassdate, "
           "PO_Podetails.iInvExchRate as iinvexchrate, " +
           unit_columns() +
           "cast(null as nvarchar(30)) as cinvouchcode, cast(null as int) as icorid, "
           "Inventory.iGroupType as igrouptype, Inventory.fInExcess as finexcess, PO_Podetails.iArrQTY as iarrqty, "
           "PO_Podetails.iArrNum as iarrnum, PO_Podetails.iUnitPrice as iunitprice, " +
           free_columns("PO_Podetails") +
           "case when PO_Podetails.iQuantity >= 0 then 1 else 0 end as bquansign, "
           "PO_Podetails.iQuantity as iquantity, PO_Podetails.iNum as inum, "
           "PO_Podetails.iReceivedQTY as ireceivedqty, PO_Podetails.iReceivedNum as ireceivednum "
           "from PO_Podetails" +
           inventory_joins("PO_Podetails") + " where PO_Podetails.POID = " + key_literal(poid) +
           and_fragment(where) + " order by PO_Podetails.ID";
}

std::string arrival_lines_sql(const Variant& id, const std::string& where) {
    return "select PU_ArrivalVouchs.Autoid as autoid, PU_ArrivalVouchs.ID as arrid, "
           "PU_ArrivalVouchs.iPOsID as iposid, PU_ArrivalVouchs.cInvCode as cinvcode, " +
           inventory_columns() +
           "PU_ArrivalVouchs.cWhCode as cwhcode, Warehouse.cWhName as cwhname, PU_ArrivalVouchs.cBatch as cbatch, "
           "PU_ArrivalVouchs.dMadeDate as dmadedate, PU_ArrivalVouchs.dVDate as dvdate, "
           "PU_ArrivalVouchs.iMassDate as imassdate, PU_ArrivalVouchs.iInvExchRate as iinvexchrate, " +
           unit_columns() +
           "cast(null as nvarchar(30)) as cinvouchcode, cast(null as int) as icorid, "
           "Inventory.iGroupType as igrouptype, Inventory.fInExcess as finexcess, "
           "PU_ArrivalVouchs.iUnitPrice as iunitprice, " +
           free_columns("PU_ArrivalVouchs") +
           "case when PU_ArrivalVouchs.iQuantity >= 0 then 1 else 0 end as bquansign, 0 as ball, "
           "PU_ArrivalVouchs.iQuantity as iquantity, PU_ArrivalVouchs.iNum as inum, "
           "PU_ArrivalVouchs.fValidInQuan as fvalidinquan, PU_ArrivalVouchs.fValidInNum as fvalidinnum "
           "from PU_ArrivalVouchs" +
           inventory_joins("PU_ArrivalVouchs") +
           " left join Warehouse on Warehouse.cWhCode = PU_ArrivalVouchs.cWhCode"
           " where PU_ArrivalVouchs.ID = " +
           key_literal(id) + and_fragment(where) + " order by PU_ArrivalVouchs.Autoid";
}

// The lines of every open dispatch document; the forms narrow them to one
// head with their fragment.
std::string dispatch_lines_sql(const std::string& where) {
    return "select DispatchLists.DLsID as autoid, DispatchLists.DLID as dlid, DispatchLists.cInvCode as cinvcode, " +
           inventory_columns() +
           "DispatchLists.cWhCode as cwhcode, Warehouse.cWhName as cwhname, cast(null as nvarchar(30)) as ccode, "
           "cast(null as int) as ibatch, DispatchLists.cBatch as cbatch, DispatchLists.dMadeDate as dmadedate, "
           "DispatchLists.dVDate as dvdate, DispatchLists.iMassDate as imassdate, "
           "DispatchLists.iInvExchRate as iinvexchrate, " +
           unit_columns() +
           "Inventory.iGroupType as igrouptype, Inventory.fOutExcess as foutexcess, "
           "DispatchLists.iUnitPrice as iunitprice, " +
           free_columns("DispatchLists") +
           "case when DispatchLists.iQuantity >= 0 then 1 else 0 end as bquansign, "
           "DispatchLists.iQuantity as iquantity, DispatchLists.iNum as inum, "
           "DispatchLists.fOutQuantity as foutquantity, DispatchLists.fOutNum as foutnum "
           "from DispatchLists inner join DispatchList on DispatchList.DLID = DispatchLists.DLID" +
           inventory_joins("DispatchLists") +
           " left join Warehouse on Warehouse.cWhCode = DispatchLists.cWhCode"
           " where ISNULL(DispatchList.cCloser, '') = ''" +
           and_fragment(where) + " order by DispatchLists.DLID, DispatchLists.DLsID";
}

// "2,2,3" -> 2, 2, 3; a part that is no positive number ends the rule.
std::shared_ptr<Collection> parse_rule(const std::string& rule) {
    auto levels = std::make_shared<Collection>();
    std::size_t start = 0;
    while (start <= rule.size()) {
        std::size_t comma = rule.find(',', start);
        std::string part = vb::Trim(rule.substr(start, comma == std::string::npos ? std::string::npos : comma - start));
        if (part.empty() || !vb::IsNumeric(Variant(part)) || vb::CLng(Variant(part)) <= 0) break;
        levels->Add(Variant::long_value(vb::CLng(Variant(part))));
        if (comma == std::string::npos) break;
        start = comma + 1;
    }
    return levels;
}

}  // namespace

AccountSourceQueryService::AccountSourceQueryService(ContextSource sales_context)
    : sales_context_(std::move(sales_context)) {}

ado::RecordsetPtr AccountSourceQueryService::open(const session::PermissionServicePtr& context,
                                                  const std::string& sql) {
    if (!context) err::raise(err::kObjectNotSet);
    remember(context);
    auto rs = ado::Recordset::create();
    rs->put_CursorLocation(ado::adUseClient);
    // Batch-optimistic: the forms add and change records of these sets in memory.
    rs->Open(sql, context->GetConnection(), ado::adOpenStatic, ado::adLockBatchOptimistic);
    return rs;
}

bool AccountSourceQueryService::open_for_sales(const std::shared_ptr<session::StockOptions>& options,
                                               const std::string& sql, ado::RecordsetPtr& rs, std::string& message) {
    rs.reset();
    try {
        ado::ConnectionPtr con;
        if (options && options->login()) {
            con = ado::Connection::create();
            con->Open(options->login()->ConnectionString());
        } else {
            session::PermissionServicePtr context;
            try {
                if (sales_context_) context = sales_context_();
            } catch (const Error&) {
                // No entry point has made a context yet: try the purchase one below.
            }
            if (!context) context = last_context_.lock();
            if (!context) {
                message = kNoAccount;
                return false;
            }
            con = context->GetConnection();
        }
        auto opened = ado::Recordset::create();
        opened->put_CursorLocation(ado::adUseClient);
        opened->Open(sql, con, ado::adOpenStatic, ado::adLockBatchOptimistic);
        rs = opened;
        return true;
    } catch (const Error& e) {
        message = e.description();
        return false;
    }
}

ado::RecordsetPtr AccountSourceQueryService::GetArrivalHeads(const session::PermissionServicePtr& context,
                                                             const std::string& where) {
    return open(context, arrival_heads_sql(show_executed_, where));
}

ado::RecordsetPtr AccountSourceQueryService::GetArrivalLines(const session::PermissionServicePtr& context,
                                                             const Variant& id, const std::string& where) {
    return open(context, arrival_lines_sql(id, where));
}

ado::RecordsetPtr AccountSourceQueryService::GetOrderHeads(const session::PermissionServicePtr& context,
                                                           const std::string& where) {
    return open(context, order_heads_sql(show_executed_, where));
}

ado::RecordsetPtr AccountSourceQueryService::GetOrderLines(const session::PermissionServicePtr& context,
                                                           const Variant& poid, const std::string& where) {
    return open(context, order_lines_sql(poid, where));
}

bool AccountSourceQueryService::GetDispatchHeads(const std::shared_ptr<session::StockOptions>& options,
                                                 const std::string& where, ado::RecordsetPtr& rs,
                                                 std::string& message) {
    return open_for_sales(options, dispatch_heads_sql(show_executed_, where), rs, message);
}

bool AccountSourceQueryService::GetDispatchLines(const std::shared_ptr<session::StockOptions>& options,
                                                 const std::string& where, ado::RecordsetPtr& rs,
                                                 std::string& message) {
    return open_for_sales(options, dispatch_lines_sql(where), rs, message);
}

std::shared_ptr<Collection> AccountSourceQueryService::GetClassCodeRule(const session::PermissionServicePtr& service) {
    if (!service) err::raise(err::kObjectNotSet);
    remember(service);
    auto con = service->GetConnection();
    auto rule = ado::Recordset::create();
    rule->Open("select cRule from CodeRule where cObject = 'InventoryClass'", con, ado::adOpenStatic,
               ado::adLockReadOnly);
    if (!rule->Eof()) return parse_rule(vb::text_or_empty((*rule)(Variant("cRule"))));

    // No rule stored: the longest code of each grade tells its level's length.
    auto classes = ado::Recordset::create();
    classes->Open("select iInvCGrade, cInvCCode from InventoryClass", con, ado::adOpenStatic, ado::adLockReadOnly);
    std::map<long, std::size_t> longest;
    for (; !classes->Eof(); classes->MoveNext()) {
        long grade = vb::CLng((*classes)(Variant("iInvCGrade")));
        std::size_t length = vb::text_or_empty((*classes)(Variant("cInvCCode"))).size();
        auto& l = longest[grade];
        l = std::max(l, length);
    }
    auto levels = std::make_shared<Collection>();
    std::size_t above = 0;
    for (const auto& [grade, length] : longest) {
        if (length <= above) break;
        levels->Add(Variant::long_value(static_cast<std::int32_t>(length - above)));
        above = length;
    }
    return levels;
}

}  // namespace korvane::host
