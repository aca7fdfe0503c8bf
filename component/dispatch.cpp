#include "component/dispatch.h"

#include <cmath>

#include "component/korvane.h"
#include "component/module_state.h"
#include "component/position_set.h"
#include "component/produce_order.h"
#include "component/ref_select.h"
#include "component/return_inv_set.h"
#include "component/track_set.h"
#include "platform/vb/ascii.h"
#include "platform/vb/convert.h"
#include "platform/vb/error.h"

namespace korvane::component {

namespace {

std::string fold(std::string_view s) {
    std::string out;
    for (char c : s)
        if (c != '{' && c != '}') out += vb::upper_ascii(c);
    return out;
}

template <class T>
std::shared_ptr<T> object_of(const Variant& v) {
    if (v.is_empty() || (v.is_object() && !v.object())) return nullptr;  // Nothing
    if (!v.is_object()) err::raise(err::kObjectRequired);
    auto p = v.as<T>();
    if (!p) err::raise(err::kTypeMismatch);
    return p;
}

}  // namespace

const MemberInfo* ClassInfo::find(std::int32_t dispid, InvokeKind kinds) const {
    for (const auto& m : members) {
        if (m.dispid != dispid) continue;
        if (has_kind(kinds, m.kind)) return &m;
        // an object property assigned with Set reaches its let
        if (m.kind == InvokeKind::PropertyPut && has_kind(kinds, InvokeKind::PropertyPutRef)) return &m;
    }
    return nullptr;
}

Frame::Frame(const MemberInfo& member, std::vector<Variant>& args) : member_(member), args_(args) {
    if (args.size() > member.params.size())
        throw Error(dispatch_err::kWrongArgCount, dispatch_err::kWrongArgCountText);
    slots_.reserve(member.params.size());
    for (std::size_t i = 0; i < member.params.size(); ++i) {
        const ParamInfo& p = member.params[i];
        bool missing = i >= args.size() || args[i].is_empty();
        if (missing && !p.optional && p.type != ParamType::Variant && i >= args.size())
            throw Error(dispatch_err::kArgNotOptional, dispatch_err::kArgNotOptionalText);
        const Variant& v = missing && p.optional ? p.default_value : (i < args.size() ? args[i] : p.default_value);
        switch (p.type) {
        case ParamType::String: slots_.emplace_back(v.is_empty() ? std::string() : vb::CStr(v)); break;
        case ParamType::Double: slots_.emplace_back(v.is_empty() ? 0.0 : vb::CDbl(v)); break;
        case ParamType::Boolean: slots_.emplace_back(v.is_empty() ? false : vb::CBool(v)); break;
        case ParamType::Long: slots_.emplace_back(v.is_empty() ? std::int32_t{0} : vb::CLng(v)); break;
        case ParamType::Integer: {
            std::int32_t l = v.is_empty() ? 0 : vb::CLng(v);
            if (l < -32768 || l > 32767) err::raise(err::kOverflow);
            slots_.emplace_back(static_cast<std::int16_t>(l));
            break;
        }
        case ParamType::Variant: slots_.emplace_back(v); break;
        case ParamType::Recordset: slots_.emplace_back(object_of<ado::Recordset>(v)); break;
        case ParamType::Connection: slots_.emplace_back(object_of<ado::Connection>(v)); break;
        case ParamType::Collection: slots_.emplace_back(object_of<Collection>(v)); break;
        case ParamType::Login: slots_.emplace_back(object_of<session::oLogin>(v)); break;
        case ParamType::Object: slots_.emplace_back(object_of<Object>(v)); break;
        }
    }
}

void Frame::write_back() {
    for (std::size_t i = 0; i < member_.params.size() && i < args_.size(); ++i) {
        if (member_.params[i].direction != Direction::InOut) continue;
        std::visit(
            [&](auto& slot) {
                using T = std::decay_t<decltype(slot)>;
                if constexpr (std::is_same_v<T, std::string> || std::is_same_v<T, double> ||
                              std::is_same_v<T, bool> || std::is_same_v<T, std::int16_t>)
                    args_[i] = Variant(slot);
                else if constexpr (std::is_same_v<T, std::int32_t>)
                    args_[i] = Variant::long_value(slot);
                else if constexpr (std::is_same_v<T, Variant>)
                    args_[i] = slot;
                else
                    args_[i] = slot ? Variant(ObjectPtr(slot)) : Variant();
            },
            slots_[i]);
    }
}

const ClassInfo* find_class(std::string_view clsid_or_progid) {
    std::string key = fold(clsid_or_progid);
    for (const ClassInfo* c : all_classes())
        if (fold(c->clsid) == key || fold(c->prog_id) == key) return c;
    return nullptr;
}

ObjectPtr create_object(std::string_view clsid_or_progid) {
    const ClassInfo* c = find_class(clsid_or_progid);
    if (!c) throw Error(dispatch_err::kCannotCreate, dispatch_err::kCannotCreateText);
    ModuleStartup();
    return c->create();
}

Variant invoke(const ObjectPtr& object, std::int32_t dispid, InvokeKind kind, std::vector<Variant>& args) {
    if (!object) err::raise(err::kObjectNotSet);
    auto* target = dynamic_cast<Dispatchable*>(object.get());
    if (!target) err::raise(err::kNoSuchMember);
    const MemberInfo* member = target->class_info().find(dispid, kind);
    if (!member) err::raise(err::kNoSuchMember);
    Frame frame(*member, args);
    try {
        Variant r = member->call(*object, frame);
        frame.write_back();
        return r;
    } catch (...) {
        frame.write_back();
        throw;
    }
}

Variant invoke(const ObjectPtr& object, std::int32_t dispid, InvokeKind kind) {
    std::vector<Variant> none;
    return invoke(object, dispid, kind, none);
}

const std::vector<const ClassInfo*>& all_classes() {
    static const std::vector<const ClassInfo*> classes = {&ReturnInvSet::info(), &TrackSet::info(), &PositionSet::info(),
                                                          &RefSelect::info(), &ProduceOrder::info()};
    return classes;
}

}  // namespace korvane::component
