// 分配说明: an allocation's trace in a small window (the host window's last
// allocation, or a voucher line's).
#pragma once

#include <memory>
#include <string>

#include "platform/ui/ui_host.h"
#include "selection/allocation_trace.h"

namespace korvane::app {

// What the host window's last allocation left to explain (null: nothing yet,
// or the operator chose by hand).
void remember_trace(std::shared_ptr<const selection::AllocationTrace> trace);
// Shows the remembered trace, or says why there is none.
void show_last_trace(ui::UiHost& host);
// Shows `trace`, or says why there is none.
void show_trace(ui::UiHost& host, const std::shared_ptr<const selection::AllocationTrace>& trace);

// `korvane gui --open trace`: the demo line allocated and its trace shown;
// with a screenshot path rendered into it instead of waiting for the user.
int run_trace_gui(const std::string& db, const std::string& screenshot);

}  // namespace korvane::app
