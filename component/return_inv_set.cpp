#include "component/return_inv_set.h"

#include "component/class_table.h"
#include "component/guard.h"
#include "component/ids.h"
#include "component/module_state.h"
#include "invselect/return_inv_set_form.h"

namespace korvane::component {

using namespace table;

ReturnInvSet::ReturnInvSet() { ModuleStartup(); }
ReturnInvSet::~ReturnInvSet() { module().selection_where.clear(); }
ado::RecordsetPtr ReturnInvSet::RecordsetValue() const { return module().returned_recordset; }
void ReturnInvSet::put_RecordsetValue(ado::RecordsetPtr rs) { module().returned_recordset = std::move(rs); }
void ReturnInvSet::frmShow(const session::LoginPtr& oLogin, std::int16_t ShowMode, Ref<std::string> sWhere) {
    auto permission = renew_permission(oLogin);
    ModuleState& m = module();
    m.selection_where = sWhere.get();
    invselect::SelectionState state{&m.returned_recordset, &m.selection_where, &m.selection_connection};
    auto dialog = std::make_shared<invselect::frmReturnInvSet>(form_services(permission), state);
    // a modeless dialog stays with the module until the next one
    if (ShowMode != ui::vbModal) m.selection_dialog = dialog;
    dialog->Show(ShowMode);
    if (ShowMode == ui::vbModal && dialog->loaded()) dialog->Unload();
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
