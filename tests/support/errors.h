// The VB error a call raised.
#pragma once

#include <gtest/gtest.h>

#include <functional>

#include "platform/vb/error.h"

namespace korvane::testing {

// Its number, 0 when it raised none.
inline long error_number(const std::function<void()>& f) {
    try {
        f();
    } catch (const Error& e) {
        return e.number();
    }
    return 0;
}

// Runs `f`, which must raise; the error it raised.
template <class F>
Error raised(F f) {
    try {
        f();
    } catch (const Error& e) {
        return e;
    }
    ADD_FAILURE() << "no error raised";
    return Error(0, "");
}

}  // namespace korvane::testing
