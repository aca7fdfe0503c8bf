// The sales generation road of `korvane demo`.
#pragma once

#include <string>

namespace korvane::app {

// Generates a sales issue on the demo account, scripted: a dispatch list
// whose lines share one inventory and warehouse gets its batches in one
// Ctrl+E pass, the issue is saved through TrackSet and the dispatch
// write-back, and the stock rows and dispatch lines are printed before and after.
void sales_generation(const std::string& db);

}  // namespace korvane::app
