// A record set read back as texts, for comparing with what a case expects.
#pragma once

#include <string>
#include <vector>

#include "platform/ado/recordset.h"
#include "platform/vb/convert.h"

namespace korvane::testing {

// One field of every record, in order; "" for Null.
inline std::vector<std::string> column(const ado::RecordsetPtr& rs, const char* field) {
    std::vector<std::string> out;
    if (rs->RecordCount() == 0) return out;
    for (rs->MoveFirst(); !rs->Eof(); rs->MoveNext()) out.push_back(vb::text_or_empty((*rs)(Variant(field))));
    return out;
}

// The fields' names, in order.
inline std::vector<std::string> field_names(const ado::Recordset& rs) {
    std::vector<std::string> out;
    for (int i = 0; i < rs.Fields().Count(); ++i) out.push_back(rs.Fields().Item(Variant(i)).Name());
    return out;
}

}  // namespace korvane::testing
