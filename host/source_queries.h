// Our SourceQueryService: the source-document queries over the account
// database and the inventory-class coding rule.
//
// The statements read the host's tables under their own names, unaliased —
// zpurpoheader / PO_Podetails (purchase orders), pu_ArrHead /
// PU_ArrivalVouchs (arrival vouchers), DispatchList / DispatchLists
// (dispatch lists and sales invoices), with Inventory, Warehouse,
// Department, Person, Customer and VouchType joined as themselves — so that
// the fragments the forms build apply as written. A fragment that is not
// blank is ANDed in, in parentheses; the head statements join no table
// beside the head that has a department code, so a bare cDepCode in a
// fragment means the head's.
//
// Fields, lower case, in this order (a "+" part is hidden by the layouts):
//   order heads     poid cpoid dpodate cptname cbustype cvenabbname cdepname
//                   cpersonname cmaker cverifier + cvencode cdepcode cpersoncode
//                   cptcode cmemo
//   arrival heads   id ccode ddate cptname cbustype cvenabbname cdepname
//                   cpersonname cmaker cverifier + cpoid cvencode cdepcode
//                   cpersoncode cptcode cmemo
//   dispatch heads  dlid cbillname cdlcode csbvcode ddate cstname cbustype
//                   ccusname cdepname cpersonname cmaker cverifier + cvouchtype
//                   ccuscode ccusabbname cdepcode cpersoncode cstcode cmemo
//   order lines     id poid cinvcode cinvaddcode cinvname cinvstd cwhcode
//                   cwhname darrivedate cbatch dmadedate dvdate imassdate
//                   iinvexchrate cinva_unit cinvm_unit cinvouchcode icorid
//                   igrouptype finexcess iarrqty iarrnum iunitprice
//                   cfree1..cfree10 bquansign
//                   iquantity inum ireceivedqty ireceivednum
//   arrival lines   autoid arrid iposid cinvcode ... cinvstd cwhcode cwhname
//                   cbatch dmadedate dvdate imassdate iinvexchrate cinva_unit
//                   cinvm_unit cinvouchcode icorid igrouptype finexcess
//                   iunitprice cfree1..cfree10 bquansign ball
//                   iquantity inum fvalidinquan fvalidinnum
//   dispatch lines  autoid dlid cinvcode ... cinvstd cwhcode cwhname ccode
//                   ibatch cbatch dmadedate dvdate imassdate iinvexchrate
//                   cinva_unit cinvm_unit igrouptype foutexcess iunitprice
//                   cfree1..cfree10 bquansign
//                   iquantity inum foutquantity foutnum
// Each line set ends with the line's quantity, pieces and what has been
// executed of them, so the ordered quantity stands four fields from the end.
//
// Heads: closed documents (cCloser set) are never listed; documents none
// of whose lines has anything left to execute only while ShowExecuted is
// True. A head without lines counts as executed. Lines are listed whatever
// has been executed of them, since a return is made against received ones;
// only the dispatch lines of closed documents are left out.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "session/source_query_service.h"

namespace korvane::host {

class AccountSourceQueryService : public session::SourceQueryService {
public:
    // The sales queries are handed the stock options object only. They run
    // on the account of the session the options were read for; options set
    // by hand name none, and then the account of the context this names is
    // used, else that of the context the latest purchase query was given.
    using ContextSource = std::function<session::PermissionServicePtr()>;

    explicit AccountSourceQueryService(ContextSource sales_context = {});

    ado::RecordsetPtr GetArrivalHeads(const session::PermissionServicePtr& context, const std::string& where) override;
    ado::RecordsetPtr GetArrivalLines(const session::PermissionServicePtr& context, const Variant& id,
                                      const std::string& where) override;
    ado::RecordsetPtr GetOrderHeads(const session::PermissionServicePtr& context, const std::string& where) override;
    ado::RecordsetPtr GetOrderLines(const session::PermissionServicePtr& context, const Variant& poid,
                                    const std::string& where) override;
    bool GetDispatchHeads(const std::shared_ptr<session::StockOptions>& options, const std::string& where,
                          ado::RecordsetPtr& rs, std::string& message) override;
    bool GetDispatchLines(const std::shared_ptr<session::StockOptions>& options, const std::string& where,
                          ado::RecordsetPtr& rs, std::string& message) override;
    // From CodeRule ('InventoryClass'); an account without the row gets the
    // lengths its class codes show per grade, one without classes none.
    std::shared_ptr<Collection> GetClassCodeRule(const session::PermissionServicePtr& service) override;
    void put_ShowExecuted(bool show) override { show_executed_ = show; }
    bool ShowExecuted() const { return show_executed_; }

private:
    ado::RecordsetPtr open(const session::PermissionServicePtr& context, const std::string& sql);
    bool open_for_sales(const std::shared_ptr<session::StockOptions>& options, const std::string& sql,
                        ado::RecordsetPtr& rs, std::string& message);
    void remember(const session::PermissionServicePtr& context) { last_context_ = context; }

    ContextSource sales_context_;
    std::weak_ptr<session::PermissionService> last_context_;
    bool show_executed_ = false;
};

}  // namespace korvane::host
