#include "generation/purchase/stock_order_form.h"

#include "platform/vb/convert.h"

namespace korvane::generation {

frmStockOrder::frmStockOrder(FormServices services) : SourceForm(kFormName, std::move(services)) {
    put_Caption("选择采购订单或采购到货单");
    resize(12000, 8400);
    tabs_ = &add<ui::TabStrip>("SSTab1");
    tabs_->add_tab("采购订单");
    tabs_->add_tab("采购到货单");
    tabs_->Move(120, 120, 11760, 7200);
    order_head_ = &add<ui::Grid>("lstDdHead");
    arrival_head_ = &add<ui::Grid>("lstDhdHead");
    order_head_->Move(240, 540, 11520, 3000);
    arrival_head_->Move(240, 540, 11520, 3000);
    tabs_->place(*order_head_, 0);
    tabs_->place(*arrival_head_, 1);
    add_date_and_buttons("入库日期：");
}

void frmStockOrder::confirm(ado::RecordsetPtr head, ado::RecordsetPtr body) {
    auto c = std::make_shared<Collection>();
    c->Add(Variant(ObjectPtr(std::move(head))), Variant("Head"));
    c->Add(Variant(ObjectPtr(std::move(body))), Variant("Body"));
    c->Add(Variant(date_->Text()), Variant("Date"));
    hand_over(std::move(c));
    Hide();
}

}  // namespace korvane::generation
