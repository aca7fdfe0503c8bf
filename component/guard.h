// The error conventions of the public classes.
//
// TrackSet and ProduceOrder members never let an error out: they report it
// in their by-reference message as prefix, number, CR LF, description, and
// return False. Members whose work is not there yet say so with 445.
#pragma once

#include <string>
#include <string_view>

namespace korvane::component {

// Raises 445 "Object doesn't support this action"; the member's name
// ("RefSelect.GetAllBSQL") travels as the error's source.
[[noreturn]] void not_yet(std::string_view member);

// prefix + number + "\r\n" + description of the error being handled, read
// through the module-wide ErrorInfo. Call only inside a catch block.
std::string error_message(std::string_view prefix);

// Runs body(); on any error sets ErrMsg to error_message(prefix), runs
// on_error and returns false.
template <class Body, class OnError>
bool guarded(std::string_view prefix, std::string& ErrMsg, Body&& body, OnError&& on_error) {
    try {
        return body();
    } catch (...) {
        ErrMsg = error_message(prefix);
        on_error();
        return false;
    }
}

template <class Body>
bool guarded(std::string_view prefix, std::string& ErrMsg, Body&& body) {
    return guarded(prefix, ErrMsg, static_cast<Body&&>(body), [] {});
}

}  // namespace korvane::component
