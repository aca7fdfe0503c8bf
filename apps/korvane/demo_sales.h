// The sales generation road of `korvane demo`.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "apps/korvane/voucher_sales.h"
#include "generation/sales/cons_form.h"
#include "platform/ui/ui_host.h"

namespace korvane::app {

// Generates a sales issue on the demo account, scripted: a dispatch list
// whose lines share one inventory and warehouse gets its batches in one
// Ctrl+E pass, the issue is saved through TrackSet and the dispatch
// write-back, and the stock rows and dispatch lines are printed before and after.
void sales_generation(const std::string& db);

// The voucher after the scripted generation (nothing saved); `before_ok`
// sees the generation form just before it is confirmed.
std::unique_ptr<SalesIssueVoucher> scripted_sales_voucher(const std::string& db, ui::HeadlessUi& ui, bool print,
                                                          std::function<void(generation::frmCons&)> before_ok = {});
// On the open generation form: every line of that dispatch list through one
// Ctrl+E pass. The demo account's list holds batch inventories without stock
// in their warehouse, so the pass ends with its box of collected errors.
void batch_pass_with_errors(generation::frmCons& f, const std::string& db);
// `korvane gui --sales`: the voucher window, or with a screenshot path the
// generation form and the voucher rendered after the scripted generation,
// then the box of a batch pass's errors.
int run_sales_gui(const std::string& db, const std::string& screenshot);

}  // namespace korvane::app
