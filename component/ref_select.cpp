#include "component/ref_select.h"

#include "platform/ado/statement_values.h"
#include "platform/vb/error.h"
#include "selection/texts.h"
#include "component/class_table.h"
#include "component/guard.h"
#include "component/ids.h"
#include "component/module_state.h"
#include "platform/vb/convert.h"
#include "selection/scratch_tables.h"
#include "session/permission_service.h"

namespace korvane::component {

using namespace table;

namespace {
// The scratch-table members' connection: the kept one of the account,
// without making a session service the module-wide one.
ado::ConnectionPtr scratch_connection(const session::LoginPtr& login) {
    ado::ConnectionPtr con = account_connection(login);
    if (con->State() != ado::adStateOpen) con->Open(login->ConnectionString());
    return con;
}

// What earlier lines of a scratch-table run took, for the trace: read only
// when the selection joins this workstation's scratch table.
selection::frmRefSelect::TraceRequest trace_request(const std::string& sql, const ado::ConnectionPtr& con) {
    selection::frmRefSelect::TraceRequest r;
    const std::string prefix = selection::ScratchTableName(module().objects);
    std::string table;
    if (std::string t = prefix + selection::texts::kCurrentSuffix; sql.find(t) != std::string::npos) {
        table = t;
        r.id_field = "现存量编号";
    } else if (t = prefix + selection::texts::kReceiptSuffix; sql.find(t) != std::string::npos) {
        table = t;
        r.id_field = "入库系统编号";
    }
    if (table.empty()) return r;
    auto rs = ado::Recordset::create();
    rs->put_CursorLocation(ado::adUseClient);
    rs->Open("select AutoID, fSumOutQ from " + table + " where fSumOutQ <> 0", con, ado::adOpenStatic,
             ado::adLockReadOnly);
    for (; !rs->Eof(); rs->MoveNext())
        r.earlier[static_cast<long>(vb::CDbl((*rs)(Variant("AutoID"))))] =
            selection::Amount::of(vb::CDbl((*rs)(Variant("fSumOutQ"))));
    return r;
}
}  // namespace

RefSelect::RefSelect() { ModuleStartup(); }

bool RefSelect::prepare(const session::LoginPtr& oLogin, const std::string& sWhcode, const std::string& sInvCode,
                        const CollectionPtr& sFree, double iQuantity, double iNum, double iExchRate,
                        std::int32_t RefType, const std::string& sSql, bool bIsRedVouch, bool bMutiSel,
                        const std::string& sRefFrom, bool detached, std::string* text_mode) {
    return_data_.reset();
    // Amounts the allocation cannot hold exactly, before anything is opened.
    ado::checked_amount(iQuantity);
    ado::checked_amount(iNum);
    ado::checked_amount(iExchRate);
    if (iExchRate < 0) {
        // refused as the dialog refuses a negative rate typed into it
        if (text_mode && !text_mode->empty()) *text_mode = selection::texts::kNoNegativeRate;
        else ui_host().MsgBox(selection::texts::kNoNegativeRate);
        dialog_.reset();
        return false;
    }
    auto permission = renew_permission(oLogin);
    dialog_ = std::make_shared<selection::frmRefSelect>(form_services(permission));
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
    if (tracing_) d.set_trace_request(trace_request(selection_text_, permission->GetConnection()));
    return true;
}

bool RefSelect::AutoRefer(const session::LoginPtr& oLogin, Ref<std::string> sWhcode, Ref<std::string> sInvCode,
                          Ref<CollectionPtr> sFree, Ref<double> iQuantity, Ref<double> iNum, Ref<double> iExchRate,
                          Ref<std::int32_t> RefType, Ref<std::string> sSql, Ref<bool> bIsRedVouch,
                          Ref<bool> bMutiSel, Ref<std::string> sRefFrom, Ref<std::string> sReturnErr) {
    if (!prepare(oLogin, sWhcode.get(), sInvCode.get(), sFree.get(), iQuantity.get(), iNum.get(), iExchRate.get(),
                 RefType.get(), sSql.get(), bIsRedVouch.get(), bMutiSel.get(), sRefFrom.get(), true, &sReturnErr.get()))
        return false;
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
    if (!prepare(oLogin, sWhcode.get(), sInvCode.get(), sFree.get(), iQuantity.get(), iNum.get(), iExchRate.get(),
                 RefType.get(), sSql.get(), bIsRedVouch.get(), bMutiSel.get(), sRefFrom.get(), false, nullptr))
        return false;
    dialog_->Show(ui::vbModal);
    // A host whose window closed without unloading the dialog has chosen nothing.
    if (dialog_->loaded()) dialog_->Unload();
    return_data_ = dialog_->DataFrom();
    return false;
}

void RefSelect::put_ExchRate(const Variant& rate) { exch_rate_ = vb::CDbl(rate); }

bool RefSelect::CreateAndDropTmpCurrentStock(const session::LoginPtr& oLogin, bool& bCreate) {
    auto con = scratch_connection(oLogin);
    selection::ScratchTables t{selection::ScratchTableName(module().objects), module().sql};
    if (bCreate) t.create(*con, selection::ScratchKind::CurrentStock);
    else t.drop(*con, selection::ScratchKind::CurrentStock);
    return false;
}

bool RefSelect::CreateAndDropTmpRdrecord(const session::LoginPtr& oLogin, bool& bCreate) {
    auto con = scratch_connection(oLogin);
    selection::ScratchTables t{selection::ScratchTableName(module().objects), module().sql};
    if (bCreate) t.create(*con, selection::ScratchKind::ReceiptLines);
    else t.drop(*con, selection::ScratchKind::ReceiptLines);
    return false;
}

bool RefSelect::UpdateTmpCurrentStock(const session::LoginPtr& oLogin, double& fSumOutQ, double& fSumOutN,
                                      std::int32_t& AutoID) {
    auto con = scratch_connection(oLogin);
    selection::ScratchTables{selection::ScratchTableName(module().objects), module().sql}.add(
        *con, selection::ScratchKind::CurrentStock, fSumOutQ, fSumOutN, AutoID);
    return false;
}

bool RefSelect::UpdateTmpRdrecords(const session::LoginPtr& oLogin, double& fSumOutQ, double& fSumOutN,
                                   std::int32_t& AutoID) {
    auto con = scratch_connection(oLogin);
    selection::ScratchTables{selection::ScratchTableName(module().objects), module().sql}.add(
        *con, selection::ScratchKind::ReceiptLines, fSumOutQ, fSumOutN, AutoID);
    return false;
}

std::string RefSelect::GetAllBSQL(std::string& STRSQL) {
    return selection::GetAllBSQL(STRSQL, selection::ScratchTableName(module().objects));
}

std::string RefSelect::GetAllRDSSQL(std::string& STRSQL) {
    return selection::GetAllRDSSQL(STRSQL, selection::ScratchTableName(module().objects));
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

const ClassInfo& RefSelect::info() {
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

}  // namespace korvane::component
