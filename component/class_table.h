// The pieces every public class's dispatch table is written with; internal
// to the component layer.
#pragma once

#include "component/dispatch.h"

namespace korvane::component::table {

using PT = ParamType;
using RT = ResultType;
inline constexpr auto In = Direction::In;
inline constexpr auto IO = Direction::InOut;
inline constexpr auto M = InvokeKind::Method;
inline constexpr auto Get = InvokeKind::PropertyGet;
inline constexpr auto Put = InvokeKind::PropertyPut;
inline constexpr auto PutRef = InvokeKind::PropertyPutRef;

// An optional parameter with its default.
inline ParamInfo opt(const char* name, PT type, Direction d, Variant def = {}) { return {name, type, d, true, def}; }

// The object a binding is called on, as the class whose table it is.
template <class T>
T& self_as(Object& o) {
    return static_cast<T&>(o);
}

}  // namespace korvane::component::table
