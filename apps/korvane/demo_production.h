// The production road of the main job: generation through ProduceOrder.load
// and the write-back of the executed quantities.
#pragma once

#include <string>

#include "platform/ado/connection.h"

namespace korvane::app {

// Scripted generation of a production receipt and a material issue on the
// demo account, printing the executed quantities before and after.
void production_generation(const std::string& db);

// The code of an open production order of a leaf department with a product
// at least 10 short of its quantity; "" when the account has none.
std::string demo_production_order(const ado::ConnectionPtr& con);
// Its product lines with their quantities and executed quantities, one a line.
std::string production_receipt_lines(const ado::ConnectionPtr& con, const std::string& order_code);

}  // namespace korvane::app
