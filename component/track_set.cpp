#include "component/track_set.h"

#include "component/class_table.h"
#include "component/guard.h"
#include "component/ids.h"
#include "component/module_state.h"
#include "writeback/track_set.h"

namespace korvane::component {

using namespace table;

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

writeback::CheckedWrite TrackSet::CheckedWritCount(const std::vector<std::string>& rds_ids,
                                                   const ado::RecordsetPtr& rsHead, const ado::RecordsetPtr& rsBody,
                                                   const ado::ConnectionPtr& oCon, const ObjectPtr& oInventory,
                                                   bool bRDorCS) {
    return writeback::CheckedWritCount(module().sql, rds_ids, rsHead, rsBody, oCon, oInventory, bRDorCS);
}

const ClassInfo& TrackSet::info() {
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

}  // namespace korvane::component
