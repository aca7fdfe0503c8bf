#include "platform/system/system.h"

#include <unistd.h>

#include <cstdlib>
#include <map>
#include <mutex>

#include "platform/vb/ascii.h"
#include "platform/vb/error.h"

namespace korvane::system {

namespace {

std::string fold(std::string_view s) { return vb::lower_ascii(s); }

class Terminal : public TerminalSession {
public:
    Variant GetSessionID() override { return Variant(terminal_session_id()); }
};

}  // namespace

std::string computer_name() {
    if (const char* name = std::getenv("KORVANE_COMPUTER_NAME")) return name;
    char buf[256] = {};
    if (::gethostname(buf, sizeof buf - 1) != 0) return {};
    // a computer name has no domain part, and a "." would split the scratch-table names
    std::string name(buf);
    return name.substr(0, name.find('.'));
}

std::string terminal_session_id() {
    if (const char* id = std::getenv("KORVANE_SESSION_ID")) return id;
    return std::to_string(static_cast<long>(::getsid(0)));
}

void ObjectFactories::register_factory(std::string progid, std::function<ObjectPtr()> make) {
    std::lock_guard<std::mutex> g(lock_);
    by_progid_[fold(progid)] = std::move(make);
}

void ObjectFactories::unregister_factory(std::string_view progid) {
    std::lock_guard<std::mutex> g(lock_);
    by_progid_.erase(fold(progid));
}

ObjectPtr ObjectFactories::CreateObject(std::string_view progid) const {
    std::function<ObjectPtr()> make;
    {
        std::lock_guard<std::mutex> g(lock_);
        auto it = by_progid_.find(fold(progid));
        if (it != by_progid_.end()) make = it->second;
    }
    ObjectPtr obj = make ? make() : nullptr;
    if (!obj) err::raise(err::kCannotCreateObject);
    return obj;
}

void register_terminal_component(ObjectFactories& factories) {
    factories.register_factory("Pobrex.Terminal", [] { return std::make_shared<Terminal>(); });
}

}  // namespace korvane::system
