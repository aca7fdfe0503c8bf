// ProduceOrder: voucher generation from source documents, and the
// write-back of executed quantities to them afterwards.
//
// Entry points and write-backs never let an error out: each returns False
// with prefix + number + CR LF + description in ErrMsg (the entry points also
// empty oCollReurn). ShowForm and UnLoadForm catch nothing. eVouchType is
// the PELLIX voucher type, passed as a 32-bit integer.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "component/by_ref.h"
#include "component/dispatch.h"
#include "generation/core/source_form.h"
#include "host/production_order.h"
#include "platform/ado/connection.h"
#include "platform/vb/collection.h"
#include "session/login.h"

namespace korvane::component {

namespace produce_order_prefix {
inline constexpr const char* kLoad = "ProduceOrder:load";
inline constexpr const char* kLoadStockOrder = "loadStockOrder:load";
inline constexpr const char* kLoadConsignment = "ProduceOrder:loadConsignment";
inline constexpr const char* kWritefQuantity = "ProduceOrder:WritefQuantity";
inline constexpr const char* kWritebThrow = "ProduceOrder:WritebThrow";
inline constexpr const char* kWritefDispQuantity = "ProduceOrder:WritefDispQuantity";
}  // namespace produce_order_prefix

class ProduceOrder : public Dispatchable, public generation::FormOwner {
public:
    using CollectionPtr = std::shared_ptr<Collection>;

    ProduceOrder();
    static std::shared_ptr<ProduceOrder> create() { return std::make_shared<ProduceOrder>(); }
    std::string_view type_name() const override { return "ProduceOrder"; }
    // The class's dispatch table; reading it makes no object.
    static const ClassInfo& info();
    const ClassInfo& class_info() const override { return info(); }

    // The hand-over collection the open form fills when the user confirms.
    CollectionPtr oCollection() const { return collection_; }
    void putref_oCollection(CollectionPtr c) override { collection_ = std::move(c); }
    std::int32_t eVouchType() const override { return vouch_type_; }
    void put_eVouchType(std::int32_t t) { vouch_type_ = t; }
    std::string sErrMsg() const { return err_msg_; }
    void put_sErrMsg(std::string s) override { err_msg_ = std::move(s); }

    bool load(const std::string& sProOrderId, const session::LoginPtr& oLogin, CollectionPtr& oCollReurn,
              std::string& ErrMsg, bool bOI = false, std::int32_t sVoutype = 0);
    bool WritefQuantity(std::int32_t sSubId, double lQuantity, std::string& ErrMsg, bool bOI = false,
                        const std::string& cInvCode = {});
    bool WritebThrow(std::int32_t sSubId, bool bThrow, std::string& ErrMsg);
    bool loadStockOrder(const std::string& sStockOrderId, const session::LoginPtr& oLogin, CollectionPtr& oCollReurn,
                        std::string& ErrMsg, Ref<bool> bStockOrder = true);
    bool loadConsignment(const std::string& sConsId, const session::LoginPtr& oLogin, CollectionPtr& oCollReurn,
                         std::string& ErrMsg);
    // True the kept purchase form, False the kept sales form.
    void ShowForm(bool bFormName = true);
    bool WritefDispQuantity(std::int32_t sSubId, double lQuantity, std::string& ErrMsg, double lNum = 0);
    void UnLoadForm(bool bFormName = true);

    // The sales form keeps each allocation's trace beside its rows
    // (frmCons::set_tracing) in the calls that follow.
    void set_tracing(bool on) { tracing_ = on; }

    // The kept forms, null until their entry point ran.
    std::shared_ptr<generation::SourceForm> stock_order_form() const { return stock_order_form_; }
    std::shared_ptr<generation::SourceForm> consignment_form() const { return consignment_form_; }

private:
    // Steps 2 to 5 of every entry point: the connection, the renewed
    // session service with its options, the form's services and context.
    struct Prepared {
        generation::FormServices services;
        generation::FormContext context;
    };
    Prepared prepare(const std::string& id, const session::LoginPtr& oLogin);
    // The entry points' common road: prepare, make the form, let `adjust`
    // finish its context (and keep the form), show it modally.
    template <class F, class Adjust>
    std::shared_ptr<F> open_form(const std::string& id, const session::LoginPtr& oLogin, Adjust&& adjust);

    CollectionPtr collection_;
    std::int32_t vouch_type_ = 0;
    std::string err_msg_;
    ado::ConnectionPtr connection_;   // opened by the last entry point; the write-backs use it
    std::string filter_clause_;       // "cCode = '<id>'" of the last non-empty id
    std::shared_ptr<host::ProductionOrderComponent> writeback_component_;  // made by WritefQuantity
    std::shared_ptr<generation::SourceForm> stock_order_form_;   // kept purchase form
    std::shared_ptr<generation::SourceForm> consignment_form_;   // kept sales form
    bool tracing_ = false;
};

}  // namespace korvane::component
