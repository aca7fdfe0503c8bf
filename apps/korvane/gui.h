// `korvane gui`: the host window with the filter fields of the generation forms.
#pragma once

#include <string>

namespace korvane::app {

// Opens the window on the account, or with `select` the selection dialog
// for a demo line; with a screenshot path it renders the window into that
// PNG and returns instead of waiting for the user.
int run_gui(const std::string& db, const std::string& screenshot, bool select = false);

}  // namespace korvane::app
