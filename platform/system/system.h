// The workstation's identity and a stand-in for creating a component by its
// ProgID, as the host platform offers them.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "platform/vb/variant.h"

namespace korvane::system {

// The host name; KORVANE_COMPUTER_NAME overrides it (two workstations on one machine).
std::string computer_name();
// A per-login-session identifier, stable for the session; KORVANE_SESSION_ID overrides it.
std::string terminal_session_id();

void register_object_factory(std::string progid, std::function<ObjectPtr()> make);
void unregister_object_factory(std::string_view progid);
// Raises 429 "ActiveX component can't create object" when nothing is registered.
ObjectPtr CreateObject(std::string_view progid);

class TerminalSession : public Object {
public:
    std::string_view type_name() const override { return "Terminal"; }
    virtual Variant GetSessionID() = 0;
};

// Registers the reference terminal component under "Pobrex.Terminal".
void register_terminal_component();

}  // namespace korvane::system
