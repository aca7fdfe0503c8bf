// The purchase generation road of `korvane demo`.
#pragma once

#include <memory>
#include <string>

#include "platform/ui/ui_host.h"
#include "platform/vb/collection.h"
#include "session/login.h"

namespace korvane::app {

// Generates a purchase receipt on the demo account, scripted, and prints
// what the generation form handed over and the voucher it filled.
void purchase_generation(const std::string& db);
class PurchaseReceiptVoucher;
// The voucher after the scripted generation on the account (filter by the
// busiest vendor, two orders marked, one refused and one accepted edit,
// OK), its dialogs answered by `ui`; printing the steps when `print`.
std::unique_ptr<PurchaseReceiptVoucher> scripted_purchase_voucher(const std::string& db, ui::HeadlessUi& ui,
                                                                  const session::LoginPtr& login, bool print = false);
// `korvane gui --purchase`: the voucher window (or its screenshot after a
// scripted generation).
int run_purchase_gui(const std::string& db, const std::string& screenshot);
// Prints the "Head" and "Body" of a hand-over collection.
void print_hand_over(const std::shared_ptr<Collection>& handed);

}  // namespace korvane::app
