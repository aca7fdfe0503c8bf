// TrackSet: the check and the write-back of an issue line's amounts to the
// receipt line or current-stock row it was taken from.
//
// Neither member lets an error out: each returns False and leaves
// "TrackSet:<member>" + number + CR LF + description in ErrMsg.
#pragma once

#include <string>

#include "component/by_ref.h"
#include "component/dispatch.h"
#include "platform/ado/recordset.h"
#include "writeback/checked_write.h"

namespace korvane::component {

class TrackSet : public Dispatchable {
public:
    TrackSet();
    static std::shared_ptr<TrackSet> create() { return std::make_shared<TrackSet>(); }
    std::string_view type_name() const override { return "TrackSet"; }
    // The class's dispatch table; reading it makes no object.
    static const ClassInfo& info();
    const ClassInfo& class_info() const override { return info(); }

    // bRDorCS True: the receipt line sRdsID, False: the current-stock row of
    // the line's key; bIO True adds, False subtracts.
    bool WritCountofRD_CS(const std::string& sRdsID, const ado::RecordsetPtr& rsHead, const ado::RecordsetPtr& rsBody,
                          const ado::ConnectionPtr& oCon, bool bRDorCS, std::string& ErrMsg, Ref<bool> bIO = true);
    // True whenever no error occurred; a refusal is the text left in ErrMsg.
    bool AllowWritCount(const std::string& sRdsID, const ado::RecordsetPtr& rsHead, const ado::RecordsetPtr& rsBody,
                        const ado::ConnectionPtr& oCon, const ObjectPtr& oInventory, std::string& ErrMsg,
                        bool bRDorCS = true);

    // For C++ hosts, no dispatch member: the check and the write of every
    // body line as one conditional statement each, so a race with another
    // workstation can refuse a line but never over-issue. A refusal names the
    // line and carries the over-issue message, and leaves every row as it
    // was. Errors travel as exceptions.
    writeback::CheckedWrite CheckedWritCount(const std::vector<std::string>& rds_ids, const ado::RecordsetPtr& rsHead,
                                             const ado::RecordsetPtr& rsBody, const ado::ConnectionPtr& oCon,
                                             const ObjectPtr& oInventory, bool bRDorCS = true);
};

}  // namespace korvane::component
