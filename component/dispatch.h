// The dispatch surface: what a host that calls by dispatch id sees of a
// public class — its ids, and per interface slot the member's dispatch id,
// kind, parameters and result — and the binding of each slot to the C++
// member.
//
// A call converts the caller's Variants into typed slots (a missing optional
// argument takes its default), runs the member on the slots, then writes the
// in/out slots back into the caller's Variants, also when the member raised.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "platform/ado/recordset.h"
#include "platform/vb/collection.h"
#include "platform/vb/variant.h"
#include "session/login.h"

namespace korvane::component {

// IDispatch::Invoke's flags; a caller may combine them as VB does
// (Method | PropertyGet for a read).
enum class InvokeKind : unsigned { Method = 1, PropertyGet = 2, PropertyPut = 4, PropertyPutRef = 8 };
constexpr InvokeKind operator|(InvokeKind a, InvokeKind b) {
    return static_cast<InvokeKind>(static_cast<unsigned>(a) | static_cast<unsigned>(b));
}
constexpr bool has_kind(InvokeKind flags, InvokeKind k) {
    return (static_cast<unsigned>(flags) & static_cast<unsigned>(k)) != 0;
}

// VB's numbers for what can go wrong at the dispatch boundary.
namespace dispatch_err {
inline constexpr long kCannotCreate = 429;
inline constexpr long kArgNotOptional = 449;
inline constexpr long kWrongArgCount = 450;
inline constexpr const char* kCannotCreateText = "ActiveX component can't create object";
inline constexpr const char* kArgNotOptionalText = "Argument not optional";
inline constexpr const char* kWrongArgCountText = "Wrong number of arguments or invalid property assignment";
}  // namespace dispatch_err

enum class ParamType { String, Double, Boolean, Long, Integer, Variant, Recordset, Connection, Collection, Login, Object };
enum class ResultType { None, String, Double, Boolean, Long, Variant, Recordset, Collection };
enum class Direction { In, InOut };

struct ParamInfo {
    const char* name;
    ParamType type;
    Direction direction = Direction::In;
    bool optional = false;
    Variant default_value = {};  // for an optional parameter; Empty = the type's zero
};

class Frame;
struct MemberInfo {
    int slot;                 // 1-based interface slot
    const char* name;
    std::int32_t dispid;
    InvokeKind kind;          // exactly one kind
    std::vector<ParamInfo> params;
    ResultType result;
    Variant (*call)(Object& self, Frame& frame);
};

struct ClassInfo {
    const char* name;            // "RefSelect"
    const char* interface_name;  // "_RefSelect"
    const char* prog_id;         // "KORVANE.RefSelect"
    const char* clsid;
    const char* iid;
    std::vector<MemberInfo> members;  // in slot order
    ObjectPtr (*create)();

    // The member of this dispatch id whose kind is among `kinds`; nullptr when none.
    const MemberInfo* find(std::int32_t dispid, InvokeKind kinds) const;
};

// Every public class is one of these.
class Dispatchable : public Object {
public:
    virtual const ClassInfo& class_info() const = 0;
};

// The five classes, in the order ReturnInvSet, TrackSet, PositionSet,
// RefSelect, ProduceOrder.
const std::vector<const ClassInfo*>& all_classes();
// By class id (braces optional, any case) or ProgID (any case); nullptr when unknown.
const ClassInfo* find_class(std::string_view clsid_or_progid);

// The typed argument slots of one call.
class Frame {
public:
    // Raises 450 for too many arguments, 449 for a missing required one, and
    // the conversion's error (13, 94, 6, 424) for a value of the wrong kind.
    Frame(const MemberInfo& member, std::vector<Variant>& args);

    std::string& str(std::size_t i) { return std::get<std::string>(slots_.at(i)); }
    double& dbl(std::size_t i) { return std::get<double>(slots_.at(i)); }
    bool& boolean(std::size_t i) { return std::get<bool>(slots_.at(i)); }
    std::int32_t& lng(std::size_t i) { return std::get<std::int32_t>(slots_.at(i)); }
    std::int16_t& integer(std::size_t i) { return std::get<std::int16_t>(slots_.at(i)); }
    Variant& var(std::size_t i) { return std::get<Variant>(slots_.at(i)); }
    ado::RecordsetPtr& rs(std::size_t i) { return std::get<ado::RecordsetPtr>(slots_.at(i)); }
    ado::ConnectionPtr& con(std::size_t i) { return std::get<ado::ConnectionPtr>(slots_.at(i)); }
    std::shared_ptr<Collection>& coll(std::size_t i) { return std::get<std::shared_ptr<Collection>>(slots_.at(i)); }
    session::LoginPtr& login(std::size_t i) { return std::get<session::LoginPtr>(slots_.at(i)); }
    ObjectPtr& obj(std::size_t i) { return std::get<ObjectPtr>(slots_.at(i)); }

    // Copies the in/out slots into the caller's Variants that exist.
    void write_back();

private:
    using Slot = std::variant<std::string, double, bool, std::int32_t, std::int16_t, Variant, ado::RecordsetPtr,
                              ado::ConnectionPtr, std::shared_ptr<Collection>, session::LoginPtr, ObjectPtr>;
    const MemberInfo& member_;
    std::vector<Variant>& args_;
    std::vector<Slot> slots_;
};

// Result conversions for the binding lambdas.
inline Variant result(bool b) { return Variant(b); }
inline Variant result(double d) { return Variant(d); }
inline Variant result(std::int32_t l) { return Variant::long_value(l); }
inline Variant result(const std::string& s) { return Variant(s); }
inline Variant result(const ObjectPtr& o) { return Variant(o); }

}  // namespace korvane::component
