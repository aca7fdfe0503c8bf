// The demo host's production vouchers: a production receipt (产成品入库单)
// or a material issue (材料出库单) with a head and a body grid. 生单 runs
// ProduceOrder.load and fills the body from "Sub" (products) or "Child"
// (materials); 保存 passes each receipt line's quantity back to its product
// line with WritefQuantity on the same ProduceOrder instance, and closes a
// line received in full with WritebThrow. The window is
// a form model: the Qt host renders it, the scripted demo drives it.
#pragma once

#include <cstdint>
#include <string>

#include "component/produce_order.h"
#include "platform/ado/recordset.h"
#include "platform/ui/form.h"
#include "platform/ui/grid.h"
#include "session/login.h"

namespace korvane::app {

// A field of the current record as text ("" for Null), as a number (0 for
// Null), and an amount as the vouchers show it.
std::string field_text(const ado::RecordsetPtr& rs, const char* field);
double field_number(const ado::RecordsetPtr& rs, const char* field);
std::string amount_text(double v);

class ProductionVoucher : public ui::Form {
public:
    enum class Kind { Receipt, Issue };
    // The host's voucher types of the two kinds.
    static constexpr std::int32_t kReceiptType = 10, kIssueType = 11;
    // Body columns.
    enum Col : long { kLine = 0, kOrder, kInv, kName, kPlanned, kDone, kQuantity, kCols };

    ProductionVoucher(ui::UiHost& host, session::LoginPtr login, Kind kind);

    // 生单: the production form for this voucher, its choice in the body.
    // False when the user left it or it failed (the reason was shown).
    bool generate(const std::string& order_code = {});
    // 保存: the write-back of every line; the number of lines written back.
    int save();

    ui::Grid& body() { return *body_; }
    ui::TextBox& order() { return *order_; }
    component::ProduceOrder& producer() { return producer_; }

private:
    void refresh_done();

    session::LoginPtr login_;
    Kind kind_;
    component::ProduceOrder producer_;  // its connection serves the write-backs
    ui::TextBox *code_, *date_, *order_, *dept_;
    ui::Grid* body_;
};

// The host window's two buttons that open these vouchers modally, placed
// side by side from (left, top).
void add_production_voucher_buttons(ui::Form& window, const session::LoginPtr& login, int left, int top);

// `korvane gui --production`: the production receipt voucher in a window,
// or generated and rendered into `screenshot` (and the production form
// beside it, "_form" added to the name); the process exit code.
int run_production_gui(const std::string& db, const std::string& screenshot);

}  // namespace korvane::app
