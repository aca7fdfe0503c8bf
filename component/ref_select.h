// RefSelect: stock selection for one voucher line, and the per-workstation
// scratch tables a run of selections shares.
//
// No member catches errors; the selection members and the scratch-table
// members return False in every case, their outcome is ReturnData,
// sReturnErr and the database. RefType is the PELLIX allocation kind
// (0 batch, 1 tracking, 2 return), passed as a 32-bit integer.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "component/by_ref.h"
#include "component/dispatch.h"
#include "platform/ado/recordset.h"
#include "platform/vb/collection.h"
#include "selection/ref_select_form.h"
#include "session/login.h"

namespace korvane::component {

class RefSelect : public Dispatchable {
public:
    using CollectionPtr = std::shared_ptr<Collection>;

    RefSelect();
    static std::shared_ptr<RefSelect> create() { return std::make_shared<RefSelect>(); }
    std::string_view type_name() const override { return "RefSelect"; }
    // The class's dispatch table; reading it makes no object.
    static const ClassInfo& info();
    const ClassInfo& class_info() const override { return info(); }

    // Runs the automatic allocation without showing the dialog.
    bool AutoRefer(const session::LoginPtr& oLogin, Ref<std::string> sWhcode = {}, Ref<std::string> sInvCode = {},
                   Ref<CollectionPtr> sFree = {}, Ref<double> iQuantity = {}, Ref<double> iNum = {},
                   Ref<double> iExchRate = {}, Ref<std::int32_t> RefType = {}, Ref<std::string> sSql = {},
                   Ref<bool> bIsRedVouch = false, Ref<bool> bMutiSel = true, Ref<std::string> sRefFrom = {},
                   Ref<std::string> sReturnErr = {});
    // Shows the selection dialog modally.
    bool Refer(const session::LoginPtr& oLogin, Ref<std::string> sWhcode = {}, Ref<std::string> sInvCode = {},
               Ref<CollectionPtr> sFree = {}, Ref<double> iQuantity = {}, Ref<double> iNum = {},
               Ref<double> iExchRate = {}, Ref<std::int32_t> RefType = {}, Ref<std::string> sSql = {},
               Ref<bool> bIsRedVouch = false, Ref<bool> bMutiSel = true, Ref<std::string> sRefFrom = {});

    // The chosen rows of the last selection; nullptr when nothing was chosen.
    ado::RecordsetPtr ReturnData() const { return return_data_; }
    void put_ReturnData(ado::RecordsetPtr rs) { return_data_ = std::move(rs); }
    // Asks the later calls to explain their automatic pass; off, a pass
    // costs what it did.
    void set_tracing(bool on) { tracing_ = on; }
    bool tracing() const { return tracing_; }
    // The last call's automatic pass explained, beside ReturnData; null when
    // tracing is off, no pass ran, or the operator changed what it chose.
    std::shared_ptr<const selection::AllocationTrace> trace() const { return dialog_ ? dialog_->trace() : nullptr; }
    // The dialog of the last call, readable after it closed; null before the first.
    std::shared_ptr<selection::frmRefSelect> dialog() const { return dialog_; }
    // Stored and returned only, as a Variant holding a Double.
    Variant ExchRate() const { return Variant(exch_rate_); }
    void put_ExchRate(const Variant& rate);

    bool CreateAndDropTmpCurrentStock(const session::LoginPtr& oLogin, bool& bCreate);
    std::string GetAllBSQL(std::string& STRSQL);
    std::string GetAllRDSSQL(std::string& STRSQL);
    std::int32_t GetAutoID(const session::LoginPtr& oLogin, Ref<std::string> sWhcode = {},
                           Ref<std::string> sInvCode = {}, Ref<std::string> sFree1 = {},
                           Ref<std::string> sFree2 = {}, Ref<std::string> sFree3 = {},
                           Ref<std::string> sFree4 = {}, Ref<std::string> sFree5 = {},
                           Ref<std::string> sFree6 = {}, Ref<std::string> sFree7 = {},
                           Ref<std::string> sFree8 = {}, Ref<std::string> sFree9 = {},
                           Ref<std::string> sFree10 = {}, Ref<std::string> sBatch = {});
    bool UpdateTmpCurrentStock(const session::LoginPtr& oLogin, double& fSumOutQ, double& fSumOutN,
                               std::int32_t& AutoID);
    bool CreateAndDropTmpRdrecord(const session::LoginPtr& oLogin, bool& bCreate);
    bool UpdateTmpRdrecords(const session::LoginPtr& oLogin, double& fSumOutQ, double& fSumOutN,
                            std::int32_t& AutoID);

private:
    // Steps shared by Refer and AutoRefer: a new dialog with the line's
    // data and the opened selection. Amounts beyond what the allocation
    // holds raise 6; a negative rate is refused as the dialog refuses it (in
    // `text_mode` when that is non-empty, else in a message box) and gives
    // false, nothing opened.
    bool prepare(const session::LoginPtr& oLogin, const std::string& sWhcode, const std::string& sInvCode,
                 const CollectionPtr& sFree, double iQuantity, double iNum, double iExchRate, std::int32_t RefType,
                 const std::string& sSql, bool bIsRedVouch, bool bMutiSel, const std::string& sRefFrom, bool detached,
                 std::string* text_mode);

    std::string selection_text_;    // sSql of the last AutoRefer/Refer
    std::shared_ptr<selection::frmRefSelect> dialog_;  // the selection dialog of the last call
    ado::RecordsetPtr return_data_;
    double exch_rate_ = 0;
    bool tracing_ = false;
};

}  // namespace korvane::component
