#include "platform/vb/variant.h"

#include <atomic>
#include <cmath>
#include <new>

#include "platform/vb/error.h"

namespace korvane {

struct Variant::StrBlock {
    std::atomic<std::uint32_t> refs;
    std::uint32_t len;
    char data[1];
};

struct Variant::ObjBox {
    std::atomic<std::uint32_t> refs;
    ObjectPtr ptr;
};

Variant::Variant(ObjectPtr obj) {
    set_kind(VarType::Object);
    if (obj) num_.obj = new ObjBox{{1}, std::move(obj)};
}

Variant Variant::currency_scaled(std::int64_t v) noexcept {
    Variant r;
    r.set_kind(VarType::Currency);
    r.num_.i = v;
    return r;
}

Variant Variant::currency(double v) {
    const double scaled = std::round(v * 10000.0);
    // 2^63 is exact as a double; the comparison also refuses NaN
    if (!(scaled >= -0x1p63 && scaled < 0x1p63)) err::raise(err::kOverflow);
    return currency_scaled(static_cast<std::int64_t>(scaled));
}

void Variant::set_string(std::string_view s) {
    // the block keeps a 32-bit length; VB's own strings stop at 2^31 characters
    if (s.size() > 0x7FFFFFFFu) err::raise(err::kOutOfMemory);
    set_kind(VarType::String);
    if (s.size() <= kInlineChars) {
        small_len_ = static_cast<std::uint8_t>(s.size());
        std::memcpy(inline_chars(), s.data(), s.size());
        return;
    }
    auto* b = static_cast<StrBlock*>(::operator new(offsetof(StrBlock, data) + s.size() + 1));
    new (&b->refs) std::atomic<std::uint32_t>(1);
    b->len = static_cast<std::uint32_t>(s.size());
    std::memcpy(b->data, s.data(), s.size());
    b->data[s.size()] = '\0';
    small_len_ = kHeapMark;
    num_.str = b;
}

std::string_view Variant::heap_str() const noexcept { return {num_.str->data, num_.str->len}; }

ObjectPtr Variant::object() const noexcept {
    if (kind_ != VarType::Object || !num_.obj) return {};
    return num_.obj->ptr;
}

void Variant::copy_from(const Variant& o) noexcept {
    std::memcpy(static_cast<void*>(this), &o, sizeof(Variant));
    if (o.heap_string()) num_.str->refs.fetch_add(1, std::memory_order_relaxed);
    else if (o.kind_ == VarType::Object && o.num_.obj) num_.obj->refs.fetch_add(1, std::memory_order_relaxed);
}

void Variant::release() noexcept {
    if (heap_string()) {
        if (num_.str->refs.fetch_sub(1, std::memory_order_acq_rel) == 1) {
            num_.str->refs.~atomic();
            ::operator delete(num_.str);
        }
    } else if (kind_ == VarType::Object && num_.obj) {
        if (num_.obj->refs.fetch_sub(1, std::memory_order_acq_rel) == 1) delete num_.obj;
    }
}

bool Variant::is_number() const noexcept {
    switch (kind_) {
    case VarType::Integer: case VarType::Long: case VarType::Single: case VarType::Double:
    case VarType::Currency: case VarType::Decimal: case VarType::Byte: case VarType::LongLong:
        return true;
    default:
        return false;
    }
}

double Variant::number() const noexcept {
    switch (kind_) {
    case VarType::Boolean: case VarType::Integer: case VarType::Long: case VarType::Byte:
    case VarType::LongLong: case VarType::Error:
        return static_cast<double>(num_.i);
    case VarType::Currency:
        return static_cast<double>(num_.i) / 10000.0;
    case VarType::Single: case VarType::Double: case VarType::Decimal: case VarType::Date:
        return num_.d;
    default:
        return 0.0;
    }
}

bool Variant::same_as(const Variant& o) const noexcept {
    if (kind_ != o.kind_) return false;
    switch (kind_) {
    case VarType::Empty: case VarType::Null: return true;
    case VarType::String: return str() == o.str();
    case VarType::Object: return object() == o.object();
    case VarType::Single: case VarType::Double: case VarType::Decimal: case VarType::Date:
        return num_.d == o.num_.d;
    default: return num_.i == o.num_.i;
    }
}

}  // namespace korvane
