#include "component/return_inv_set.h"

#include "component/class_table.h"
#include "component/guard.h"
#include "component/ids.h"
#include "component/module_state.h"

namespace korvane::component {

using namespace table;

ReturnInvSet::ReturnInvSet() { ModuleStartup(); }
ReturnInvSet::~ReturnInvSet() { module().selection_where.clear(); }
ado::RecordsetPtr ReturnInvSet::RecordsetValue() const { return module().returned_recordset; }
void ReturnInvSet::put_RecordsetValue(ado::RecordsetPtr rs) { module().returned_recordset = std::move(rs); }
void ReturnInvSet::frmShow(const session::LoginPtr& oLogin, std::int16_t, Ref<std::string> sWhere) {
    renew_permission(oLogin);
    module().selection_where = sWhere.get();
    not_yet("ReturnInvSet.frmShow");
}

const ClassInfo& ReturnInvSet::info() {
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

}  // namespace korvane::component
