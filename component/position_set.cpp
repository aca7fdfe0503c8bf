#include "component/position_set.h"

#include "component/class_table.h"
#include "component/guard.h"
#include "component/ids.h"
#include "component/module_state.h"

namespace korvane::component {

using namespace table;

PositionSet::PositionSet() { ModuleStartup(); }
bool PositionSet::Delete(const ObjectPtr&) { not_yet("PositionSet.Delete"); }
bool PositionSet::Insert(const ObjectPtr&) { not_yet("PositionSet.Insert"); }
bool PositionSet::Update(const ObjectPtr&) { not_yet("PositionSet.Update"); }
void PositionSet::BatchInvPos(const session::LoginPtr&, const std::string&, std::string&) {
    not_yet("PositionSet.BatchInvPos");
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
