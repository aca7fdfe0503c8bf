#include "generation/sales/cons_form.h"

#include "platform/vb/convert.h"

namespace korvane::generation {

frmCons::frmCons(FormServices services) : SourceForm(kFormName, std::move(services)) {
    put_Caption("选择发货单");
    resize(12000, 8400);
    head_ = &add<ui::Grid>("lstFhdHead");
    head_->Move(120, 120, 11760, 3000);
    add_date_and_buttons("出库日期：");
    check2_ = &add<ui::CheckBox>("Check2");
    check2_->put_Caption("根据累计出库数更新发货单");
    check2_->Move(3400, 7480, 2600, 300);
}

void frmCons::confirm(ado::RecordsetPtr head, ado::RecordsetPtr body) {
    auto c = std::make_shared<Collection>();
    c->Add(Variant(ObjectPtr(std::move(head))), Variant("Head"));
    c->Add(Variant(ObjectPtr(std::move(body))), Variant("Body"));
    c->Add(Variant(date_->Text()), Variant("Date"));
    c->Add(Variant(static_cast<std::int16_t>(check2_->Value())), Variant("Flag"));
    hand_over(std::move(c));
    Hide();
}

void frmCons::leave_message(std::string text) {
    if (context_.owner) context_.owner->put_sErrMsg(std::move(text));
}

}  // namespace korvane::generation
