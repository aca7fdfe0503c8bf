#include "tests/support/services.h"

namespace korvane::testing {

Services::Services(session::PermissionServicePtr permission, ui::UiHost* ui)
    : services(generation::standard_services(ui ? *ui : headless, std::move(permission), layout, hklm)) {}

}  // namespace korvane::testing
