// What every fuzz target shares: reading the input, and the rule that a
// korvane::Error with a number the function does not document is a fault.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <string_view>

#include "platform/vb/error.h"

namespace korvane::fuzz {

// Stops the run so libFuzzer keeps the input that got here.
[[noreturn]] inline void fault(const char* what) {
    std::fprintf(stderr, "fuzz fault: %s\n", what);
    std::abort();
}

inline void check(bool ok, const char* what) {
    if (!ok) fault(what);
}

// An error whose number is not one of those allowed is a fault.
inline void allowed(const Error& e, std::initializer_list<long> numbers) {
    for (long n : numbers)
        if (e.number() == n) return;
    std::fprintf(stderr, "fuzz fault: unexpected error %ld: %s\n", e.number(), e.description().c_str());
    std::abort();
}

// Reads the input front to back: bytes, fixed-size numbers, and texts cut at
// a separator so a seed stays readable ("value\npattern").
class Input {
public:
    Input(const std::uint8_t* data, std::size_t size) : s_(reinterpret_cast<const char*>(data), size) {}

    bool empty() const { return s_.empty(); }
    std::uint8_t byte() {
        if (s_.empty()) return 0;
        auto b = static_cast<std::uint8_t>(s_.front());
        s_.remove_prefix(1);
        return b;
    }
    template <class T>
    T raw() {
        T v{};
        std::size_t n = s_.size() < sizeof v ? s_.size() : sizeof v;
        std::memcpy(&v, s_.data(), n);
        s_.remove_prefix(n);
        return v;
    }
    std::string_view until(char separator) {
        std::size_t at = s_.find(separator);
        std::string_view part = s_.substr(0, at);
        s_.remove_prefix(at == std::string_view::npos ? s_.size() : at + 1);
        return part;
    }
    std::string_view rest() {
        std::string_view r = s_;
        s_ = {};
        return r;
    }

private:
    std::string_view s_;
};

}  // namespace korvane::fuzz
