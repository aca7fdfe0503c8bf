// The selection service as the issue form calls it: one object per line
// (or per pass), the allocation run automatically or in its dialog, and the
// scratch tables a pass shares so that later lines see the stock earlier
// ones took. The component layer hands the forms its own selection class
// behind this.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/ado/recordset.h"
#include "platform/vb/collection.h"
#include "selection/allocation_trace.h"
#include "session/login.h"

namespace korvane::generation {

class StockSelection {
public:
    using CollectionPtr = std::shared_ptr<Collection>;
    virtual ~StockSelection() = default;

    virtual bool AutoRefer(const session::LoginPtr& oLogin, std::string& sWhcode, std::string& sInvCode,
                           CollectionPtr& sFree, double& iQuantity, double& iNum, double& iExchRate,
                           std::int32_t& RefType, std::string& sSql, bool& bIsRedVouch, bool& bMutiSel,
                           std::string& sRefFrom, std::string& sReturnErr) = 0;
    virtual bool Refer(const session::LoginPtr& oLogin, std::string& sWhcode, std::string& sInvCode,
                       CollectionPtr& sFree, double& iQuantity, double& iNum, double& iExchRate, std::int32_t& RefType,
                       std::string& sSql, bool& bIsRedVouch, bool& bMutiSel, std::string& sRefFrom) = 0;
    // The chosen rows of the last call; nullptr when nothing was chosen.
    virtual ado::RecordsetPtr ReturnData() const = 0;
    // Asks the following calls for their trace; off, a call costs what it did.
    virtual void set_tracing(bool on) = 0;
    // The trace of the last call's automatic pass; nullptr when tracing was
    // off, no pass ran, or the operator changed what it chose.
    virtual std::shared_ptr<const selection::AllocationTrace> last_trace() const = 0;

    virtual bool CreateAndDropTmpCurrentStock(const session::LoginPtr& oLogin, bool& bCreate) = 0;
    virtual bool CreateAndDropTmpRdrecord(const session::LoginPtr& oLogin, bool& bCreate) = 0;
    virtual std::string GetAllBSQL(std::string& STRSQL) = 0;
    virtual std::string GetAllRDSSQL(std::string& STRSQL) = 0;
    virtual std::int32_t GetAutoID(const session::LoginPtr& oLogin, const std::string& sWhcode,
                                   const std::string& sInvCode, const std::array<std::string, 10>& sFree,
                                   const std::string& sBatch) = 0;
    virtual bool UpdateTmpCurrentStock(const session::LoginPtr& oLogin, double& fSumOutQ, double& fSumOutN,
                                       std::int32_t& AutoID) = 0;
    virtual bool UpdateTmpRdrecords(const session::LoginPtr& oLogin, double& fSumOutQ, double& fSumOutN,
                                    std::int32_t& AutoID) = 0;
};
using StockSelectionPtr = std::shared_ptr<StockSelection>;

}  // namespace korvane::generation
