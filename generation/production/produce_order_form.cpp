#include "generation/production/produce_order_form.h"

#include "platform/vb/error.h"

namespace korvane::generation {

namespace {
constexpr const char* kOrdersCaption = "选择生产订单和生产的存货";
constexpr const char* kPlansCaption = "选择生产计划和投产的存货";
}  // namespace

frmProduceOrder::frmProduceOrder(FormServices services) : SourceForm(kFormName, std::move(services)) {
    put_Caption(kOrdersCaption);
    resize(11400, 7800);
    tabs_ = &add<ui::TabStrip>("SSTab1");
    tabs_->add_tab("生产订单");
    tabs_->add_tab("生产计划");
    tabs_->Move(120, 120, 11100, 6900);
    parent_ = &add<ui::ListView>("lstParent");
    sub_ = &add<ui::ListView>("lstSub");
    child_ = &add<ui::ListView>("lstChild");
    for (ui::ListView* l : {parent_, sub_, child_}) l->put_Checkboxes(true);
    parent_->Move(240, 540, 10860, 2100);
    sub_->Move(240, 2760, 10860, 2100);
    child_->Move(240, 4980, 10860, 1900);
    ok_ = &add<ui::CommandButton>("cmdOk");
    ok_->put_Caption("确定(&O)");
    ok_->Move(8400, 7140, 1300, 400);
    exit_ = &add<ui::CommandButton>("cmdExit");
    exit_->put_Caption("取消(&X)");
    exit_->Move(9900, 7140, 1300, 400);

    tabs_->on_click = [this](long) { put_Caption(tabs_->Tab() == 0 ? kOrdersCaption : kPlansCaption); };
    on_load = [this] {
        this->host().set_app_title("");
        if (context_.bOI) {
            tabs_->put_TabEnabled(0, false);
            tabs_->put_Tab(1);
        }
    };
    // Leaving with the exit button hands nothing over.
    exit_->on_click = [this] {
        hand_over(nullptr);
        Unload();
    };
}

bool frmProduceOrder::materials_in_use() const { return tabs_->Tab() == 1; }

void frmProduceOrder::confirm(ado::RecordsetPtr parent, ado::RecordsetPtr sub, ado::RecordsetPtr child) {
    auto c = std::make_shared<Collection>();
    c->Add(Variant(ObjectPtr(std::move(parent))), Variant("Parent"));
    c->Add(Variant(ObjectPtr(std::move(sub))), Variant("Sub"));
    if (materials_in_use()) c->Add(Variant(ObjectPtr(std::move(child))), Variant("Child"));
    hand_over(std::move(c));
    Unload();
}

}  // namespace korvane::generation
