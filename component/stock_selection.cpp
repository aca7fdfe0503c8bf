#include "component/stock_selection.h"

#include "component/ref_select.h"

namespace korvane::component {

namespace {

class RefSelectSelection : public generation::StockSelection {
public:
    bool AutoRefer(const session::LoginPtr& oLogin, std::string& sWhcode, std::string& sInvCode, CollectionPtr& sFree,
                   double& iQuantity, double& iNum, double& iExchRate, std::int32_t& RefType, std::string& sSql,
                   bool& bIsRedVouch, bool& bMutiSel, std::string& sRefFrom, std::string& sReturnErr) override {
        return r_.AutoRefer(oLogin, sWhcode, sInvCode, sFree, iQuantity, iNum, iExchRate, RefType, sSql, bIsRedVouch,
                            bMutiSel, sRefFrom, sReturnErr);
    }
    bool Refer(const session::LoginPtr& oLogin, std::string& sWhcode, std::string& sInvCode, CollectionPtr& sFree,
               double& iQuantity, double& iNum, double& iExchRate, std::int32_t& RefType, std::string& sSql,
               bool& bIsRedVouch, bool& bMutiSel, std::string& sRefFrom) override {
        return r_.Refer(oLogin, sWhcode, sInvCode, sFree, iQuantity, iNum, iExchRate, RefType, sSql, bIsRedVouch,
                        bMutiSel, sRefFrom);
    }
    ado::RecordsetPtr ReturnData() const override { return r_.ReturnData(); }
    void set_tracing(bool on) override { r_.set_tracing(on); }
    std::shared_ptr<const selection::AllocationTrace> last_trace() const override { return r_.trace(); }
    bool CreateAndDropTmpCurrentStock(const session::LoginPtr& oLogin, bool& bCreate) override {
        return r_.CreateAndDropTmpCurrentStock(oLogin, bCreate);
    }
    bool CreateAndDropTmpRdrecord(const session::LoginPtr& oLogin, bool& bCreate) override {
        return r_.CreateAndDropTmpRdrecord(oLogin, bCreate);
    }
    std::string GetAllBSQL(std::string& STRSQL) override { return r_.GetAllBSQL(STRSQL); }
    std::string GetAllRDSSQL(std::string& STRSQL) override { return r_.GetAllRDSSQL(STRSQL); }
    std::int32_t GetAutoID(const session::LoginPtr& oLogin, const std::string& sWhcode, const std::string& sInvCode,
                           const std::array<std::string, 10>& f, const std::string& sBatch) override {
        std::string w = sWhcode, i = sInvCode, b = sBatch;
        std::array<std::string, 10> v = f;
        return r_.GetAutoID(oLogin, w, i, v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7], v[8], v[9], b);
    }
    bool UpdateTmpCurrentStock(const session::LoginPtr& oLogin, double& q, double& n, std::int32_t& id) override {
        return r_.UpdateTmpCurrentStock(oLogin, q, n, id);
    }
    bool UpdateTmpRdrecords(const session::LoginPtr& oLogin, double& q, double& n, std::int32_t& id) override {
        return r_.UpdateTmpRdrecords(oLogin, q, n, id);
    }

private:
    RefSelect r_;
};

}  // namespace

generation::StockSelectionPtr make_stock_selection() { return std::make_shared<RefSelectSelection>(); }

}  // namespace korvane::component
