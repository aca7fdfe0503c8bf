// Variant: the value that crosses every interface, with VB's kinds.
//
// 16 bytes: a kind byte, then either a number, a date, an object box or a
// string. Strings of up to 14 bytes live inline (most codes, batches and short
// Chinese names), longer ones in a shared immutable block, so copying a
// Variant never copies text and a record set of short values allocates
// nothing per field.
#pragma once

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

namespace korvane {

// VB's VarType codes.
enum class VarType : std::uint8_t {
    Empty = 0,
    Null = 1,
    Integer = 2,
    Long = 3,
    Single = 4,
    Double = 5,
    Currency = 6,
    Date = 7,
    String = 8,
    Object = 9,
    Error = 10,
    Boolean = 11,
    Decimal = 14,
    Byte = 17,
    LongLong = 20,
};

// Base of everything a Variant can hold as an object (record sets,
// collections, connections, services).
class Object {
public:
    virtual ~Object() = default;
    virtual std::string_view type_name() const = 0;
};
using ObjectPtr = std::shared_ptr<Object>;

class Variant {
public:
    static constexpr std::size_t kInlineChars = 14;

    Variant() noexcept { clear_bits(); }
    Variant(bool b) noexcept { set_kind(VarType::Boolean); num_.i = b ? -1 : 0; }
    Variant(std::int16_t v) noexcept { set_kind(VarType::Integer); num_.i = v; }
    Variant(int v) noexcept { set_kind(VarType::Long); num_.i = v; }
    Variant(long v) noexcept { set_kind(VarType::LongLong); num_.i = v; }
    Variant(long long v) noexcept { set_kind(VarType::LongLong); num_.i = v; }
    Variant(double v) noexcept { set_kind(VarType::Double); num_.d = v; }
    Variant(std::string_view s) { set_string(s); }
    Variant(const char* s) { set_string(s ? std::string_view(s) : std::string_view()); }
    Variant(const std::string& s) { set_string(s); }
    Variant(ObjectPtr obj);
    Variant(std::nullptr_t) = delete;  // say Variant::null() or Variant() explicitly

    static Variant null() noexcept { Variant v; v.set_kind(VarType::Null); return v; }
    static Variant single(float v) noexcept { Variant r; r.set_kind(VarType::Single); r.num_.d = v; return r; }
    // Currency is held exactly, as VB does: the value times 10,000.
    static Variant currency_scaled(std::int64_t ten_thousandths) noexcept;
    // Rounded to ten-thousandths; beyond about 9.2E+14 (or NaN) raises 6, as CCur does.
    static Variant currency(double v);
    static Variant decimal(double v) noexcept { Variant r; r.set_kind(VarType::Decimal); r.num_.d = v; return r; }
    // OLE date: days since 1899-12-30, the fraction is the time of day.
    static Variant date(double ole) noexcept { Variant r; r.set_kind(VarType::Date); r.num_.d = ole; return r; }
    static Variant byte(std::uint8_t v) noexcept { Variant r; r.set_kind(VarType::Byte); r.num_.i = v; return r; }
    static Variant error_value(std::int32_t code) noexcept { Variant r; r.set_kind(VarType::Error); r.num_.i = code; return r; }
    static Variant long_value(std::int32_t v) noexcept { return Variant(static_cast<int>(v)); }

    Variant(const Variant& o) noexcept { copy_from(o); }
    Variant(Variant&& o) noexcept { std::memcpy(static_cast<void*>(this), &o, sizeof(Variant)); o.clear_bits(); }
    Variant& operator=(const Variant& o) noexcept {
        if (this != &o) { Variant t(o); swap(t); }
        return *this;
    }
    Variant& operator=(Variant&& o) noexcept {
        if (this != &o) { release(); std::memcpy(static_cast<void*>(this), &o, sizeof(Variant)); o.clear_bits(); }
        return *this;
    }
    ~Variant() { release(); }

    void swap(Variant& o) noexcept {
        unsigned char tmp[sizeof(Variant)];
        std::memcpy(tmp, static_cast<void*>(this), sizeof(Variant));
        std::memcpy(static_cast<void*>(this), &o, sizeof(Variant));
        std::memcpy(static_cast<void*>(&o), tmp, sizeof(Variant));
    }

    VarType type() const noexcept { return kind_; }
    bool is_empty() const noexcept { return kind_ == VarType::Empty; }
    bool is_null() const noexcept { return kind_ == VarType::Null; }
    bool is_string() const noexcept { return kind_ == VarType::String; }
    bool is_object() const noexcept { return kind_ == VarType::Object; }
    bool is_bool() const noexcept { return kind_ == VarType::Boolean; }
    // A numeric kind (Boolean excluded), Date excluded.
    bool is_number() const noexcept;

    // Raw payloads: valid only for the matching kinds.
    std::int64_t int_value() const noexcept { return num_.i; }   // Boolean, Integer, Long, LongLong, Byte, Error, Currency (scaled)
    double double_value() const noexcept { return num_.d; }      // Single, Double, Decimal, Date
    bool bool_value() const noexcept { return num_.i != 0; }
    std::string_view str() const noexcept {                       // String; empty for other kinds
        if (kind_ != VarType::String) return {};
        if (small_len_ != kHeapMark) return {inline_chars(), small_len_};
        return heap_str();
    }
    ObjectPtr object() const noexcept;                            // Object; empty for other kinds
    template <class T>
    std::shared_ptr<T> as() const { return std::dynamic_pointer_cast<T>(object()); }

    // The numeric value of a numeric, Boolean or Date kind, without conversion rules.
    double number() const noexcept;

    // Same kind and same value (strings byte for byte, objects by identity).
    bool same_as(const Variant& o) const noexcept;
    friend bool operator==(const Variant& a, const Variant& b) noexcept { return a.same_as(b); }

private:
    struct StrBlock;  // shared immutable text
    struct ObjBox;    // shared holder of an ObjectPtr

    void clear_bits() noexcept { std::memset(static_cast<void*>(this), 0, sizeof(Variant)); }
    void set_kind(VarType k) noexcept { clear_bits(); kind_ = k; }
    void set_string(std::string_view s);
    void copy_from(const Variant& o) noexcept;
    void release() noexcept;
    std::string_view heap_str() const noexcept;
    bool heap_string() const noexcept { return kind_ == VarType::String && small_len_ == kHeapMark; }
    // Inline text starts right after the length byte and runs on into the union.
    char* inline_chars() noexcept { return reinterpret_cast<char*>(this) + 2; }
    const char* inline_chars() const noexcept { return reinterpret_cast<const char*>(this) + 2; }

    static constexpr std::uint8_t kHeapMark = 0xFF;

    VarType kind_;
    std::uint8_t small_len_;      // inline length, or kHeapMark
    char head_[6];                // first six inline characters
    union {
        std::int64_t i;
        double d;
        StrBlock* str;
        ObjBox* obj;
        char tail[8];             // inline characters 7 to 14
    } num_;
};

static_assert(sizeof(Variant) == 16, "Variant must stay 16 bytes");

}  // namespace korvane
