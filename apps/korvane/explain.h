#pragma once
#include <string>

#include "platform/ado/connection.h"

namespace korvane::app {

// One line's automatic allocation on an account, explained.
struct ExplainRequest {
    std::string db, wh, inv;
    double quantity = 0;
    std::string rule;   // the allocation rule's option value; empty: the account's own
    int ref_type = 0;   // 0 batches (current stock), 1 receipt lines
    bool red = false, single = false, json = false;
};

// Prints the trace of an AutoRefer for the line; the process exit code.
int run_explain(const ExplainRequest& request);

// The trace of the demo account's batch line, as `korvane demo` shows it.
void demo_trace(const ado::ConnectionPtr& con, const std::string& db);

// A checked save on the demo account: a refused voucher, then one that fits.
void demo_checked_write(const ado::ConnectionPtr& con);

}  // namespace korvane::app
