// The workstation's identity and a stand-in for creating a component by its
// ProgID, as the host platform offers them.
#pragma once

#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <string_view>

#include "platform/vb/variant.h"

namespace korvane::system {

// The host name; KORVANE_COMPUTER_NAME overrides it (two workstations on one machine).
std::string computer_name();
// A per-login-session identifier, stable for the session; KORVANE_SESSION_ID overrides it.
std::string terminal_session_id();

// The components a process can create by ProgID (any case). The component
// layer owns the process's one table; a test may make its own.
class ObjectFactories {
public:
    void register_factory(std::string progid, std::function<ObjectPtr()> make);
    void unregister_factory(std::string_view progid);
    // Raises 429 "ActiveX component can't create object" when nothing is registered.
    ObjectPtr CreateObject(std::string_view progid) const;

private:
    mutable std::mutex lock_;
    std::map<std::string, std::function<ObjectPtr()>> by_progid_;
};

class TerminalSession : public Object {
public:
    std::string_view type_name() const override { return "Terminal"; }
    virtual Variant GetSessionID() = 0;
};

// Registers the reference terminal component under "Pobrex.Terminal".
void register_terminal_component(ObjectFactories& factories);

}  // namespace korvane::system
