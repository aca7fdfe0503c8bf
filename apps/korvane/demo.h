#pragma once
#include <string>

#include "platform/ado/connection.h"

namespace korvane::app {

// The main job on an existing demo account; the process exit code.
int run_demo(const std::string& db);

// An issue line of the demo account: its warehouse and inventory, half the
// stock they hold, and the inventory's quantity per piece.
struct DemoLine {
    std::string wh, inv, name;
    double quantity = 0;
    double rate = 0;
};
// The line of that warehouse and inventory, or when both are empty one
// whose batches the allocation rules order differently; false when the
// account holds no such stock.
bool demo_batch_line(const ado::ConnectionPtr& con, DemoLine& line, const std::string& wh = "",
                     const std::string& inv = "");

}  // namespace korvane::app
