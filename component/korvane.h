// KORVANE's public surface for a host that works with class ids and
// dispatch ids: create a public class, invoke a member with Variants.
//
//   auto rs = korvane::component::create_object("KORVANE.RefSelect");
//   std::vector<korvane::Variant> args{korvane::Variant(login)};
//   invoke(rs, 0x68030001, InvokeKind::PropertyGet, args);   // ReturnData
//
// Arguments are in parameter order; an Empty Variant, or leaving trailing
// ones out, omits an optional argument. In/out arguments are written back
// into the caller's Variants.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "component/dispatch.h"
#include "platform/vb/variant.h"

namespace korvane::component {

// By class id ("{5BFEC5F7-...}", braces optional, any case) or ProgID
// ("KORVANE.RefSelect"); raises 429 for anything else.
ObjectPtr create_object(std::string_view clsid_or_progid);

// Runs the member of that dispatch id and kind. Raises 91 without an object,
// 438 for a dispatch id (or kind) the object's interface does not expose,
// 449/450 for a wrong argument count, and whatever the member raises.
Variant invoke(const ObjectPtr& object, std::int32_t dispid, InvokeKind kind, std::vector<Variant>& args);
Variant invoke(const ObjectPtr& object, std::int32_t dispid, InvokeKind kind);

}  // namespace korvane::component
