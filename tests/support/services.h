// What the component layer hands a form, made for a test over a session of
// its own: the fixture owns the layout state and the settings store the
// module would own, so no case shares them with another.
#pragma once

#include "generation/core/form_services.h"
#include "generation/core/source_form.h"
#include "platform/registry/registry.h"
#include "platform/ui/ui_host.h"
#include "session/permission_service.h"

namespace korvane::testing {

// A permission service logged in as `user` on the account at
// `connection_string`, the account's options loaded when `options` is set.
session::PermissionServicePtr logged_in(const std::string& connection_string, const std::string& user = "demo",
                                        bool options = false);

// The form owner a host would be: keeps the last collection handed over and
// counts the hand-overs.
struct RecordingOwner : generation::FormOwner {
    std::shared_ptr<Collection> got;
    int handed = 0;
    std::int32_t type = 0;
    void putref_oCollection(std::shared_ptr<Collection> c) override {
        got = std::move(c);
        ++handed;
    }
    std::int32_t eVouchType() const override { return type; }
    void put_sErrMsg(std::string) override {}
};

struct Services {
    // Our components over `permission`'s account (none: a form without a
    // session); message boxes go to `ui`, else to the fixture's own HeadlessUi.
    explicit Services(session::PermissionServicePtr permission = nullptr, ui::UiHost* ui = nullptr);
    Services(const Services&) = delete;
    Services& operator=(const Services&) = delete;

    ui::HeadlessUi headless;
    generation::ModuleCtl::LayoutState layout;
    registry::Registry hklm{"HKEY_LOCAL_MACHINE"};
    generation::FormServices services;
};

}  // namespace korvane::testing
