// The purchase generation road of `korvane demo`.
#pragma once

#include <memory>
#include <string>

#include "platform/vb/collection.h"

namespace korvane::app {

// Generates a purchase receipt on the demo account, scripted, and prints
// what the generation form handed over and the voucher it filled.
void purchase_generation(const std::string& db);
// Prints the "Head" and "Body" of a hand-over collection.
void print_hand_over(const std::shared_ptr<Collection>& handed);

}  // namespace korvane::app
