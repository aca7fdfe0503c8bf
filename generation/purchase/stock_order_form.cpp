#include "generation/purchase/stock_order_form.h"

#include "platform/vb/convert.h"

namespace korvane::generation {

frmStockOrder::frmStockOrder(ui::UiHost& host) : SourceForm(kFormName, host) {
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
    auto& date_label = add<ui::Label>("lblOutDate");
    date_label.put_Caption("入库日期：");
    date_label.Move(240, 7500, 1100, 300);
    date_ = &add<ui::TextBox>("txtOutDate");
    date_->put_Tag("rfdate");
    date_->Move(1350, 7450, 1800, 330);
    ok_ = &add<ui::CommandButton>("cmdOk");
    ok_->put_Caption("确定(&O)");
    ok_->Move(9000, 7450, 1300, 400);
    exit_ = &add<ui::CommandButton>("cmdExit");
    exit_->put_Caption("取消(&X)");
    exit_->Move(10500, 7450, 1300, 400);

    on_load = [this] {
        if (context_.permission && context_.permission->GetSession())
            date_->put_Text(vb::format_date(context_.permission->GetSession()->LoginDate()));
    };
    // However the form goes, the host's collection is its own copy now.
    on_unload = [this] { hand_over(nullptr); };
    exit_->on_click = [this] { Unload(); };
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
