// What the component layer hands a form, made for a test over a session of
// its own: the fixture owns the layout state and the settings store the
// module would own, so no case shares them with another.
#pragma once

#include "generation/core/form_services.h"
#include "platform/registry/registry.h"
#include "platform/ui/ui_host.h"
#include "session/permission_service.h"

namespace korvane::testing {

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
