// The VB error number a call raised, 0 when it raised none.
#pragma once

#include <functional>

#include "platform/vb/error.h"

namespace korvane::testing {

inline long error_number(const std::function<void()>& f) {
    try {
        f();
    } catch (const Error& e) {
        return e.number();
    }
    return 0;
}

}  // namespace korvane::testing
