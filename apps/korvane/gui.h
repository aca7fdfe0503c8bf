// `korvane gui`: the host window with the filter fields of the generation forms.
#pragma once

#include <string>

namespace korvane::app {

// Opens the window on the account, or with `select` the selection dialog
// for a demo line; with a screenshot path it renders the window into that
// PNG and returns instead of waiting for the user.
int run_gui(const std::string& db, const std::string& screenshot, bool select = false);

// Chooses where Qt draws before anything else runs: with no display and no
// platform set, a screenshot renders offscreen and a window is refused with a
// message on stderr (false) instead of Qt aborting.
bool gui_platform_ready(bool screenshot);

}  // namespace korvane::app
