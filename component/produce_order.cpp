#include "component/produce_order.h"

#include "platform/ado/statement_values.h"
#include "component/class_table.h"
#include "component/guard.h"
#include "component/ids.h"
#include "component/module_state.h"
#include "generation/production/produce_order_form.h"
#include "generation/purchase/stock_order_form.h"
#include "generation/sales/cons_form.h"
#include "platform/vb/error.h"

namespace korvane::component {

using namespace table;

ProduceOrder::ProduceOrder() { ModuleStartup(); }

ProduceOrder::Prepared ProduceOrder::prepare(const std::string& id, const session::LoginPtr& oLogin) {
    if (!oLogin) err::raise(err::kObjectNotSet);
    auto con = ado::Connection::create();
    con->Open(oLogin->ConnectionString(), "", "");
    connection_ = con;
    auto permission = renew_permission_with_options(oLogin);
    // An empty id keeps the clause of the instance's earlier call.
    if (!id.empty()) filter_clause_ = "cCode = '" + ado::quoted_text(id) + "'";
    Prepared p{form_services(permission), {}};
    p.context.connection = connection_;
    p.context.filter_clause = filter_clause_;
    p.context.owner = this;
    return p;
}

template <class F, class Adjust>
std::shared_ptr<F> ProduceOrder::open_form(const std::string& id, const session::LoginPtr& oLogin, Adjust&& adjust) {
    Prepared p = prepare(id, oLogin);
    auto form = std::make_shared<F>(std::move(p.services));
    adjust(form, p.context);
    form->set_context(std::move(p.context));
    form->Show(ui::vbModal);
    return form;
}

bool ProduceOrder::load(const std::string& sProOrderId, const session::LoginPtr& oLogin, CollectionPtr& oCollReurn,
                        std::string& ErrMsg, bool bOI, std::int32_t sVoutype) {
    return guarded(
        produce_order_prefix::kLoad, ErrMsg,
        [&] {
            open_form<generation::frmProduceOrder>(sProOrderId, oLogin, [&](auto&, generation::FormContext& c) {
                vouch_type_ = sVoutype;
                c.bOI = bOI;
            });
            oCollReurn = collection_;
            return true;
        },
        [&] { oCollReurn = nullptr; });
}

bool ProduceOrder::loadStockOrder(const std::string& sStockOrderId, const session::LoginPtr& oLogin,
                                  CollectionPtr& oCollReurn, std::string& ErrMsg, Ref<bool> bStockOrder) {
    return guarded(
        produce_order_prefix::kLoadStockOrder, ErrMsg,
        [&] {
            auto form = open_form<generation::frmStockOrder>(
                sStockOrderId, oLogin, [&](const auto& f, generation::FormContext&) { stock_order_form_ = f; });
            bStockOrder.get() = form->bStockOrder();
            oCollReurn = collection_;
            return true;
        },
        [&] { oCollReurn = nullptr; });
}

bool ProduceOrder::loadConsignment(const std::string& sConsId, const session::LoginPtr& oLogin,
                                   CollectionPtr& oCollReurn, std::string& ErrMsg) {
    return guarded(
        produce_order_prefix::kLoadConsignment, ErrMsg,
        [&] {
            open_form<generation::frmCons>(sConsId, oLogin, [&](const auto& f, generation::FormContext& c) {
                consignment_form_ = f;
                f->set_tracing(tracing_);
                c.login = oLogin;
            });
            ErrMsg = err_msg_;
            oCollReurn = collection_;
            return true;
        },
        [&] { oCollReurn = nullptr; });
}

bool ProduceOrder::WritefQuantity(std::int32_t sSubId, double lQuantity, std::string& ErrMsg, bool bOI,
                                  const std::string& cInvCode) {
    return guarded(produce_order_prefix::kWritefQuantity, ErrMsg, [&] {
        writeback_component_ = module().make_production_order();
        if (bOI)
            writeback_component_->WritePlanQuantity(sSubId, cInvCode, lQuantity, connection_, ErrMsg, "");
        else
            writeback_component_->WriteOrderQuantity(sSubId, cInvCode, lQuantity, connection_, ErrMsg, "");
        return ErrMsg.empty();
    });
}

bool ProduceOrder::WritebThrow(std::int32_t sSubId, bool bThrow, std::string& ErrMsg) {
    return guarded(produce_order_prefix::kWritebThrow, ErrMsg, [&] {
        if (!writeback_component_) writeback_component_ = module().make_production_order();
        writeback_component_->WriteThrow(sSubId, bThrow, connection_, ErrMsg, "");
        return ErrMsg.empty();
    });
}

bool ProduceOrder::WritefDispQuantity(std::int32_t sSubId, double lQuantity, std::string& ErrMsg, double lNum) {
    return guarded(produce_order_prefix::kWritefDispQuantity, ErrMsg, [&] {
        auto component = module().make_dispatch_write_back();
        component->WriteOutQuantity(connection_, sSubId, "", lQuantity, lNum, ErrMsg);
        return ErrMsg.empty();
    });
}

namespace {
// A kept form, or 91 for one this instance never created.
generation::SourceForm& kept(const std::shared_ptr<generation::SourceForm>& form) {
    if (!form) err::raise(err::kObjectNotSet);
    return *form;
}
}  // namespace

void ProduceOrder::ShowForm(bool bFormName) { kept(bFormName ? stock_order_form_ : consignment_form_).Show(ui::vbModal); }

void ProduceOrder::UnLoadForm(bool bFormName) { kept(bFormName ? stock_order_form_ : consignment_form_).Unload(); }

const ClassInfo& ProduceOrder::info() {
    using P = ProduceOrder;
    static const ClassInfo info{
        "ProduceOrder", "_ProduceOrder", "KORVANE.ProduceOrder", ids::kProduceOrderClsid, ids::kProduceOrderIid,
        {
            {1, "oCollection", 0x40030005, Get, {}, RT::Collection,
             [](Object& o, Frame&) { return result(ObjectPtr(self_as<P>(o).oCollection())); }},
            {2, "oCollection", 0x40030005, PutRef, {{"c", PT::Collection}}, RT::None,
             [](Object& o, Frame& f) { self_as<P>(o).putref_oCollection(f.coll(0)); return Variant(); }},
            {3, "eVouchType", 0x40030006, Get, {}, RT::Long,
             [](Object& o, Frame&) { return result(self_as<P>(o).eVouchType()); }},
            {4, "eVouchType", 0x40030006, Put, {{"t", PT::Long}}, RT::None,
             [](Object& o, Frame& f) { self_as<P>(o).put_eVouchType(f.lng(0)); return Variant(); }},
            {5, "sErrMsg", 0x40030007, Get, {}, RT::String,
             [](Object& o, Frame&) { return result(self_as<P>(o).sErrMsg()); }},
            {6, "sErrMsg", 0x40030007, Put, {{"s", PT::String}}, RT::None,
             [](Object& o, Frame& f) { self_as<P>(o).put_sErrMsg(f.str(0)); return Variant(); }},
            {7, "load", 0x60030000, M,
             {{"sProOrderId", PT::String}, {"oLogin", PT::Login}, {"oCollReurn", PT::Collection, IO},
              {"ErrMsg", PT::String, IO}, opt("bOI", PT::Boolean, In, Variant(false)), opt("sVoutype", PT::Long, In)},
             RT::Boolean,
             [](Object& o, Frame& f) {
                 return result(self_as<P>(o).load(f.str(0), f.login(1), f.coll(2), f.str(3), f.boolean(4), f.lng(5)));
             }},
            {8, "WritefQuantity", 0x60030001, M,
             {{"sSubId", PT::Long}, {"lQuantity", PT::Double}, {"ErrMsg", PT::String, IO},
              opt("bOI", PT::Boolean, In, Variant(false)), opt("cInvCode", PT::String, In)},
             RT::Boolean,
             [](Object& o, Frame& f) {
                 return result(self_as<P>(o).WritefQuantity(f.lng(0), f.dbl(1), f.str(2), f.boolean(3), f.str(4)));
             }},
            {9, "WritebThrow", 0x60030002, M,
             {{"sSubId", PT::Long}, {"bThrow", PT::Boolean}, {"ErrMsg", PT::String, IO}}, RT::Boolean,
             [](Object& o, Frame& f) { return result(self_as<P>(o).WritebThrow(f.lng(0), f.boolean(1), f.str(2))); }},
            {10, "loadStockOrder", 0x60030003, M,
             {{"sStockOrderId", PT::String}, {"oLogin", PT::Login}, {"oCollReurn", PT::Collection, IO},
              {"ErrMsg", PT::String, IO}, opt("bStockOrder", PT::Boolean, IO, Variant(true))},
             RT::Boolean,
             [](Object& o, Frame& f) {
                 return result(self_as<P>(o).loadStockOrder(f.str(0), f.login(1), f.coll(2), f.str(3), f.boolean(4)));
             }},
            {11, "loadConsignment", 0x60030004, M,
             {{"sConsId", PT::String}, {"oLogin", PT::Login}, {"oCollReurn", PT::Collection, IO},
              {"ErrMsg", PT::String, IO}},
             RT::Boolean,
             [](Object& o, Frame& f) {
                 return result(self_as<P>(o).loadConsignment(f.str(0), f.login(1), f.coll(2), f.str(3)));
             }},
            {12, "ShowForm", 0x60030005, M, {opt("bFormName", PT::Boolean, In, Variant(true))}, RT::None,
             [](Object& o, Frame& f) { self_as<P>(o).ShowForm(f.boolean(0)); return Variant(); }},
            {13, "WritefDispQuantity", 0x60030006, M,
             {{"sSubId", PT::Long}, {"lQuantity", PT::Double}, {"ErrMsg", PT::String, IO}, opt("lNum", PT::Double, In)},
             RT::Boolean,
             [](Object& o, Frame& f) {
                 return result(self_as<P>(o).WritefDispQuantity(f.lng(0), f.dbl(1), f.str(2), f.dbl(3)));
             }},
            {14, "UnLoadForm", 0x60030007, M, {opt("bFormName", PT::Boolean, In, Variant(true))}, RT::None,
             [](Object& o, Frame& f) { self_as<P>(o).UnLoadForm(f.boolean(0)); return Variant(); }},
        },
        [] { return ObjectPtr(ProduceOrder::create()); }};
    return info;
}

}  // namespace korvane::component
