// `korvane gui`: the host window with the filter fields of the generation forms.
#pragma once

#include <string>

namespace korvane::app {

// Opens the window on the account; with a screenshot path it renders the
// window into that PNG and returns instead of waiting for the user.
int run_gui(const std::string& db, const std::string& screenshot);

}  // namespace korvane::app
