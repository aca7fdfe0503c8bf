// The five public classes: their members and their dispatch tables.
#include "component/guard.h"
#include "component/ids.h"
#include "component/module_state.h"
#include "component/position_set.h"
#include "component/produce_order.h"
#include "component/ref_select.h"
#include "component/return_inv_set.h"
#include "component/track_set.h"
#include "generation/production/produce_order_form.h"
#include "generation/purchase/stock_order_form.h"
#include "generation/sales/cons_form.h"
#include "platform/vb/convert.h"
#include "platform/vb/error.h"
#include "selection/scratch_tables.h"
#include "session/permission_service.h"
#include "writeback/track_set.h"

namespace korvane::component {

namespace {

using PT = ParamType;
using RT = ResultType;
constexpr auto In = Direction::In;
constexpr auto IO = Direction::InOut;
constexpr auto M = InvokeKind::Method;
constexpr auto Get = InvokeKind::PropertyGet;
constexpr auto Put = InvokeKind::PropertyPut;
constexpr auto PutRef = InvokeKind::PropertyPutRef;

ParamInfo opt(const char* name, PT type, Direction d, Variant def = {}) { return {name, type, d, true, def}; }

template <class T>
T& self_as(Object& o) {
    return static_cast<T&>(o);
}

// A private session service for the scratch-table members: it is not made
// the module-wide one.
ado::ConnectionPtr scratch_connection(const session::LoginPtr& login) {
    auto service = session::PermissionService::create();
    service->InitFromSession(login);
    return service->GetConnection();
}

}  // namespace

// ---------------------------------------------------------------- ReturnInvSet

ReturnInvSet::ReturnInvSet() { ModuleStartup(); }
ReturnInvSet::~ReturnInvSet() { module().selection_where.clear(); }
ado::RecordsetPtr ReturnInvSet::RecordsetValue() const { return module().returned_recordset; }
void ReturnInvSet::put_RecordsetValue(ado::RecordsetPtr rs) { module().returned_recordset = std::move(rs); }
void ReturnInvSet::frmShow(const session::LoginPtr& oLogin, std::int16_t, Ref<std::string> sWhere) {
    renew_permission(oLogin);
    module().selection_where = sWhere.get();
    not_yet("ReturnInvSet.frmShow");  // the inventory picker dialog comes with the form runtime
}

namespace {
// Kept outside the class: listing the classes must not make (and release) a
// ReturnInvSet, whose release empties the where-text.
const ClassInfo& return_inv_set_info() {
    static const ClassInfo info{
        "ReturnInvSet", "_ReturnInvSet", "KORVANE.ReturnInvSet", ids::kReturnInvSetClsid, ids::kReturnInvSetIid,
        {
            {1, "RecordsetValue", 0x68030000, Get, {}, RT::Recordset,
             [](Object& o, Frame&) { return result(ObjectPtr(self_as<ReturnInvSet>(o).RecordsetValue())); }},
            {2, "RecordsetValue", 0x68030000, Put, {{"rs", PT::Recordset}}, RT::None,
             [](Object& o, Frame& f) { self_as<ReturnInvSet>(o).put_RecordsetValue(f.rs(0)); return Variant(); }},
            {3, "frmShow", 0x60030001, M,
             {{"oLogin", PT::Login}, {"ShowMode", PT::Integer}, opt("sWhere", PT::String, IO, Variant(""))}, RT::None,
             [](Object& o, Frame& f) {
                 self_as<ReturnInvSet>(o).frmShow(f.login(0), f.integer(1), f.str(2));
                 return Variant();
             }},
        },
        [] { return ObjectPtr(ReturnInvSet::create()); }};
    return info;
}
}  // namespace

const ClassInfo& ReturnInvSet::class_info() const { return return_inv_set_info(); }

// ---------------------------------------------------------------- TrackSet

TrackSet::TrackSet() { ModuleStartup(); }

bool TrackSet::WritCountofRD_CS(const std::string& sRdsID, const ado::RecordsetPtr& rsHead,
                                const ado::RecordsetPtr& rsBody, const ado::ConnectionPtr& oCon, bool bRDorCS,
                                std::string& ErrMsg, Ref<bool> bIO) {
    return guarded("TrackSet:WritCountofRD_CS", ErrMsg, [&] {
        return writeback::WritCountofRD_CS(module().sql, sRdsID, rsHead, rsBody, oCon, bRDorCS, bIO.get());
    });
}

bool TrackSet::AllowWritCount(const std::string& sRdsID, const ado::RecordsetPtr& rsHead,
                              const ado::RecordsetPtr& rsBody, const ado::ConnectionPtr& oCon,
                              const ObjectPtr& oInventory, std::string& ErrMsg, bool bRDorCS) {
    return guarded("TrackSet:AllowWritCount", ErrMsg, [&] {
        return writeback::AllowWritCount(module().sql, sRdsID, rsHead, rsBody, oCon, oInventory, ErrMsg, bRDorCS);
    });
}

const ClassInfo& TrackSet::class_info() const {
    static const ClassInfo info{
        "TrackSet", "_TrackSet", "KORVANE.TrackSet", ids::kTrackSetClsid, ids::kTrackSetIid,
        {
            {1, "WritCountofRD_CS", 0x60030000, M,
             {{"sRdsID", PT::String}, {"rsHead", PT::Recordset}, {"rsBody", PT::Recordset}, {"oCon", PT::Connection},
              {"bRDorCS", PT::Boolean}, {"ErrMsg", PT::String, IO}, opt("bIO", PT::Boolean, IO, Variant(true))},
             RT::Boolean,
             [](Object& o, Frame& f) {
                 return result(self_as<TrackSet>(o).WritCountofRD_CS(f.str(0), f.rs(1), f.rs(2), f.con(3), f.boolean(4),
                                                                     f.str(5), f.boolean(6)));
             }},
            {2, "AllowWritCount", 0x60030001, M,
             {{"sRdsID", PT::String}, {"rsHead", PT::Recordset}, {"rsBody", PT::Recordset}, {"oCon", PT::Connection},
              {"oInventory", PT::Object}, {"ErrMsg", PT::String, IO}, opt("bRDorCS", PT::Boolean, In, Variant(true))},
             RT::Boolean,
             [](Object& o, Frame& f) {
                 return result(self_as<TrackSet>(o).AllowWritCount(f.str(0), f.rs(1), f.rs(2), f.con(3), f.obj(4),
                                                                   f.str(5), f.boolean(6)));
             }},
        },
        [] { return ObjectPtr(TrackSet::create()); }};
    return info;
}

// ---------------------------------------------------------------- PositionSet

PositionSet::PositionSet() { ModuleStartup(); }
bool PositionSet::Delete(const ObjectPtr&) { not_yet("PositionSet.Delete"); }
bool PositionSet::Insert(const ObjectPtr&) { not_yet("PositionSet.Insert"); }
bool PositionSet::Update(const ObjectPtr&) { not_yet("PositionSet.Update"); }
void PositionSet::BatchInvPos(const session::LoginPtr&, const std::string&, std::string&) {
    not_yet("PositionSet.BatchInvPos");
}

const ClassInfo& PositionSet::class_info() const {
    static const ClassInfo info{
        "PositionSet", "_PositionSet", "KORVANE.PositionSet", ids::kPositionSetClsid, ids::kPositionSetIid,
        {
            {1, "Delete", 0x60030000, M, {{"oInvPos", PT::Object}}, RT::Boolean,
             [](Object& o, Frame& f) { return result(self_as<PositionSet>(o).Delete(f.obj(0))); }},
            {2, "Insert", 0x60030001, M, {{"oInvPos", PT::Object}}, RT::Boolean,
             [](Object& o, Frame& f) { return result(self_as<PositionSet>(o).Insert(f.obj(0))); }},
            {3, "Update", 0x60030002, M, {{"oInvPos", PT::Object}}, RT::Boolean,
             [](Object& o, Frame& f) { return result(self_as<PositionSet>(o).Update(f.obj(0))); }},
            {4, "BatchInvPos", 0x60030004, M,
             {{"oLogin", PT::Login}, {"StrName", PT::String}, {"sReturnWhere", PT::String, IO}}, RT::None,
             [](Object& o, Frame& f) {
                 self_as<PositionSet>(o).BatchInvPos(f.login(0), f.str(1), f.str(2));
                 return Variant();
             }},
        },
        [] { return ObjectPtr(PositionSet::create()); }};
    return info;
}

// ---------------------------------------------------------------- RefSelect

RefSelect::RefSelect() { ModuleStartup(); }

void RefSelect::prepare(const session::LoginPtr& oLogin, const std::string& sWhcode, const std::string& sInvCode,
                        const CollectionPtr& sFree, double iQuantity, double iNum, double iExchRate,
                        std::int32_t RefType, const std::string& sSql, bool bIsRedVouch, bool bMutiSel,
                        const std::string& sRefFrom, bool detached) {
    auto permission = renew_permission(oLogin);
    dialog_ = std::make_shared<selection::frmRefSelect>(ui_host(), permission);
    return_data_.reset();
    selection_text_ = sSql;
    auto& d = *dialog_;
    d.put_WhCode(sWhcode);
    d.put_InvCode(sInvCode);
    d.put_Free(sFree);
    d.put_Quantity(iQuantity);
    d.put_Num(iNum);
    d.put_RefType(RefType);
    d.put_ExchRate(Variant(iExchRate));
    d.put_IsRedVouch(bIsRedVouch);
    d.put_MutiSel(bMutiSel);
    d.put_RefFrom(sRefFrom);
    auto rs = ado::Recordset::create();
    rs->put_CursorLocation(ado::adUseClient);
    rs->Open(selection_text_, permission->GetConnection(), ado::adOpenDynamic, ado::adLockBatchOptimistic);
    // The automatic pass must not hold the account's rows while it works.
    if (detached) rs = shared_helper()->CopyRecordset(*rs);
    d.put_DataFrom(rs);
}

bool RefSelect::AutoRefer(const session::LoginPtr& oLogin, Ref<std::string> sWhcode, Ref<std::string> sInvCode,
                          Ref<CollectionPtr> sFree, Ref<double> iQuantity, Ref<double> iNum, Ref<double> iExchRate,
                          Ref<std::int32_t> RefType, Ref<std::string> sSql, Ref<bool> bIsRedVouch,
                          Ref<bool> bMutiSel, Ref<std::string> sRefFrom, Ref<std::string> sReturnErr) {
    prepare(oLogin, sWhcode.get(), sInvCode.get(), sFree.get(), iQuantity.get(), iNum.get(), iExchRate.get(),
            RefType.get(), sSql.get(), bIsRedVouch.get(), bMutiSel.get(), sRefFrom.get(), true);
    // AutoMatch refills the grid at once; nobody sees the fill of the load
    dialog_->set_fill_on_load(false);
    dialog_->Load();
    dialog_->AutoMatch(sReturnErr.get());
    dialog_->TaskRun("ok");
    return_data_ = dialog_->DataFrom();
    return false;
}

bool RefSelect::Refer(const session::LoginPtr& oLogin, Ref<std::string> sWhcode, Ref<std::string> sInvCode,
                      Ref<CollectionPtr> sFree, Ref<double> iQuantity, Ref<double> iNum, Ref<double> iExchRate,
                      Ref<std::int32_t> RefType, Ref<std::string> sSql, Ref<bool> bIsRedVouch, Ref<bool> bMutiSel,
                      Ref<std::string> sRefFrom) {
    prepare(oLogin, sWhcode.get(), sInvCode.get(), sFree.get(), iQuantity.get(), iNum.get(), iExchRate.get(),
            RefType.get(), sSql.get(), bIsRedVouch.get(), bMutiSel.get(), sRefFrom.get(), false);
    dialog_->Show(ui::vbModal);
    // A host whose window closed without unloading the dialog has chosen nothing.
    if (dialog_->loaded()) dialog_->Unload();
    return_data_ = dialog_->DataFrom();
    return false;
}

void RefSelect::put_ExchRate(const Variant& rate) { exch_rate_ = vb::CDbl(rate); }

bool RefSelect::CreateAndDropTmpCurrentStock(const session::LoginPtr& oLogin, bool& bCreate) {
    auto con = scratch_connection(oLogin);
    selection::ScratchTables t{selection::ScratchTableName(), module().sql};
    if (bCreate) t.create(*con, selection::ScratchKind::CurrentStock);
    else t.drop(*con, selection::ScratchKind::CurrentStock);
    return false;
}

bool RefSelect::CreateAndDropTmpRdrecord(const session::LoginPtr& oLogin, bool& bCreate) {
    auto con = scratch_connection(oLogin);
    selection::ScratchTables t{selection::ScratchTableName(), module().sql};
    if (bCreate) t.create(*con, selection::ScratchKind::ReceiptLines);
    else t.drop(*con, selection::ScratchKind::ReceiptLines);
    return false;
}

bool RefSelect::UpdateTmpCurrentStock(const session::LoginPtr& oLogin, double& fSumOutQ, double& fSumOutN,
                                      std::int32_t& AutoID) {
    auto con = scratch_connection(oLogin);
    selection::ScratchTables{selection::ScratchTableName(), module().sql}.add(
        *con, selection::ScratchKind::CurrentStock, fSumOutQ, fSumOutN, AutoID);
    return false;
}

bool RefSelect::UpdateTmpRdrecords(const session::LoginPtr& oLogin, double& fSumOutQ, double& fSumOutN,
                                   std::int32_t& AutoID) {
    auto con = scratch_connection(oLogin);
    selection::ScratchTables{selection::ScratchTableName(), module().sql}.add(
        *con, selection::ScratchKind::ReceiptLines, fSumOutQ, fSumOutN, AutoID);
    return false;
}

std::string RefSelect::GetAllBSQL(std::string& STRSQL) {
    return selection::GetAllBSQL(STRSQL, selection::ScratchTableName());
}

std::string RefSelect::GetAllRDSSQL(std::string& STRSQL) {
    return selection::GetAllRDSSQL(STRSQL, selection::ScratchTableName());
}

std::int32_t RefSelect::GetAutoID(const session::LoginPtr& oLogin, Ref<std::string> sWhcode, Ref<std::string> sInvCode,
                                  Ref<std::string> sFree1, Ref<std::string> sFree2, Ref<std::string> sFree3,
                                  Ref<std::string> sFree4, Ref<std::string> sFree5, Ref<std::string> sFree6,
                                  Ref<std::string> sFree7, Ref<std::string> sFree8, Ref<std::string> sFree9,
                                  Ref<std::string> sFree10, Ref<std::string> sBatch) {
    auto con = scratch_connection(oLogin);
    const std::string free[10] = {sFree1.get(), sFree2.get(), sFree3.get(), sFree4.get(), sFree5.get(),
                                  sFree6.get(), sFree7.get(), sFree8.get(), sFree9.get(), sFree10.get()};
    return selection::GetAutoID(con, module().sql, sWhcode.get(), sInvCode.get(), free, sBatch.get());
}

const ClassInfo& RefSelect::class_info() const {
    static const std::vector<ParamInfo> refer_params = {
        {"oLogin", PT::Login},
        opt("sWhcode", PT::String, IO, Variant("")),
        opt("sInvCode", PT::String, IO, Variant("")),
        opt("sFree", PT::Collection, IO),
        opt("iQuantity", PT::Double, IO),
        opt("iNum", PT::Double, IO),
        opt("iExchRate", PT::Double, IO),
        opt("RefType", PT::Long, IO),
        opt("sSql", PT::String, IO),
        opt("bIsRedVouch", PT::Boolean, IO, Variant(false)),
        opt("bMutiSel", PT::Boolean, IO, Variant(true)),
        opt("sRefFrom", PT::String, IO, Variant("")),
    };
    static const std::vector<ParamInfo> auto_params = [] {
        auto p = refer_params;
        p.push_back(opt("sReturnErr", PT::String, IO, Variant("")));
        return p;
    }();
    static const std::vector<ParamInfo> autoid_params = [] {
        std::vector<ParamInfo> p{{"oLogin", PT::Login}, opt("sWhcode", PT::String, IO, Variant("")),
                                 opt("sInvCode", PT::String, IO, Variant(""))};
        static const char* frees[] = {"sFree1", "sFree2", "sFree3", "sFree4", "sFree5",
                                      "sFree6", "sFree7", "sFree8", "sFree9", "sFree10"};
        for (const char* f : frees) p.push_back(opt(f, PT::String, IO, Variant("")));
        p.push_back(opt("sBatch", PT::String, IO, Variant("")));
        return p;
    }();
    static const std::vector<ParamInfo> amounts = {
        {"oLogin", PT::Login}, {"fSumOutQ", PT::Double, IO}, {"fSumOutN", PT::Double, IO}, {"AutoID", PT::Long, IO}};
    static const ClassInfo info{
        "RefSelect", "_RefSelect", "KORVANE.RefSelect", ids::kRefSelectClsid, ids::kRefSelectIid,
        {
            {1, "AutoRefer", 0x60030002, M, auto_params, RT::Boolean,
             [](Object& o, Frame& f) {
                 return result(self_as<RefSelect>(o).AutoRefer(f.login(0), f.str(1), f.str(2), f.coll(3), f.dbl(4),
                                                               f.dbl(5), f.dbl(6), f.lng(7), f.str(8), f.boolean(9),
                                                               f.boolean(10), f.str(11), f.str(12)));
             }},
            {2, "Refer", 0x60030003, M, refer_params, RT::Boolean,
             [](Object& o, Frame& f) {
                 return result(self_as<RefSelect>(o).Refer(f.login(0), f.str(1), f.str(2), f.coll(3), f.dbl(4),
                                                           f.dbl(5), f.dbl(6), f.lng(7), f.str(8), f.boolean(9),
                                                           f.boolean(10), f.str(11)));
             }},
            {3, "ReturnData", 0x68030001, Get, {}, RT::Recordset,
             [](Object& o, Frame&) { return result(ObjectPtr(self_as<RefSelect>(o).ReturnData())); }},
            {4, "ReturnData", 0x68030001, Put, {{"rs", PT::Recordset}}, RT::None,
             [](Object& o, Frame& f) { self_as<RefSelect>(o).put_ReturnData(f.rs(0)); return Variant(); }},
            {5, "ExchRate", 0x68030000, Get, {}, RT::Variant,
             [](Object& o, Frame&) { return self_as<RefSelect>(o).ExchRate(); }},
            {6, "ExchRate", 0x68030000, Put, {{"rate", PT::Variant}}, RT::None,
             [](Object& o, Frame& f) { self_as<RefSelect>(o).put_ExchRate(f.var(0)); return Variant(); }},
            {7, "CreateAndDropTmpCurrentStock", 0x60030004, M, {{"oLogin", PT::Login}, {"bCreate", PT::Boolean, IO}},
             RT::Boolean,
             [](Object& o, Frame& f) {
                 return result(self_as<RefSelect>(o).CreateAndDropTmpCurrentStock(f.login(0), f.boolean(1)));
             }},
            {8, "GetAllBSQL", 0x60030005, M, {{"STRSQL", PT::String, IO}}, RT::String,
             [](Object& o, Frame& f) { return result(self_as<RefSelect>(o).GetAllBSQL(f.str(0))); }},
            {9, "GetAllRDSSQL", 0x60030006, M, {{"STRSQL", PT::String, IO}}, RT::String,
             [](Object& o, Frame& f) { return result(self_as<RefSelect>(o).GetAllRDSSQL(f.str(0))); }},
            {10, "GetAutoID", 0x60030007, M, autoid_params, RT::Long,
             [](Object& o, Frame& f) {
                 return result(self_as<RefSelect>(o).GetAutoID(f.login(0), f.str(1), f.str(2), f.str(3), f.str(4),
                                                               f.str(5), f.str(6), f.str(7), f.str(8), f.str(9),
                                                               f.str(10), f.str(11), f.str(12), f.str(13)));
             }},
            {11, "UpdateTmpCurrentStock", 0x60030008, M, amounts, RT::Boolean,
             [](Object& o, Frame& f) {
                 return result(self_as<RefSelect>(o).UpdateTmpCurrentStock(f.login(0), f.dbl(1), f.dbl(2), f.lng(3)));
             }},
            {12, "CreateAndDropTmpRdrecord", 0x60030009, M, {{"oLogin", PT::Login}, {"bCreate", PT::Boolean, IO}},
             RT::Boolean,
             [](Object& o, Frame& f) {
                 return result(self_as<RefSelect>(o).CreateAndDropTmpRdrecord(f.login(0), f.boolean(1)));
             }},
            {13, "UpdateTmpRdrecords", 0x6003000a, M, amounts, RT::Boolean,
             [](Object& o, Frame& f) {
                 return result(self_as<RefSelect>(o).UpdateTmpRdrecords(f.login(0), f.dbl(1), f.dbl(2), f.lng(3)));
             }},
        },
        [] { return ObjectPtr(RefSelect::create()); }};
    return info;
}

// ---------------------------------------------------------------- ProduceOrder

ProduceOrder::ProduceOrder() { ModuleStartup(); }

generation::FormContext ProduceOrder::prepare(const std::string& id, const session::LoginPtr& oLogin) {
    if (!oLogin) err::raise(err::kObjectNotSet);
    auto con = ado::Connection::create();
    con->Open(oLogin->ConnectionString(), "", "");
    connection_ = con;
    auto permission = renew_permission_with_options(oLogin);
    // An empty id keeps the clause of the instance's earlier call.
    if (!id.empty()) filter_clause_ = "cCode = '" + id + "'";
    generation::FormContext c;
    c.connection = connection_;
    c.filter_clause = filter_clause_;
    c.owner = this;
    c.permission = permission;
    return c;
}

bool ProduceOrder::load(const std::string& sProOrderId, const session::LoginPtr& oLogin, CollectionPtr& oCollReurn,
                        std::string& ErrMsg, bool bOI, std::int32_t sVoutype) {
    return guarded(
        produce_order_prefix::kLoad, ErrMsg,
        [&] {
            auto form = std::make_shared<generation::frmProduceOrder>(ui_host());
            generation::FormContext c = prepare(sProOrderId, oLogin);
            vouch_type_ = sVoutype;
            c.bOI = bOI;
            form->set_context(std::move(c));
            form->Show(ui::vbModal);
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
            auto form = std::make_shared<generation::frmStockOrder>(ui_host());
            stock_order_form_ = form;
            form->set_context(prepare(sStockOrderId, oLogin));
            form->Show(ui::vbModal);
            bStockOrder.get() = form->from_orders();
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
            auto form = std::make_shared<generation::frmCons>(ui_host());
            consignment_form_ = form;
            generation::FormContext c = prepare(sConsId, oLogin);
            c.login = oLogin;
            form->set_context(std::move(c));
            form->Show(ui::vbModal);
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

const ClassInfo& ProduceOrder::class_info() const {
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

const std::vector<const ClassInfo*>& all_classes() {
    static const std::vector<const ClassInfo*> classes = {
        &return_inv_set_info(), &TrackSet().class_info(), &PositionSet().class_info(),
        &RefSelect().class_info(), &ProduceOrder().class_info()};
    return classes;
}

}  // namespace korvane::component
