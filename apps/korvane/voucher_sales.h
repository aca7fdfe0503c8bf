// The host's sales issue voucher: head fields and a body grid; 生单 asks
// ProduceOrder for lines generated from dispatch documents, 批次 runs the
// selection service on the current line, 分配说明 shows the trace of the
// current line's last allocation, 保存 checks and writes the stock
// of each line through TrackSet and, when the hand-over's "Flag" asks for
// it, the issued quantity back into each dispatch line.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "component/produce_order.h"
#include "platform/ui/controls.h"
#include "platform/ui/form.h"
#include "platform/ui/grid.h"
#include "platform/vb/collection.h"
#include "selection/allocation_trace.h"
#include "session/login.h"

namespace korvane::app {

class SalesIssueVoucher : public ui::Form {
public:
    static constexpr const char* kFormName = "frmSalesIssue";
    SalesIssueVoucher(ui::UiHost& host, session::LoginPtr login);

    // 生单: false with the reason shown when it failed.
    bool generate();
    // 批次: the current line's batches in the selection dialog.
    void pick_batch();
    // 分配说明: the current line's trace in the trace window.
    void explain_line();
    // The trace of a body row's last allocation; nullptr when none was kept.
    std::shared_ptr<const selection::AllocationTrace> line_trace(long row) const;
    // 保存: the number of lines written; refusals are shown and written nowhere.
    long save();
    void fill(const std::shared_ptr<Collection>& handed);

    ui::Grid& body() { return *body_; }
    ui::TextBox& head_field(const std::string& name) { return control_as<ui::TextBox>(name); }
    bool update_dispatch() const { return flag_ == 1; }

private:
    session::LoginPtr login_;
    std::shared_ptr<component::ProduceOrder> produce_;
    ui::Grid* body_;
    long flag_ = 0;
    std::vector<std::shared_ptr<const selection::AllocationTrace>> traces_;  // by body row - 1
};

}  // namespace korvane::app
