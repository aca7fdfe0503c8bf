// SourceQueryService: the host's queries of source documents (purchase
// orders, arrival vouchers, dispatch lists) and of the inventory-class
// coding rule. One instance serves every form of the process.
//
// Each query appends the caller's WHERE fragment (possibly empty) to its own
// statement; the fragment names the host's tables and columns.
#pragma once

#include <memory>
#include <string>

#include "platform/ado/recordset.h"
#include "platform/vb/collection.h"
#include "session/options.h"
#include "session/permission_service.h"

namespace korvane::session {

class SourceQueryService : public Object {
public:
    std::string_view type_name() const override { return "SourceQueryService"; }

    // Arrival-voucher heads carrying `id`, and the lines of one of them.
    virtual ado::RecordsetPtr GetArrivalHeads(const PermissionServicePtr& context, const std::string& where) = 0;
    virtual ado::RecordsetPtr GetArrivalLines(const PermissionServicePtr& context, const Variant& id,
                                              const std::string& where) = 0;
    // Purchase-order heads carrying `poid`, and the lines of one of them.
    virtual ado::RecordsetPtr GetOrderHeads(const PermissionServicePtr& context, const std::string& where) = 0;
    virtual ado::RecordsetPtr GetOrderLines(const PermissionServicePtr& context, const Variant& poid,
                                            const std::string& where) = 0;
    // Dispatch heads carrying `dlid`, and lines ending with iquantity, inum,
    // foutquantity, foutnum. False with a text in `message` when the query
    // cannot be served.
    virtual bool GetDispatchHeads(const std::shared_ptr<StockOptions>& options, const std::string& where,
                                  ado::RecordsetPtr& rs, std::string& message) = 0;
    virtual bool GetDispatchLines(const std::shared_ptr<StockOptions>& options, const std::string& where,
                                  ado::RecordsetPtr& rs, std::string& message) = 0;
    // The code length of each inventory-class level, item 1 the top level.
    virtual std::shared_ptr<Collection> GetClassCodeRule(const PermissionServicePtr& service) = 0;
    // True: later head queries also list documents fully executed but not closed.
    virtual void put_ShowExecuted(bool show) = 0;
};
using SourceQueryServicePtr = std::shared_ptr<SourceQueryService>;

}  // namespace korvane::session
