// The host's purchase receipt voucher: head fields and a body grid, and a
// 生单 button that asks ProduceOrder for lines generated from purchase
// orders or arrival vouchers and fills the voucher from what it hands back.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "component/produce_order.h"
#include "platform/ui/controls.h"
#include "platform/ui/form.h"
#include "platform/ui/grid.h"
#include "platform/vb/collection.h"
#include "session/login.h"

namespace korvane::app {

class PurchaseReceiptVoucher : public ui::Form {
public:
    static constexpr const char* kFormName = "frmPurchaseReceipt";
    PurchaseReceiptVoucher(ui::UiHost& host, session::LoginPtr login);

    // 生单: opens the generation form; false with the reason shown when it failed.
    bool generate();
    // Fills head and body from a hand-over collection ("Head", "Body", "Date").
    void fill(const std::shared_ptr<Collection>& handed, bool from_orders);

    ui::Grid& body() { return *body_; }
    ui::TextBox& head_field(const std::string& name) { return control_as<ui::TextBox>(name); }
    const std::string& error() const { return error_; }
    // Told what ProduceOrder handed back, before the voucher is filled from it.
    std::function<void(const std::shared_ptr<Collection>&)> on_handed;

private:
    session::LoginPtr login_;
    std::shared_ptr<component::ProduceOrder> produce_;
    ui::Grid* body_;
    std::string error_;
};

}  // namespace korvane::app
