// The demo's inventory picker and position roads.
#pragma once

#include <string>

namespace korvane::app {

// A scripted pick through ReturnInvSet (expand a class, check a node, mark
// three inventories, sort, confirm) and the position records and batch
// position function through PositionSet, printed as they go. Leaves the
// account's positions as it found them.
void positions_and_picker(const std::string& db);

}  // namespace korvane::app
