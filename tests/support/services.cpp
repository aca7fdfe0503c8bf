#include "tests/support/services.h"

#include "session/login.h"
#include "session/options_loader.h"

namespace korvane::testing {

session::PermissionServicePtr logged_in(const std::string& connection_string, const std::string& user, bool options) {
    auto permission = session::PermissionService::create();
    permission->InitFromSession(session::AccountLogin::create(connection_string, user));
    if (options) session::load_session_options(permission);
    return permission;
}

Services::Services(session::PermissionServicePtr permission, ui::UiHost* ui)
    : services(generation::standard_services(ui ? *ui : headless, std::move(permission), layout, hklm)) {}

}  // namespace korvane::testing
