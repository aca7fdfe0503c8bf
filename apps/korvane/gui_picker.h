// The host window's inventory picker and batch-position buttons.
#pragma once

#include <string>

#include "platform/ui/ui_host.h"
#include "session/login.h"

namespace korvane::app {

// Opens the inventory picker through ReturnInvSet and tells what came back.
void pick_inventories(ui::UiHost& host, const session::LoginPtr& login);
// Runs the batch-position function through PositionSet and tells the condition chosen.
void batch_positions(ui::UiHost& host, const session::LoginPtr& login);

// `korvane gui --open picker|positions`: the picker or the batch-position
// function alone; with a screenshot path the dialogs are filled from the
// account as a clerk would fill them and rendered into PNGs (the picker into
// that path, the filter dialog and the list beside it with -filter and
// -list before .png) instead of waiting for the user.
int run_gui_form(const std::string& db, const std::string& screenshot, const std::string& which);

}  // namespace korvane::app
