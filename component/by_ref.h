// Ref<T>: an optional in/out parameter.
//
// Given a variable it refers to it, so the member's writes reach the caller;
// given a value (or nothing) it holds its own copy, as a by-reference argument
// passed an expression does. This lets an optional in/out parameter carry a
// default, which a plain C++ reference cannot.
#pragma once

#include <type_traits>
#include <utility>

namespace korvane::component {

template <class T>
class Ref {
public:
    Ref() : own_{}, target_(&own_) {}
    Ref(T& target) : target_(&target) {}
    // Values and temporaries are owned; a non-const variable of T binds above.
    template <class U>
        requires(!std::is_same_v<U, T&> && !std::is_same_v<std::remove_cvref_t<U>, Ref> &&
                 std::is_constructible_v<T, U &&>)
    Ref(U&& value) : own_(std::forward<U>(value)), target_(&own_) {}

    Ref(const Ref& o) : own_(o.own_), target_(o.owns() ? &own_ : o.target_) {}
    Ref& operator=(const Ref&) = delete;

    T& get() const noexcept { return *target_; }
    operator T&() const noexcept { return *target_; }
    T* operator->() const noexcept { return target_; }
    Ref& operator=(const T& value) { *target_ = value; return *this; }

    // True when the caller gave no variable (its writes go nowhere).
    bool owns() const noexcept { return target_ == &own_; }

private:
    T own_;
    T* target_;
};

}  // namespace korvane::component
