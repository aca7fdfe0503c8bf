#include "component/position_set.h"

#include "component/class_table.h"
#include "component/guard.h"
#include "component/ids.h"
#include "component/module_state.h"
#include "positions/batch_position_form.h"
#include "platform/vb/error.h"

namespace korvane::component {

using namespace table;

PositionSet::PositionSet() {
    ModuleStartup();
    service_ = module().make_position_service();
}

bool PositionSet::Delete(const ObjectPtr& oInvPos) {
    bool result = false;
    service_->Delete(oInvPos, nullptr, nullptr, nullptr, result);
    return result;
}

bool PositionSet::Insert(const ObjectPtr& oInvPos) {
    bool result = false;
    service_->Insert(oInvPos, nullptr, nullptr, nullptr, result);
    return result;
}

bool PositionSet::Update(const ObjectPtr& oInvPos) {
    bool result = false;
    service_->Update(oInvPos, nullptr, nullptr, nullptr, result);
    return result;
}

void PositionSet::BatchInvPos(const session::LoginPtr& oLogin, const std::string& StrName, std::string& sReturnWhere) {
    if (!oLogin) err::raise(err::kObjectNotSet);
    ModuleState& m = module();
    connection_ = ado::Connection::create();
    connection_->Open(oLogin->ConnectionString(), "", "");
    lists_ = m.make_voucher_list();
    lists_->put_ShowTotal(true);
    const std::string position_key = oLogin->PositionKey();
    form_ = std::make_shared<positions::frmBatchPosition>(ui_host(), lists_);
    std::string list_key, caption;
    std::int32_t columns = 0;
    lists_->Init("ST", position_key, connection_, form_, list_key, caption, columns);

    if (!filter_) filter_ = m.make_filter_service();
    filter_result_ = filter_->OpenFilter(StrName, "ST", connection_);
    if (filter_result_ == 1) {
        condition_ = filter_->GetCondition();
        if (!condition_) err::raise(err::kObjectNotSet);
        sReturnWhere = condition_->ConditionText;
    }
    // the list shows what the filter chose; a cancelled filter lists every position
    lists_->put_Condition(filter_result_ == 1 ? sReturnWhere : std::string());
    filter_->Close();
    filter_.reset();

    positions::frmBatchPosition shown(ui_host(), lists_);
    shown.Show(ui::vbModal);
    if (shown.loaded()) shown.Unload();
}

const ClassInfo& PositionSet::info() {
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

}  // namespace korvane::component
